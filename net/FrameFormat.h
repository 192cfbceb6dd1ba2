#pragma once
// The connect server's two frame formats. Every frame starts with a header byte that
// names its format; the size always counts the whole frame, header included.
//
//   short: C1 size          op body...   (size: one byte, op code at byte 2)
//   long:  C2 sizeHi sizeLo op body...   (size: big-endian 16 bits, op code at byte 3)

enum FrameFormat {
    kFrameShort = 0xC1,
    kFrameLong = 0xC2,
};

enum {
    kShortHeaderSize = 3,    // header byte, size, op code
    kLongHeaderSize = 4,     // header byte, two size bytes, op code
    kMaxFrameSize = 4096,    // also the size of the receive buffer
    kFramePoolSlots = 10,
};

// Op codes of the connect server's short replies; the patch-server replies are in
// PatchServerFrame.h.
enum ReplyOp {
    kOpGreeting = 0,   // C1 04 00 01: the launcher answers with its version request
    kOpUpToDate = 2,   // C1 03 02: the client is current
};

// Op code of a complete frame (at least its header is present).
inline int FrameOpCode(const unsigned char* frame)
{
    return frame[0] == kFrameLong ? frame[3] : frame[2];
}
