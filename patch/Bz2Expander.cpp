#include "patch/Bz2Expander.h"

#include <bzlib.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Length of the drive and directory part: up to and including the last separator,
// or the drive ("C:") alone when there is none.
size_t DirectoryPartLength(const char* path)
{
    size_t length = 0;
    if (path[0] != '\0' && path[1] == ':')
        length = 2;
    for (size_t i = 0; path[i]; ++i) {
        if (IsPathSeparator(path[i]))
            length = i + 1;
    }
    return length;
}

// Low 32 bits of the size of an open file, read without moving its position.
uint32_t FileSizeLow32(FILE* file)
{
    long size = 0;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    fseek(file, 0, SEEK_SET);
    return size > 0 ? static_cast<uint32_t>(size) : 0u;
}

// The open files and the decoder of one expansion, released on every exit.
struct Expansion {
    FILE* source = nullptr;
    FILE* target = nullptr;
    const char* targetName = nullptr;
    bz_stream stream;
    bool decoding = false;

    Expansion() { memset(&stream, 0, sizeof stream); }

    // Closes both files and ends the decoder; returns 1 when closing the target
    // and ending the decoder both succeeded.
    int Release()
    {
        int ok = 1;
        if (source)
            fclose(source);
        source = nullptr;
        if (target && fclose(target) != 0)
            ok = 0;
        target = nullptr;
        if (decoding && BZ2_bzDecompressEnd(&stream) != BZ_OK)
            ok = 0;
        decoding = false;
        return ok;
    }

    int Fail()
    {
        Release();
        return 0;
    }

    int FailAndDeleteTarget()
    {
        Release();
        remove(targetName);
        return 0;
    }
};

} // namespace

int ExpandPercent(uint32_t done, uint32_t total)
{
    if (total == 0)
        return 0;
    uint64_t percent = 100u * static_cast<uint64_t>(done) / total;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

int BuildExpandTargetName(const char* source, const char* directory, char* out,
                          size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    out[0] = '\0';
    if (!source || !directory)
        return 0;
    const size_t maxName = Bz2Expander::kMaxTargetName;
    size_t limit = outSize < maxName ? outSize : maxName;
    const char* name = source + DirectoryPartLength(source);
    const char* lastDot = strrchr(name, '.');
    size_t nameLength = lastDot ? static_cast<size_t>(lastDot - name) : strlen(name);
    int dirLength = static_cast<int>(DirectoryPartLength(directory));
    int length = snprintf(out, limit, "%.*s%.*s", dirLength, directory,
                          static_cast<int>(nameLength), name);
    return length >= 0 && static_cast<size_t>(length) < limit ? 1 : 0;
}

Bz2Expander::Bz2Expander()
    : m_inBlock(new (std::nothrow) char[kInputBlock]),
      m_outBlock(new (std::nothrow) char[kOutputBlock]),
      m_unpackTotal(0),
      m_unpackDone(0)
{
}

int Bz2Expander::DecompressFile(const char* source, const char* directory,
                                Bz2ExpandHooks& hooks)
{
    char target[kMaxTargetName];
    if (!BuildExpandTargetName(source, directory, target, sizeof target))
        return 0;
    return Expand(source, target, hooks);
}

int Bz2Expander::Expand(const char* source, const char* target, Bz2ExpandHooks& hooks)
{
    if (!m_inBlock || !m_outBlock || !source || !target)
        return 0;
    Expansion x;
    x.targetName = target;
    x.source = fopen(source, "rb");
    if (!x.source)
        return 0;
    x.target = fopen(target, "wb");
    if (!x.target)
        return x.Fail();
    m_unpackTotal = FileSizeLow32(x.source);
    m_unpackDone = 0;
    if (BZ2_bzDecompressInit(&x.stream, 0, 0) != BZ_OK)
        return x.Fail();
    x.decoding = true;

    bool sawInput = false;
    bool streamEnded = false;
    for (;;) {
        size_t got = fread(m_inBlock.get(), 1, kInputBlock, x.source);
        if (got == 0) {
            if (ferror(x.source))
                return x.Fail();
            // An empty source expands to an empty file; any other source must have
            // held a whole stream, or the download was cut short.
            if (sawInput && !streamEnded)
                return x.Fail();
            if (!x.Release())
                return x.FailAndDeleteTarget();
            return 1;
        }
        sawInput = true;
        x.stream.next_in = m_inBlock.get();
        x.stream.avail_in = static_cast<unsigned int>(got);
        do {
            x.stream.next_out = m_outBlock.get();
            x.stream.avail_out = kOutputBlock;
            int result = BZ2_bzDecompress(&x.stream);
            if (result != BZ_OK && result != BZ_STREAM_END)
                return x.Fail();
            if (result == BZ_STREAM_END)
                streamEnded = true;
            size_t produced = kOutputBlock - x.stream.avail_out;
            if (produced > 0 &&
                fwrite(m_outBlock.get(), 1, produced, x.target) != produced)
                return x.FailAndDeleteTarget();
            hooks.AfterDecoderCall();
            if (hooks.StopRequested())
                return x.FailAndDeleteTarget();
        } while (x.stream.avail_in > 0);
        m_unpackDone = x.stream.total_in_lo32;
        hooks.OnBlockConsumed(m_unpackDone, m_unpackTotal);
    }
}
