#pragma once
// Fetching a small signed file (a manifest, a catalogue's signature) from the FTP
// directory the session is in, into memory, and checking its detached signature.
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>

#include "patch/PublisherKeys.h"
#include "patch/Signature.h"

enum SignedFetchResult {
    kSignedFetchOk = 1,
    kSignedFetchMissing = 0,      // the file could not be fetched or is too large
    kSignedFetchBadSignature = -1,
};

// Reads the remote file `name` into `bytes` through the local scratch file
// `scratchPath` (removed again), refusing more than `maxBytes`.
int FetchFileToMemory(HINTERNET ftp, const char* name, const char* scratchPath, size_t maxBytes,
                      std::string& bytes);

// Checks `bytes` against the remote signature file `name` + ".sig" when the launcher
// has keys; a keyless launcher takes the bytes as they are (they are still checked
// against the hashes they carry, which catches damaged transfers).
int VerifyRemoteSignature(HINTERNET ftp, const char* name, const char* scratchPath, SignedKind kind,
                          const PublisherKeys& keys, const std::string& bytes);

// FetchFileToMemory followed by VerifyRemoteSignature.
int FetchSignedFile(HINTERNET ftp, const char* name, const char* scratchPath, SignedKind kind,
                    const PublisherKeys& keys, size_t maxBytes, std::string& bytes);
