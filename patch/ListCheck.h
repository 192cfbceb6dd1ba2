#pragma once
// Checks on the names of "list.inf" before anything of a version is fetched.
//
// A list's relative path is the current directory, a backslash and the name, or the
// name alone in the game directory; JoinListPath builds it (0 when it does not fit).
// In a compressed list a name ends in a four-character suffix "." + three characters,
// which the driver strips: CompressedSuffixOk tells whether path has one with a name
// before it. CheckListEntry: 1 when the local path (BuildListPath), and in a
// compressed list that path less its suffix, stays inside the game directory.
// CheckFileList reads a whole list and returns 1 only when every directory and every
// file entry passes, and no name was cut; 0 also when the list cannot be opened.
#include <cstddef>

enum { kCompressedSuffixLength = 4, kListPathBytes = 260 };

int JoinListPath(const char* directory, const char* name, char* out, size_t outSize);
// The local forms of a list's texts, as Windows would open them (NormaliseListPath):
// ListDirectory gives the directory of a switch, 1 when it is safe; BuildListPath the
// relative path of a file entry, joined and normalised, 1 when it fits (it is not
// checked here); it refuses an empty name and one that starts or ends with a
// separator, which would not name a file below its directory.
int ListDirectory(const char* text, char* out, size_t outSize);
int BuildListPath(const char* directory, const char* name, char* out, size_t outSize);
int CompressedSuffixOk(const char* path);
int CheckListEntry(const char* directory, const char* name, int compressed);
int CheckFileList(const char* path, int compressed);
