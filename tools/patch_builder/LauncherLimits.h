#pragma once
// What the launcher can take from a version directory, as the patch builder and the
// verifier must respect it.
#include <cstdint>
#include <string>

#include "patch/ListCheck.h"
#include "patch/ListFile.h"

enum {
    kMaxListTokenChars = 99,        // names and directories in "list.inf" (scanner buffer)
    kMaxVersionDirChars = 8,        // version directory name in the catalogue
    kMaxVersionDirEntries = 999,    // files the launcher can look up, "list.inf" included
    kMaxLocalPathChars = 259,       // "Temp\" + relative path, in the launcher's buffers
    kMaxCatalogueVersions = 999,
    kMaxCatalogueNameChars = 19,    // the connect server's reply field
    kSuffixChars = kCompressedSuffixLength,
};

const uint64_t kMaxShippedFileSize = 0x7FFFFFFFull;   // sizes are signed 32-bit
const char kTempDirPrefix[] = "Temp\\";

// '/'-separated relative path to the launcher's '\'-separated form.
std::string ToLauncherPath(const std::string& path);
// ASCII lower case, as the launcher's file lookup compares names.
std::string AsciiLower(const std::string& text);
// 1 when `suffix` is four characters, a '.' and three others that keep the launcher's
// "strip the last extension" rule and the path check happy (".bz2").
int IsValidSuffix(const std::string& suffix);
