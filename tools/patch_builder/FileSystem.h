#pragma once
// Small file-system helpers of the patch builder. All return 1 on success and 0 on
// failure with a message in `error`.
#include <cstdint>
#include <string>

int CopyFileContents(const std::string& from, const std::string& to, std::string& error);
// Compares two files byte by byte: `same` is 1 when they hold the same bytes. Returns
// 0 only when a file cannot be read.
int SameFileContents(const std::string& a, const std::string& b, int& same, std::string& error);
// Removes a file or a whole directory tree; 1 when nothing is left.
int RemoveTree(const std::string& path);
// Writes `text` to `path` atomically: into a temporary file beside it, flushed to the
// disk, then renamed over `path`.
int WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);
int ReadWholeFile(const std::string& path, std::string& text, std::string& error);
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// Joins with '/'; either side may be empty.
std::string JoinPath(const std::string& a, const std::string& b);
// Flushes a directory's entries (after renames inside it) to the disk.
void SyncDirectory(const std::string& path);
