#pragma once
// Expands one bzip2 file with libbz2's stream decoder, in fixed blocks: 12288 bytes
// of the source at a time, each decoded into a 131072-byte output block as often
// as needed. The caller keeps its window alive and learns of progress through
// hooks, and can stop the expansion between two decoder calls.
//
// Results:
//  - the source cannot be opened: 0, nothing created;
//  - the target cannot be created, or the decoder cannot start: 0;
//  - corrupt or non-bzip2 data, bytes after the end of the stream, a read error:
//    0, the partial target remains (the next attempt replaces it);
//  - the source ends before the stream does (a cut-short download): 0, the partial
//    target remains;
//  - a write to the target fails (a full disk): 0, the target is deleted;
//  - a stop request: 0, the target is deleted;
//  - an empty source: 1 with an empty target;
//  - one complete stream: 1 with the complete target.
#include <cstddef>
#include <cstdint>
#include <memory>

// What the caller does while an expansion runs.
class Bz2ExpandHooks {
public:
    virtual ~Bz2ExpandHooks() {}
    // After every decoder call: handle one pending window message.
    virtual void AfterDecoderCall() = 0;
    // Right after AfterDecoderCall: nonzero stops the expansion.
    virtual int StopRequested() = 0;
    // Once per consumed input block: compressed bytes consumed so far (the stream's
    // total_in_lo32) and the source size (its low 32 bits).
    virtual void OnBlockConsumed(uint32_t done, uint32_t total) = 0;
};

// 100 * done / total without overflow, 0 for an empty total, never above 100.
int ExpandPercent(uint32_t done, uint32_t total);

// Target name of a source: the drive and directory part of directory followed by
// the file name of source without its last extension ("%s%s%s" of the three
// parts), e.g. "Temp\\data\\a.bmd.bz_" with "Temp\\data\\" gives
// "Temp\\data\\a.bmd". The result is cut to fit outSize and at most 260 bytes; the
// return is 1 when it fits, 0 when it was cut (a cut name names another file).
int BuildExpandTargetName(const char* source, const char* directory, char* out,
                          size_t outSize);

class Bz2Expander {
public:
    enum { kInputBlock = 12288, kOutputBlock = 131072, kMaxTargetName = 260 };

    Bz2Expander();
    Bz2Expander(const Bz2Expander&) = delete;
    Bz2Expander& operator=(const Bz2Expander&) = delete;

    // Expands source into target (replaced when it exists); 1 or 0 as listed above.
    int Expand(const char* source, const char* target, Bz2ExpandHooks& hooks);
    // Expands source next to directory under BuildExpandTargetName's name; 0 without
    // creating anything when that name does not fit.
    int DecompressFile(const char* source, const char* directory, Bz2ExpandHooks& hooks);

    // Size and consumed bytes of the last source, as last reported to the hooks.
    uint32_t UnpackTotal() const { return m_unpackTotal; }
    uint32_t UnpackDone() const { return m_unpackDone; }

private:
    // Both blocks are allocated once with the expander and reused for every file.
    std::unique_ptr<char[]> m_inBlock;
    std::unique_ptr<char[]> m_outBlock;
    uint32_t m_unpackTotal;
    uint32_t m_unpackDone;
};
