// A long random stream of valid frames and garbage, cut at random points: the
// receiver must stay within its buffer, recover after every bad stretch, and deliver
// every frame that follows a resynchronisation point intact and in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "app/LaunchOptions.h"
#include "net/FrameDispatch.h"
#include "net_frames_test.h"

using namespace nettest;

namespace {

struct StreamItem {
    size_t start;
    size_t end;
    bool valid;
    Bytes frame;               // valid items only
    std::string call;          // the handler call the frame should cause, if any
    bool expected = false;     // follows a resynchronisation point
};

class RandomStream {
public:
    explicit RandomStream(unsigned seed) : rng_(seed) {}

    void Build(size_t minBytes)
    {
        while (bytes_.size() < minBytes) {
            if (Pick(100) < 6)
                AddGarbage();
            else
                AddFrame();
        }
    }

    const Bytes& bytes() const { return bytes_; }
    std::vector<StreamItem>& items() { return items_; }
    std::mt19937& rng() { return rng_; }

    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    int Range(int lo, int hi) { return lo + Pick(hi - lo + 1); }

private:
    Bytes RandomBytes(int n)
    {
        Bytes b(static_cast<size_t>(n));
        for (unsigned char& c : b)
            c = static_cast<unsigned char>(rng_());
        return b;
    }

    std::string RandomText(char tag, int seq, int maxLength)
    {
        std::string text = tag + std::to_string(seq);
        int length = Range(static_cast<int>(text.size()), maxLength + 5);
        while (static_cast<int>(text.size()) < length)
            text += static_cast<char>('a' + Pick(26));
        return text;
    }

    void Add(const Bytes& piece, bool valid, const std::string& call = "")
    {
        StreamItem item;
        item.start = bytes_.size();
        bytes_.insert(bytes_.end(), piece.begin(), piece.end());
        item.end = bytes_.size();
        item.valid = valid;
        if (valid)
            item.frame = piece;
        item.call = call;
        items_.push_back(item);
    }

    void AddFrame()
    {
        static const int kOps[] = {0, 0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 0x42, 0xFF};
        int op = kOps[Pick(sizeof(kOps) / sizeof(kOps[0]))];
        bool longFormat = Pick(2) == 1;
        int seq = static_cast<int>(items_.size());
        if ((op == 1 || op == 5 || op == 7) && Pick(5) != 0) {
            Account a = {RandomText('h', seq, 100), RandomText('u', seq, 20),
                         RandomText('p', seq, 20), RandomText('c', seq, 20),
                         static_cast<unsigned short>(rng_())};
            size_t size = static_cast<size_t>(longFormat ? Range(168, 1200) : Range(168, 255));
            std::string call = "patch " + a.host.substr(0, 100) + " " + std::to_string(a.port) +
                               " " + a.user.substr(0, 20) + " " + a.password.substr(0, 20) + " " +
                               a.catalogue.substr(0, 20);
            Add(PatchFrame(op, a, longFormat, size), true, call);
            return;
        }
        int bodySize = longFormat ? (Pick(40) == 0 ? Range(0, kMaxFrameSize - 4) : Range(0, 300))
                                  : Range(0, 252);
        if (op == 1 || op == 5 || op == 7)
            bodySize = std::min(bodySize, 160);   // too short for a patch-server frame
        Bytes body = RandomBytes(bodySize);
        std::string call;
        if (op == 0 && !longFormat && !body.empty()) {
            body[0] = Pick(3) == 0 ? 0x02 : 0x01;
            if (body[0] == 0x01)
                call = "version";
        }
        if (op == 2)
            call = "ready";
        Add(longFormat ? LongFrame(op, body) : ShortFrame(op, body), true, call);
    }

    void AddGarbage()
    {
        Bytes g;
        switch (Pick(4)) {
        case 0: {  // a frame that can never fit the buffer, with all its announced bytes
            int size = Range(kMaxFrameSize + 1, kMaxFrameSize + 1024);
            g = {0xC2, static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size), 0x01};
            Bytes body = RandomBytes(size - 4);
            g.insert(g.end(), body.begin(), body.end());
            Add(g, false);
            return;
        }
        case 1:   // zero size or smaller than the header
            g = Pick(2) ? Bytes{0xC1, static_cast<unsigned char>(Pick(3)), 0x02}
                        : Bytes{0xC2, 0x00, static_cast<unsigned char>(Pick(4)), 0x02};
            break;
        default:  // bytes that do not begin a frame
            g = RandomBytes(1);
            if (g[0] == 0xC1 || g[0] == 0xC2)
                g[0] = 0x00;
            break;
        }
        Bytes tail = RandomBytes(Range(0, 300));
        g.insert(g.end(), tail.begin(), tail.end());
        Add(g, false);
    }

    std::mt19937 rng_;
    Bytes bytes_;
    std::vector<StreamItem> items_;
};

// True when want is a subsequence of got, comparing with equal.
template <typename T>
bool IsSubsequence(const std::vector<T>& want, const std::vector<T>& got, size_t* missing)
{
    size_t g = 0;
    for (size_t w = 0; w < want.size(); ++w) {
        while (g < got.size() && !(got[g] == want[w]))
            ++g;
        if (g == got.size()) {
            *missing = w;
            return false;
        }
        ++g;
    }
    return true;
}

