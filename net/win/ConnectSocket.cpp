#include "net/win/ConnectSocket.h"

#include <cstdio>
#include <cstring>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "framework/MessageBox.h"

CConnectSocket g_connectSocket;

namespace {

enum { kErrorTextSize = 128 };

void ShowSocketError(const char* text)
{
    MessageBoxUtf8(nullptr, text, "Error", MB_OK);
}

// True when format holds exactly one "%d" and no other conversion ("%%" is text).
bool HasOneIntConversion(const char* format)
{
    int conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        if (p[1] != 'd')
            return false;
        ++conversions;
        ++p;
    }
    return conversions == 1;
}

} // namespace

int FormatSocketErrorText(char* out, int size, const char* format, int code)
{
    if (!out || size <= 0)
        return 0;
    bool usable = format && HasOneIntConversion(format);
    // The format is checked above, so a damaged catalogue cannot reach snprintf.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    snprintf(out, static_cast<size_t>(size), usable ? format : "Socket error %d", code);
#pragma GCC diagnostic pop
    return usable ? 1 : 0;
}

CConnectSocket::CConnectSocket() : m_hWnd(nullptr), m_socket(INVALID_SOCKET), m_nSendBufLen(0)
{
    memset(m_sendBuf, 0, sizeof(m_sendBuf));
}

CConnectSocket::~CConnectSocket() {}

int CConnectSocket::Startup()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        ShowSocketError(g_msg.Get(kMsgNetStartupFailed));
        return 0;
    }
    if (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != 2) {
        WSACleanup();
        ShowSocketError(g_msg.Get(kMsgNetWrongVersion));
        return 0;
    }
    Close();
    return 1;
}

int CConnectSocket::Create(HWND window)
{
    // A new connection starts clean: no socket and no bytes of an earlier one.
    Close();
    m_nSendBufLen = 0;
    m_nRecvBufLen = 0;

    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        char text[kErrorTextSize];
        FormatSocketErrorText(text, sizeof(text), g_msg.Get(kMsgNetCreateFailed), WSAGetLastError());
        ShowSocketError(text);
        return 0;
    }
    m_hWnd = window;
    return 1;
}

int CConnectSocket::ResolveHost(const char* host, in_addr* out)
{
    const hostent* entry = gethostbyname(host);
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
        return 0;
    memset(out, 0, sizeof(*out));
    size_t length = entry->h_length > 0 ? static_cast<size_t>(entry->h_length) : 0;
    memcpy(out, entry->h_addr_list[0], length < sizeof(*out) ? length : sizeof(*out));
    return 1;
}

int CConnectSocket::Connect(const char* host, unsigned short port, UINT message)
{
    if (!m_hWnd) {
        ShowSocketError(g_msg.Get(kMsgNetNoWindow));
        return kConnectFailed;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(host ? host : "");
    if (address.sin_addr.s_addr == INADDR_NONE && !ResolveHost(host ? host : "", &address.sin_addr))
        return kConnectUnresolved;

    if (!SelectEvents(message, FD_CONNECT)) {
        Close();
        return kConnectFailed;
    }
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        Close();
        return kConnectFailed;
    }
    return kConnectStarted;
}

int CConnectSocket::SelectEvents(UINT message, long events)
{
    if (m_socket == INVALID_SOCKET)
        return 0;
    return WSAAsyncSelect(m_socket, m_hWnd, message, events) == 0 ? 1 : 0;
}

int CConnectSocket::Close()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    return 1;
}

int CConnectSocket::Send(const unsigned char* bytes, int length)
{
    if (m_socket == INVALID_SOCKET || !bytes || length < 0)
        return 0;
    // Bytes still waiting go first; new bytes queue behind them when they stay.
    if (m_nSendBufLen > 0 && (!OnWrite() || m_nSendBufLen > 0)) {
        if (m_socket == INVALID_SOCKET)
            return 0;
        if (m_nSendBufLen + length > kSendBufferSize) {
            Close();
            return 0;
        }
        memcpy(m_sendBuf + m_nSendBufLen, bytes, static_cast<size_t>(length));
        m_nSendBufLen += length;
        return 0;
    }

    int sent = 0;
    while (sent < length) {
        int result = send(m_socket, reinterpret_cast<const char*>(bytes + sent), length - sent, 0);
        if (result == 0)
            return 1;
        if (result == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK) {
                Trace("send() 에러 %d로 종료시킴 len(%d)", error, length);
                Close();
                return 0;
            }
            if (m_nSendBufLen + length > kSendBufferSize) {
                Close();
                return 0;
            }
            int rest = length - sent;
            memcpy(m_sendBuf + m_nSendBufLen, bytes + sent, static_cast<size_t>(rest));
            m_nSendBufLen += rest;
            return 0;
        }
        sent += result;
    }
    return 1;
}

int CConnectSocket::OnWrite()
{
    while (m_nSendBufLen > 0) {
        if (m_socket == INVALID_SOCKET)
            return 0;
        int result = send(m_socket, reinterpret_cast<const char*>(m_sendBuf), m_nSendBufLen, 0);
        if (result == 0) {
            Close();
            return 0;
        }
        if (result == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK)
                return 1;
            Trace("FD_WRITE send() 에러 %d", error);
            Close();
            return 0;
        }
        m_nSendBufLen -= result;
        memmove(m_sendBuf, m_sendBuf + result, static_cast<size_t>(m_nSendBufLen));
    }
    return 1;
}

int CConnectSocket::OnRead()
{
    if (m_socket == INVALID_SOCKET)
        return 0;
    int result = recv(m_socket, reinterpret_cast<char*>(ReceiveTail()), ReceiveRoom(), 0);
    if (result == 0)
        return 0;
    if (result == SOCKET_ERROR) {
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            Trace("recv() 받기 에러 %d", error);
        return 0;
    }
    return OnReceived(result);
}

void CConnectSocket::Trace(const char*, ...) {}
