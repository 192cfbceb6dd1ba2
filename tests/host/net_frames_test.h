#pragma once
// Frame builders and a recording reply handler shared by the connect-server tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/AccountScramble.h"
#include "net/FrameHandler.h"
#include "net/FrameReceiver.h"

namespace nettest {

typedef std::vector<unsigned char> Bytes;

// Short frame C1 size op body...
inline Bytes ShortFrame(int op, const Bytes& body = {})
{
    if (body.size() > 252)
        ADD_FAILURE() << "short frame body of " << body.size() << " bytes";
    Bytes f = {0xC1, static_cast<unsigned char>(3 + body.size()), static_cast<unsigned char>(op)};
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

// Long frame C2 sizeHi sizeLo op body...
inline Bytes LongFrame(int op, const Bytes& body = {})
{
    size_t size = 4 + body.size();
    Bytes f = {0xC2, static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size & 0xFF),
               static_cast<unsigned char>(op)};
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

inline void PutField(Bytes& frame, size_t offset, size_t width, const std::string& text)
{
    Bytes field(width, 0);
    memcpy(field.data(), text.data(), text.size() < width ? text.size() : width);
    Descramble(field.data(), static_cast<int>(width));
    std::copy(field.begin(), field.end(), frame.begin() + static_cast<long>(offset));
}

struct Account {
    std::string host, user, password, catalogue;
    unsigned short port;
};

// A patch-server frame of the given format and total size (at least 168).
inline Bytes PatchFrame(int op, const Account& a, bool longFormat = false, size_t size = 168)
{
    size_t header = longFormat ? 4 : 3;
    Bytes frame = longFormat ? LongFrame(op, Bytes(size - header, 0xEE))
                             : ShortFrame(op, Bytes(size - header, 0xEE));
    PutField(frame, op == 1 ? 5 : 6, 100, a.host);
    frame[106] = static_cast<unsigned char>(a.port & 0xFF);
    frame[107] = static_cast<unsigned char>(a.port >> 8);
    PutField(frame, 108, 20, a.user);
    PutField(frame, 128, 20, a.password);
    PutField(frame, 148, 20, a.catalogue);
    return frame;
}

// Copies bytes into the receiver as one receive; false when they do not fit.
inline bool Receive(FrameReceiver& r, const Bytes& bytes)
{
    if (static_cast<int>(bytes.size()) > r.ReceiveRoom())
        return false;
    if (!bytes.empty())
        memcpy(r.ReceiveTail(), bytes.data(), bytes.size());
    return r.OnReceived(static_cast<int>(bytes.size())) == 1;
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Every frame left in the pool, in pop order.
inline std::vector<Bytes> PopAll(FrameReceiver& r)
{
    std::vector<Bytes> frames;
    int size = 0;
    while (unsigned char* f = r.PopFrame(&size))
        frames.push_back(Bytes(f, f + size));
    return frames;
}

// Records every handler call as one line of text.
class RecordingHandler : public FrameHandler {
public:
    std::vector<std::string> calls;

    void SendVersion() override { calls.push_back("version"); }
    void EnterReady() override { calls.push_back("ready"); }
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogue) override
    {
        calls.push_back("patch " + std::string(host) + " " + std::to_string(port) + " " + user +
                        " " + password + " " + catalogue);
        return 1;
    }
};

}  // namespace nettest
