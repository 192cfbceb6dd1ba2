// Fuzz target: the connect-server stream (frame cutter, frame pool, dispatch and the
// patch-server reply fields).
//
// Odd first byte: the rest is a raw stream, received in chunks; every frame that
// comes out must be a frame (header byte, size field equal to its size, at most the
// buffer) and a piece of the stream, in stream order, and dispatching it must do what
// its op code says.
// Even first byte: the rest describes a stream of valid frames mixed with garbage
// receives; every valid frame must come out intact and in order (less what a full
// pool drops), whatever garbage came before it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "net/AccountScramble.h"
#include "net/FrameDispatch.h"
#include "net/FrameReceiver.h"
#include "net/PatchServerFrame.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

typedef std::vector<unsigned char> Bytes;

struct Span {
    size_t offset;
    size_t size;
};

struct Stream {
    Bytes bytes;
    std::vector<size_t> cuts;   // a receive must end here (garbage stands alone)
    std::vector<Span> frames;   // the valid frames that must come out
};

// Records what the dispatcher asked for.
class Recorder : public FrameHandler {
public:
    void SendVersion() override { ++greetings; }
    void EnterReady() override { ++readies; }
    int BeginPatch(const char* h, unsigned short p, const char* u, const char* pw,
                   const char* c) override
    {
        ++patches;
        host = h; port = p; user = u; password = pw; catalogue = c;
        return 1;
    }
    int greetings = 0, readies = 0, patches = 0;
    std::string host, user, password, catalogue;
    unsigned short port = 0;
};

// The text field must be the descrambled bytes up to the first descrambled NUL.
void CheckField(const unsigned char* field, int width, const std::string& text)
{
    Bytes plain(field, field + width);
    Descramble(plain.data(), width);
    Descramble(plain.data(), width);   // applying it twice restores the field
    FUZZ_CHECK(memcmp(plain.data(), field, static_cast<size_t>(width)) == 0);
    Descramble(plain.data(), width);
    size_t length = std::find(plain.begin(), plain.end(), 0) - plain.begin();
    FUZZ_CHECK(text.size() == length);
    FUZZ_CHECK(memcmp(text.data(), plain.data(), length) == 0);
}

// Dispatches one frame on its own and checks the handler calls against its op code.
void CheckDispatch(const unsigned char* frame, int size, int runMode)
{
    static FrameReceiver single;
    FUZZ_CHECK(single.PushFrame(frame, size) == kPushStored);
    Recorder calls;
    LaunchOptions options;
    options.runMode = runMode;
    FUZZ_CHECK(DispatchFrames(single, calls, options) == 1);
    FUZZ_CHECK(single.PendingFrames() == 0);

    int op = frame[0] == kFrameLong ? frame[3] : frame[2];
    FUZZ_CHECK(calls.greetings == (op == 0 && size > 3 && frame[3] == 1 ? 1 : 0));
    FUZZ_CHECK(calls.readies == (op == 2 ? 1 : 0));
    bool patch = (op == 1 || op == 5 || op == 7) && size >= kPatchFrameMinSize;
    FUZZ_CHECK(calls.patches == (patch ? 1 : 0));
    FUZZ_CHECK(options.runMode == (patch && op == 5 && runMode == kRunLocal ? kRunRelease
                                                                            : runMode));
    if (!patch)
        return;
    CheckField(frame + (op == 1 ? 5 : 6), kPatchHostWidth, calls.host);
    CheckField(frame + kPatchUserOffset, kPatchAccountWidth, calls.user);
    CheckField(frame + kPatchPasswordOffset, kPatchAccountWidth, calls.password);
    CheckField(frame + kPatchCatalogueOffset, kPatchAccountWidth, calls.catalogue);
    FUZZ_CHECK(calls.port == (frame[kPatchPortOffset] | frame[kPatchPortOffset + 1] << 8));
}

