#pragma once
// The non-visual state of one launcher run, held by the main dialog. Plain data; the
// record is large (two fixed tables) and is never copied.
#include <cstdint>

#include "app/VersionTriple.h"

// One entry of the version catalogue.
struct VersionEntry {
    char name[9];              // version directory on the server, at most 8 characters
    unsigned char major;
    unsigned char minor;
    unsigned char patch;
    PackedVersion packed;
};

// One file of the server listing of the current version directory.
struct RemoteFileEntry {
    char name[256];
    int32_t size;              // low 32 bits of the listed size; negative counts as absent
};

enum { kMaxVersions = 1000, kMaxRemoteFiles = 1000 };

// WinINet handles are opaque pointers; the record itself stays free of Windows headers.
typedef void* InternetHandle;

struct PatchSession {
    int listCompressed;
    int launchReady;
    RemoteFileEntry remoteFiles[kMaxRemoteFiles];
    int remoteFileCount;
    InternetHandle internetHandle;
    char catalogueName[52];
    int listKind;                  // 1 normal list, 2 list tagged TEST_SERVER
    InternetHandle ftpHandle;
    InternetHandle remoteFile;
    char ftpHost[256];
    uint16_t ftpPort;
    char ftpUser[50];
    char ftpPassword[50];
    int stopped;                   // 1 while no patch runs or after a stop request
    int32_t installedPacked;
    VersionTriple installedVersion;
    int selfUpdatePending;
    VersionEntry versions[kMaxVersions];
    int versionCount;
    char gameDir[260];
    int32_t targetPacked;
    int resumeFromLog;
    uint32_t unpackTotal;
    uint32_t unpackDone;

    PatchSession();
    PatchSession(const PatchSession&) = delete;
    PatchSession& operator=(const PatchSession&) = delete;
};
