#pragma once
// Shared by the fuzz targets: a property check that stops the run, and a scratch file
// for the readers that take a file name.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// A property that does not hold is a finding: print it and abort, so libFuzzer keeps
// the input as a crash artifact.
#define FUZZ_CHECK(cond)                                                              \
    do {                                                                              \
        if (!(cond)) {                                                                \
            fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            abort();                                                                  \
        }                                                                             \
    } while (0)

// One file per process, in memory (/dev/shm) where there is such a place: on disk
// the file system costs ten times the executions. Every Write replaces the content.
class ScratchFile {
public:
    explicit ScratchFile(const char* tag)
    {
        const char* dir = getenv("TMPDIR");
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                           : dir && *dir                ? dir
                                                        : "/tmp";
        m_path = base + "/zr-fuzz-" + tag + "-" + std::to_string(getpid());
    }
    ~ScratchFile() { remove(m_path.c_str()); }

    const char* Path() const { return m_path.c_str(); }

    // Writes exactly these bytes; aborts when the file cannot be written.
    void Write(const void* data, size_t size) const
    {
        FILE* file = fopen(m_path.c_str(), "wb");
        FUZZ_CHECK(file != nullptr);
        FUZZ_CHECK(size == 0 || fwrite(data, 1, size, file) == size);
        FUZZ_CHECK(fclose(file) == 0);
    }

    void Remove() const { remove(m_path.c_str()); }

private:
    std::string m_path;
};
