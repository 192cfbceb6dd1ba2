#pragma once
// The receive side of the connect socket: the receive buffer, the frame cutter that
// runs after each receive, and the pool of complete frames.
//
// The socket receives straight into the free tail of the buffer (ReceiveTail,
// ReceiveRoom) and reports the count with OnReceived, which cuts every complete
// frame out of the buffer into the pool. What is left is at most one incomplete
// frame, kept at the start of the buffer. A stream that cannot be cut (a header
// byte other than C1 or C2, a size of 0, or a size smaller than the frame's own
// header) is discarded with everything buffered as soon as the bytes that show it are
// here; cutting restarts with the next receive. A frame larger than the buffer is
// discarded too, and the rest of its announced size is skipped as it arrives, so its
// tail is never cut as frames. Since no frame larger than the buffer is ever waited
// for, the buffer always has room for the next receive.
#include "net/FramePool.h"

class FrameReceiver {
public:
    FrameReceiver();
    FrameReceiver(const FrameReceiver&) = delete;
    FrameReceiver& operator=(const FrameReceiver&) = delete;

    // Where the next receive writes, and how many bytes fit there.
    unsigned char* ReceiveTail();
    int ReceiveRoom() const;

    // Takes count bytes written at ReceiveTail into the buffer and cuts frames.
    // Returns 0 (and changes nothing) when count is negative or exceeds the room.
    int OnReceived(int count);

    int PushFrame(const unsigned char* bytes, int size) { return m_frames.PushFrame(bytes, size); }
    unsigned char* PopFrame(int* size = nullptr) { return m_frames.PopFrame(size); }

    int RecvBufLen() const { return m_nRecvBufLen; }
    const unsigned char* RecvBuf() const { return m_recvBuf; }
    int PendingFrames() const { return m_frames.UsedSlots(); }
    // Bytes of a discarded oversized frame that are still to be skipped.
    int SkipRemaining() const { return m_skipRemaining; }

protected:
    unsigned char m_recvBuf[kMaxFrameSize];
    int m_nRecvBufLen;
    FramePool m_frames;

private:
    void SkipOversizedTail();
    void CutFrames();

    int m_skipRemaining = 0;   // bytes of a discarded oversized frame still to come
};