TEST(FrameStreamTest, RandomStreamResynchronisesAndDeliversIntactFrames)
{
    RandomStream stream(20240611u);
    stream.Build(520000);
    const Bytes& bytes = stream.bytes();
    std::vector<StreamItem>& items = stream.items();

    std::vector<size_t> frameEnds;   // ends of valid frames, ascending
    std::vector<size_t> itemAt(bytes.size() + 1, SIZE_MAX);   // item starting at an offset
    for (size_t i = 0; i < items.size(); ++i) {
        itemAt[items[i].start] = i;
        if (items[i].valid)
            frameEnds.push_back(items[i].end);
    }

    // Receiver a is popped directly (byte check); b is dispatched (handler check).
    std::unique_ptr<FrameReceiver> a = std::make_unique<FrameReceiver>();
    std::unique_ptr<FrameReceiver> b = std::make_unique<FrameReceiver>();
    RecordingHandler handler;
    LaunchOptions options;
    options.runMode = kRunNormal;
    std::vector<Bytes> popped;
    size_t resyncs = 0;
    size_t chunks = 0;

    size_t pos = 0;
    while (pos < bytes.size()) {
        ASSERT_EQ(a->RecvBufLen(), b->RecvBufLen());
        // A resynchronisation point: nothing held or being skipped and a valid frame
        // begins here. Every frame from here up to the next garbage must come through.
        size_t at = itemAt[pos];
        if (a->RecvBufLen() == 0 && a->SkipRemaining() == 0 && at != SIZE_MAX && items[at].valid && !items[at].expected) {
            ++resyncs;
            for (size_t i = at; i < items.size() && items[i].valid; ++i)
                items[i].expected = true;
        }

        size_t room = static_cast<size_t>(a->ReceiveRoom());
        ASSERT_GT(room, 0u);
        size_t length;
        switch (stream.Pick(10)) {
        case 0: case 1: case 2: length = static_cast<size_t>(stream.Range(1, 8)); break;
        case 3: case 4: case 5: case 6: length = static_cast<size_t>(stream.Range(1, 64)); break;
        case 7: length = static_cast<size_t>(stream.Range(1, 3000)); break;
        default: {  // up to the end of the frame being received, as a server write would be
            auto next = std::upper_bound(frameEnds.begin(), frameEnds.end(), pos);
            length = next == frameEnds.end() ? 1 : *next - pos;
            break;
        }
        }
        length = std::min({length, room, bytes.size() - pos});
        // The pool holds ten frames between dispatches: never complete more in one go.
        auto firstEnd = std::upper_bound(frameEnds.begin(), frameEnds.end(), pos);
        if (frameEnds.end() - firstEnd > 10 && *(firstEnd + 10) <= pos + length)
            length = *(firstEnd + 9) - pos;

        Bytes chunk(bytes.begin() + static_cast<long>(pos),
                    bytes.begin() + static_cast<long>(pos + length));
        ASSERT_TRUE(Receive(*a, chunk));
        ASSERT_TRUE(Receive(*b, chunk));
        ASSERT_LE(a->RecvBufLen(), kMaxFrameSize);
        std::vector<Bytes> got = PopAll(*a);
        popped.insert(popped.end(), got.begin(), got.end());
        DispatchFrames(*b, handler, options);
        options.runMode = kRunNormal;
        pos += length;
        ++chunks;
    }

    std::vector<Bytes> wantFrames;
    std::vector<std::string> wantCalls;
    size_t validFrames = 0;
    size_t garbage = 0;
    for (const StreamItem& item : items) {
        validFrames += item.valid ? 1 : 0;
        garbage += item.valid ? 0 : 1;
        if (!item.expected)
            continue;
        wantFrames.push_back(item.frame);
        if (!item.call.empty())
            wantCalls.push_back(item.call);
    }
    // The stream must exercise both sides: many recoveries and most frames expected.
    EXPECT_GE(bytes.size(), 500000u);
    EXPECT_GT(garbage, 100u);
    EXPECT_GT(resyncs, garbage / 2);
    EXPECT_GT(wantFrames.size(), validFrames * 6 / 10);
    EXPECT_LT(wantFrames.size(), validFrames);
    RecordProperty("bytes", static_cast<int>(bytes.size()));
    RecordProperty("chunks", static_cast<int>(chunks));
    RecordProperty("frames", static_cast<int>(validFrames));
    RecordProperty("garbage", static_cast<int>(garbage));
    RecordProperty("resyncs", static_cast<int>(resyncs));
    RecordProperty("expected", static_cast<int>(wantFrames.size()));

    size_t missing = 0;
    EXPECT_TRUE(IsSubsequence(wantFrames, popped, &missing))
        << "expected frame " << missing << " of " << wantFrames.size() << " not received intact";
    EXPECT_TRUE(IsSubsequence(wantCalls, handler.calls, &missing))
        << "handler call " << missing << " missing: " << wantCalls[missing];
}

}  // namespace
