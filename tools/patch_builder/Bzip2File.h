#pragma once
// bzip2 files through the system libbz2: writing a compressed copy, and checking that
// a file is exactly one complete, valid stream (as the launcher expands it).
#include <cstdint>
#include <string>

#include "patch/Sha256.h"

int CompressFile(const std::string& from, const std::string& to, std::string& error);

// 1 when the file decompresses fully with no bytes after the end of the stream;
// 0 with a description of the fault in `problem`.
int CheckCompressedFile(const std::string& path, std::string& problem);

// Expands a compressed file into `to`, with the same checks; 1 or 0.
int DecompressFile(const std::string& from, const std::string& to, std::string& problem);

// SHA-256 and size of the expanded content, with the same checks; 1 or 0.
int HashExpandedFile(const std::string& path, Sha256Digest& digest, uint64_t& size,
                     std::string& problem);
