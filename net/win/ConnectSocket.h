#pragma once
// CConnectSocket: the launcher's one TCP client socket to the connect server, in the
// window-message form of Windows Sockets (WSAAsyncSelect): the socket never blocks,
// and every network event arrives as a message to the window given to Create.
//
// Bytes the system will not take at once wait in a 4096-byte send buffer until the
// next FD_WRITE. Received bytes are cut into frames by the FrameReceiver base (its
// receive buffer and frame pool); the driver dispatches them.
//
// All buffers are inline; the object never allocates and is not copied.
#include <winsock2.h>
#include <windows.h>

#include "net/FrameReceiver.h"

enum { kSendBufferSize = 4096 };

// Results of Connect.
enum ConnectResult {
    kConnectFailed = 0,       // the socket is closed
    kConnectStarted = 1,      // FD_CONNECT will report the outcome
    kConnectUnresolved = 2,   // the host name did not resolve; the socket stays open
};

class CConnectSocket : public FrameReceiver {
public:
    CConnectSocket();
    // Does nothing: the process-wide instance outlives the socket library.
    virtual ~CConnectSocket();
    CConnectSocket(const CConnectSocket&) = delete;
    CConnectSocket& operator=(const CConnectSocket&) = delete;

    // Starts Windows Sockets 2.2; a message box tells of a failure.
    int Startup();
    // Opens a new TCP socket whose events go to window. A socket left open by an
    // earlier attempt is closed first, and the bytes of that connection (waiting to
    // be sent, or received but not yet cut) are dropped with it.
    int Create(HWND window);
    // Starts a non-blocking connect; returns a ConnectResult. Only FD_CONNECT is
    // selected until the driver widens the mask.
    int Connect(const char* host, unsigned short port, UINT message);
    // Selects the events of the current socket; 1 on success.
    int SelectEvents(UINT message, long events);
    // Closes the socket, if any; harmless when repeated. Always 1.
    int Close();
    // Sends length bytes: 1 when all went to the system, 0 otherwise (also when the
    // rest was kept for the next FD_WRITE). Bytes never overtake bytes still waiting.
    int Send(const unsigned char* bytes, int length);
    // FD_WRITE: sends what waits. 1 when emptied or the system would block, 0 when
    // the socket was closed.
    int OnWrite();
    // FD_READ: receives after the held bytes and cuts complete frames into the pool.
    int OnRead();
    // Diagnostic sink: receives a format and its values and writes nothing.
    void Trace(const char* format, ...);

    SOCKET Socket() const { return m_socket; }
    HWND Window() const { return m_hWnd; }
    int SendBufLen() const { return m_nSendBufLen; }
    const unsigned char* SendBuf() const { return m_sendBuf; }

protected:
    // Resolves a host name that is not a dotted address into out; 1 on success.
    virtual int ResolveHost(const char* host, in_addr* out);

    HWND m_hWnd;
    SOCKET m_socket;
    unsigned char m_sendBuf[kSendBufferSize];
    int m_nSendBufLen;
};

extern CConnectSocket g_connectSocket;

// Formats the socket-creation error text: format is used when it holds exactly one
// %d conversion (and "%%" literals) and nothing else, else a fixed format. The result
// is cut to fit size bytes and always NUL-terminated. Returns 1 when format was used.
int FormatSocketErrorText(char* out, int size, const char* format, int code);
