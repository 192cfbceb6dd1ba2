#include "net/FrameReceiver.h"

#include <cstring>

FrameReceiver::FrameReceiver() : m_nRecvBufLen(0)
{
    memset(m_recvBuf, 0, sizeof(m_recvBuf));
}

unsigned char* FrameReceiver::ReceiveTail()
{
    return m_recvBuf + m_nRecvBufLen;
}

int FrameReceiver::ReceiveRoom() const
{
    return kMaxFrameSize - m_nRecvBufLen;
}

int FrameReceiver::OnReceived(int count)
{
    if (count < 0 || count > ReceiveRoom())
        return 0;
    if (count == 0)
        return 1;
    m_nRecvBufLen += count;
    SkipOversizedTail();
    CutFrames();
    return 1;
}

void FrameReceiver::SkipOversizedTail()
{
    // Only a discard starts a skip, so the buffer held nothing before this receive.
    int skip = m_skipRemaining < m_nRecvBufLen ? m_skipRemaining : m_nRecvBufLen;
    if (skip == 0)
        return;
    m_skipRemaining -= skip;
    m_nRecvBufLen -= skip;
    if (m_nRecvBufLen > 0)
        memmove(m_recvBuf, m_recvBuf + skip, static_cast<size_t>(m_nRecvBufLen));
}

void FrameReceiver::CutFrames()
{
    int position = 0;
    int held = m_nRecvBufLen;
    // The first byte tells the format, and the size follows it: a stream is judged
    // as soon as these bytes are here, so garbage never waits for the next receive
    // and takes the frame that follows it down with it.
    while (held >= 1) {
        const unsigned char* frame = m_recvBuf + position;
        int size = 0;
        int headerSize = 0;
        if (frame[0] == kFrameShort) {
            if (held < 2)
                break;
            size = frame[1];
            headerSize = kShortHeaderSize;
        } else if (frame[0] == kFrameLong) {
            if (held < 3)
                break;
            size = (frame[1] << 8) | frame[2];
            headerSize = kLongHeaderSize;
        } else {
            m_nRecvBufLen = 0;
            return;
        }
        // A size of 0 or one that cannot hold the header is no frame.
        if (size < headerSize) {
            m_nRecvBufLen = 0;
            return;
        }
        // One larger than the buffer could never complete and would block every later
        // frame: what is held of it is dropped and the rest skipped as it arrives.
        if (size > kMaxFrameSize) {
            m_skipRemaining = size - held;
            m_nRecvBufLen = 0;
            return;
        }
        if (size > held)
            break;
        m_frames.PushFrame(frame, size);
        position += size;
        held -= size;
    }
    if (position > 0 && held > 0)
        memmove(m_recvBuf, m_recvBuf + position, static_cast<size_t>(held));
    m_nRecvBufLen = held;
}