// Whatever the stream, a popped frame is a whole frame.
void CheckFrameShape(const unsigned char* frame, int size)
{
    FUZZ_CHECK(frame != nullptr);
    FUZZ_CHECK(size >= kShortHeaderSize && size <= kMaxFrameSize);
    FUZZ_CHECK(frame[0] == kFrameShort || frame[0] == kFrameLong);
    if (frame[0] == kFrameShort)
        FUZZ_CHECK(frame[1] == size);
    else
        FUZZ_CHECK(size >= kLongHeaderSize && (frame[1] << 8 | frame[2]) == size);
}

// Chunk sizes: a mix of tiny receives and receives of up to a whole buffer.
size_t NextChunk(uint32_t& seed)
{
    seed = seed * 1103515245u + 12345u;
    uint32_t r = seed >> 8;
    return (r & 1) ? 1 + (r >> 1) % 8 : 1 + (r >> 1) % kMaxFrameSize;
}

void AddValidFrame(FuzzedDataProvider& in, Stream& s)
{
    bool isLong = in.ConsumeBool();
    int size = isLong ? in.ConsumeIntegralInRange<int>(kLongHeaderSize, kMaxFrameSize)
                      : in.ConsumeIntegralInRange<int>(kShortHeaderSize, 255);
    Bytes frame;
    frame.push_back(isLong ? kFrameLong : kFrameShort);
    if (isLong)
        frame.push_back(static_cast<unsigned char>(size >> 8));
    frame.push_back(static_cast<unsigned char>(size & 0xFF));
    frame.push_back(in.ConsumeIntegral<unsigned char>());   // op code
    Bytes body = in.ConsumeBytes<unsigned char>(size - frame.size());
    body.resize(size - frame.size(), 0xC1);   // a body of header bytes, if anything
    frame.insert(frame.end(), body.begin(), body.end());
    s.frames.push_back({s.bytes.size(), frame.size()});
    s.bytes.insert(s.bytes.end(), frame.begin(), frame.end());
}

// A receive of bytes that cannot start a frame: a header byte other than C1/C2, or a
// size too small for its header; no header byte follows in it.
void AddGarbage(FuzzedDataProvider& in, Stream& s)
{
    int form = in.ConsumeIntegralInRange(0, 2);
    size_t least = form == 2 ? 3 : form == 1 ? 2 : 1;
    Bytes g = in.ConsumeBytes<unsigned char>(in.ConsumeIntegralInRange<size_t>(least, 64));
    g.resize(std::max(g.size(), least), 0x00);
    for (unsigned char& b : g) {
        if (b == kFrameShort || b == kFrameLong)
            b = 0x00;
    }
    if (form == 1) {
        g[0] = kFrameShort;
        g[1] = in.ConsumeIntegralInRange<unsigned char>(0, kShortHeaderSize - 1);
    } else if (form == 2) {
        g[0] = kFrameLong;
        g[1] = 0;
        g[2] = in.ConsumeIntegralInRange<unsigned char>(0, kLongHeaderSize - 1);
    }
    s.cuts.push_back(s.bytes.size());
    s.bytes.insert(s.bytes.end(), g.begin(), g.end());
    s.cuts.push_back(s.bytes.size());
}

// A long frame larger than the buffer, sent whole: it is skipped, and its body (full
// of fake "ready" frames) must not be cut as frames.
void AddOversize(FuzzedDataProvider& in, Stream& s)
{
    int size = in.ConsumeIntegralInRange<int>(kMaxFrameSize + 1, 0xFFFF);
    Bytes frame = {kFrameLong, static_cast<unsigned char>(size >> 8),
                   static_cast<unsigned char>(size & 0xFF), kOpUpToDate};
    Bytes body = in.ConsumeBytes<unsigned char>(size - 4);
    static const unsigned char kFake[] = {kFrameShort, 3, kOpUpToDate};
    for (size_t i = body.size(); i < static_cast<size_t>(size - 4); ++i)
        body.push_back(kFake[i % 3]);
    frame.insert(frame.end(), body.begin(), body.end());
    s.bytes.insert(s.bytes.end(), frame.begin(), frame.end());
}

void RunModel(FuzzedDataProvider& in)
{
    uint32_t seed = in.ConsumeIntegral<uint32_t>();
    int runMode = in.PickValueInArray({0, 1, 2, 4});
    Stream s;
    while (in.remaining_bytes() > 0 && s.bytes.size() < 200000) {
        int kind = in.ConsumeIntegralInRange(0, 3);
        if (kind == 3) {
            AddOversize(in, s);
        } else if (kind == 2) {
            AddGarbage(in, s);
        } else {
            AddValidFrame(in, s);
        }
    }

    FrameReceiver receiver;
    size_t pos = 0, nextCut = 0, nextFrame = 0;
    while (pos < s.bytes.size()) {
        while (nextCut < s.cuts.size() && s.cuts[nextCut] <= pos)
            ++nextCut;
        size_t limit = nextCut < s.cuts.size() ? s.cuts[nextCut] : s.bytes.size();
        FUZZ_CHECK(receiver.ReceiveRoom() > 0);
        size_t n = std::min({NextChunk(seed), limit - pos,
                             static_cast<size_t>(receiver.ReceiveRoom())});
        memcpy(receiver.ReceiveTail(), &s.bytes[pos], n);
        FUZZ_CHECK(receiver.OnReceived(static_cast<int>(n)) == 1);
        pos += n;

        // Frames completed by this receive; a full pool drops all after the tenth.
        std::vector<Span> due;
        for (; nextFrame < s.frames.size() &&
               s.frames[nextFrame].offset + s.frames[nextFrame].size <= pos; ++nextFrame)
            due.push_back(s.frames[nextFrame]);
        if (due.size() > kFramePoolSlots)
            due.resize(kFramePoolSlots);
        for (const Span& want : due) {
            int size = 0;
            unsigned char* frame = receiver.PopFrame(&size);
            FUZZ_CHECK(frame != nullptr);
            FUZZ_CHECK(static_cast<size_t>(size) == want.size);
            FUZZ_CHECK(memcmp(frame, &s.bytes[want.offset], want.size) == 0);
            CheckDispatch(frame, size, runMode);
        }
        FUZZ_CHECK(receiver.PopFrame() == nullptr);
    }
    FUZZ_CHECK(receiver.RecvBufLen() == 0);
}

void RunRaw(const unsigned char* data, size_t size, uint32_t seed, int runMode)
{
    FrameReceiver receiver;
    FUZZ_CHECK(receiver.OnReceived(-1) == 0);
    FUZZ_CHECK(receiver.OnReceived(receiver.ReceiveRoom() + 1) == 0);
    FUZZ_CHECK(receiver.RecvBufLen() == 0);
    size_t pos = 0, matched = 0;
    while (pos < size) {
        FUZZ_CHECK(receiver.ReceiveRoom() > 0);
        size_t n = std::min({NextChunk(seed), size - pos,
                             static_cast<size_t>(receiver.ReceiveRoom())});
        memcpy(receiver.ReceiveTail(), data + pos, n);
        FUZZ_CHECK(receiver.OnReceived(static_cast<int>(n)) == 1);
        pos += n;
        FUZZ_CHECK(receiver.RecvBufLen() >= 0 && receiver.RecvBufLen() < kMaxFrameSize);
        int frameSize = 0;
        while (unsigned char* frame = receiver.PopFrame(&frameSize)) {
            CheckFrameShape(frame, frameSize);
            // A piece of what was received, after the previous frame.
            const unsigned char* found =
                std::search(data + matched, data + pos, frame, frame + frameSize);
            FUZZ_CHECK(found != data + pos);
            matched = static_cast<size_t>(found - data) + frameSize;
            CheckDispatch(frame, frameSize, runMode);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    if (data[0] & 1) {
        uint32_t seed = data[0];
        RunRaw(data + 1, size - 1, seed, (data[0] >> 1) & 4);
    } else {
        FuzzedDataProvider in(data + 1, size - 1);
        RunModel(in);
    }
    return 0;
}
