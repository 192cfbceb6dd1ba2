// The connection driver inside the real main dialog: the dialog is created without a
// loop of its own, the test runs the thread's message loop and plays the connect
// server on loopback itself. What the status line showed is caught as it happens by
// a hook on its text changes, with the label's colours and pixels at that moment.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "framework/WinApp.h"
#include "net/PatchServerFrame.h"
#include "net/win/ConnectSocket.h"
#include "tests/win/TempGameDir.h"
#include "ui/UpdateDlg.h"
#include "ui/res/resource.h"

namespace {

const char kCatalogue[] = "102\tC-102 connecting\n107\tF-107 failed\n126\tR-126 ready\n";
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kGrey = RGB(230, 230, 230);

// One state of the status line as it was painted.
struct StatusShot {
    std::string text;
    COLORREF textColor;
    COLORREF fillColor;
    COLORREF background;     // a pixel of the label away from the text
    int textPixels;          // pixels of the label close to the text colour
    int redPixels;           // pure red pixels
    DWORD tick;
};

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF BrushColor(HBRUSH brush)
{
    LOGBRUSH lb = {};
    GetObjectW(brush, sizeof(lb), &lb);
    return lb.lbColor;
}

StatusShot Sample(CLinkLabel& label)
{
    StatusShot shot;
    shot.text = label.GetWindowText();
    shot.textColor = label.LabelTextColor();
    shot.fillColor = BrushColor(label.FillBrush());
    shot.tick = GetTickCount();
    RECT r;
    GetClientRect(label.m_hWnd, &r);
    HDC dc = GetDC(label.m_hWnd);
    shot.background = GetPixel(dc, 4, 4);
    shot.textPixels = 0;
    shot.redPixels = 0;
    for (int y = 2; y < r.bottom - 2; ++y) {
        for (int x = 2; x < r.right - 2; ++x) {
            COLORREF p = GetPixel(dc, x, y);
            if (Near(p, shot.textColor, 40))
                ++shot.textPixels;
            if (p == kRed)
                ++shot.redPixels;
        }
    }
    ReleaseDC(label.m_hWnd, dc);
    return shot;
}

// The dialog with its patch start recorded instead of run: these tests look at what
// the driver hands over, not at an FTP session.
class DriverDialog : public CUpdateDlg, private PatchReplyHandler {
public:
    DriverDialog() { Driver().SetPatchHandler(*this); }
    const PatchServerAddress& LastPatchRequest() const { return m_request; }
    int PatchRequestCount() const { return m_requestCount; }

private:
    int BeginPatch(const char* host, unsigned short port, const char* user, const char* password,
                   const char* catalogue) override
    {
        snprintf(m_request.host, sizeof m_request.host, "%s", host);
        m_request.port = port;
        snprintf(m_request.user, sizeof m_request.user, "%s", user);
        snprintf(m_request.password, sizeof m_request.password, "%s", password);
        snprintf(m_request.catalogue, sizeof m_request.catalogue, "%s", catalogue);
        ++m_requestCount;
        return 1;
    }

    PatchServerAddress m_request = {};
    int m_requestCount = 0;
};

// A message-only window that counts the WM_APP messages dispatched to it.
int g_appMessages = 0;

LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP)
        ++g_appMessages;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND CountingWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZrPumpCounter";
    RegisterClassW(&wc);
    g_appMessages = 0;
    return CreateWindowExW(0, L"ZrPumpCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

struct DriverTest;
DriverTest* g_current = nullptr;

struct DriverTest : ::testing::Test {
    TempGameDir dir;
    LaunchOptions savedOptions;
    std::unique_ptr<DriverDialog> dlg;
    SOCKET listener = INVALID_SOCKET;
    SOCKET server = INVALID_SOCKET;
    unsigned short port = 0;
    std::vector<StatusShot> shots;
    HHOOK hook = nullptr;

    static LRESULT CALLBACK OnTextChanged(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && g_current && g_current->dlg && call->message == WM_SETTEXT &&
            call->hwnd == g_current->dlg->StatusLine().m_hWnd)
            g_current->shots.push_back(Sample(g_current->dlg->StatusLine()));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void SetUp() override
    {
        savedOptions = g_launchOptions;
        g_msg.LoadText(kCatalogue);
        AfxEnableControlContainer();
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        SetConnectServer(g_launchOptions, "127.0.0.1", 0);
        g_launchOptions.runMode = kRunNormal;
        g_current = this;
    }

    void TearDown() override
    {
        if (hook)
            UnhookWindowsHookEx(hook);
        dlg.reset();
        g_connectSocket.Close();
        if (server != INVALID_SOCKET)
            closesocket(server);
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_current = nullptr;
        g_launchOptions = savedOptions;
        WSACleanup();
    }

    // A loopback port: listening, or bound only (so that connecting is refused).
    void OpenPort(bool listening)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_NE(listener, INVALID_SOCKET);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        int length = sizeof(address);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        g_launchOptions.connectPort = port;
        if (listening)
            StartListening();
    }

    void StartListening()
    {
        ASSERT_EQ(listen(listener, 4), 0);
        u_long nonBlocking = 1;
        ioctlsocket(listener, FIONBIO, &nonBlocking);
    }

    void StartDialog(VersionTriple installed = {1, 2, 3})
    {
        dlg.reset(new DriverDialog);
        dlg->Session().installedVersion = installed;
        hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &DriverTest::OnTextChanged, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(dlg->Create());
        ASSERT_NE(dlg->StatusLine().m_hWnd, nullptr);
    }

    // Runs the thread's messages (and accepts the launcher's connection) until the
    // condition holds; false on timeout.
    bool Pump(const std::function<bool()>& done, DWORD ms = 5000)
    {
        DWORD end = GetTickCount() + ms;
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quitPosted = true;
                    continue;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (server == INVALID_SOCKET && listener != INVALID_SOCKET) {
                server = accept(listener, nullptr, nullptr);
                if (server != INVALID_SOCKET) {
                    u_long blocking = 0;
                    ioctlsocket(server, FIONBIO, &blocking);
                    ++accepted;
                }
            }
            if (done())
                return true;
            if (static_cast<int>(end - GetTickCount()) <= 0)
                return false;
            Sleep(5);
        }
    }

    void PumpFor(DWORD ms)
    {
        Pump([] { return false; }, ms);
    }

    bool Connected()
    {
        return Pump([this] { return server != INVALID_SOCKET; });
    }

    void ServerSend(const std::vector<unsigned char>& bytes)
    {
        ASSERT_EQ(send(server, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0),
                  static_cast<int>(bytes.size()));
    }

    // What the server end received within ms (it stops at want bytes).
    std::vector<unsigned char> ServerReceive(size_t want, DWORD ms)
    {
        std::vector<unsigned char> got;
        Pump([&] {
            u_long waiting = 0;
            ioctlsocket(server, FIONREAD, &waiting);
            if (waiting > 0) {
                std::vector<char> buffer(waiting);
                int n = recv(server, buffer.data(), static_cast<int>(waiting), 0);
                if (n > 0)
                    got.insert(got.end(), buffer.begin(), buffer.begin() + n);
            }
            return got.size() >= want;
        }, ms);
        return got;
    }

    HWND ConnectButton() { return GetDlgItem(dlg->m_hWnd, IDC_CONNECT_BUTTON); }

    bool quitPosted = false;
    int accepted = 0;
};

// A patch-server frame: short format, the host at 5 (op 1) or 6 (ops 5 and 7).
std::vector<unsigned char> PatchFrame(int op, const char* host, unsigned short ftpPort, const char* user,
                                      const char* password, const char* catalogue)
{
    std::vector<unsigned char> frame(168, 0);
    frame[0] = 0xC1;
    frame[1] = 168;
    frame[2] = static_cast<unsigned char>(op);
    const unsigned char key[3] = {0x5A, 0x3C, 0x96};
    auto put = [&](size_t offset, size_t width, const char* text) {
        std::vector<unsigned char> field(width, 0);
        memcpy(field.data(), text, strlen(text));
        for (size_t i = 0; i < width; ++i)
            frame[offset + i] = field[i] ^ key[i % 3];
    };
    put(op == 1 ? 5 : 6, 100, host);
    frame[106] = static_cast<unsigned char>(ftpPort & 0xFF);
    frame[107] = static_cast<unsigned char>(ftpPort >> 8);
    put(108, 20, user);
    put(128, 20, password);
    put(148, 20, catalogue);
    return frame;
}

TEST_F(DriverTest, StartPreparesTheGameDirectoryAndConnectsAfterTheTimer)
{
    dir.Write("zr.tmp", "left over");
    OpenPort(true);
    StartDialog();
    EXPECT_FALSE(dir.Exists("zr.tmp"));
    DWORD attrs = GetFileAttributesA(dir.File("Temp").c_str());
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(IsWindowVisible(ConnectButton()));

    ASSERT_TRUE(Connected());
    ASSERT_FALSE(shots.empty());
    EXPECT_EQ(shots.back().text, "C-102 connecting");
    EXPECT_EQ(shots.back().textColor, kBlack);
    EXPECT_EQ(shots.back().fillColor, kWhite);
    // Connected and waiting for the greeting: nothing is sent, the text stays.
    EXPECT_TRUE(ServerReceive(1, 300).empty());
    EXPECT_EQ(dlg->StatusLine().GetWindowText(), "C-102 connecting");
    EXPECT_EQ(accepted, 1);
}

TEST_F(DriverTest, GreetingIsAnsweredWithTheVersionForEachRunMode)
{
    const struct {
        int runMode;
        unsigned char op;
    } cases[] = {{kRunNormal, 0x05}, {kRunRelease, 0x05}, {kRunTest, 0x06}, {kRunLocal, 0x07}};
    OpenPort(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.runMode);
        g_launchOptions.runMode = c.runMode;
        StartDialog();
        ASSERT_TRUE(Connected());
        PumpFor(50);
        ServerSend({0xC1, 0x04, 0x00, 0x01});
        std::vector<unsigned char> answer = ServerReceive(6, 3000);
        EXPECT_EQ(answer, std::vector<unsigned char>({0xC1, 0x06, c.op, 0x01, 0x02, 0x03}));
        EXPECT_TRUE(ServerReceive(1, 200).empty());
        // Next case: a fresh dialog and connection.
        UnhookWindowsHookEx(hook);
        hook = nullptr;
        dlg.reset();
        closesocket(server);
        server = INVALID_SOCKET;
    }
}

TEST_F(DriverTest, OnlyAShortGreetingWithByte3SetIsAnswered)
{
    OpenPort(true);
    StartDialog({9, 8, 7});
    ASSERT_TRUE(Connected());
    ServerSend({0xC1, 0x04, 0x00, 0x02});          // byte 3 not 1
    ServerSend({0xC2, 0x00, 0x05, 0x00, 0x01});    // long greeting: op code at byte 3
    EXPECT_TRUE(ServerReceive(1, 500).empty());
    ServerSend({0xC1, 0x04, 0x00, 0x01});
    EXPECT_EQ(ServerReceive(6, 3000), std::vector<unsigned char>({0xC1, 0x06, 0x05, 9, 8, 7}));
    EXPECT_TRUE(ServerReceive(1, 200).empty());
}

TEST_F(DriverTest, UpToDateReplyEntersTheReadyState)
{
    OpenPort(true);
    StartDialog();
    ASSERT_TRUE(Connected());
    ServerSend({0xC1, 0x04, 0x00, 0x01});
    ASSERT_EQ(ServerReceive(6, 3000).size(), 6u);
    ServerSend({0xC1, 0x03, 0x02});
    ASSERT_TRUE(Pump([&] { return dlg->Session().launchReady == 1; }));
    EXPECT_EQ(dlg->StatusLine().GetWindowText(), "R-126 ready");
    ASSERT_FALSE(shots.empty());
    const StatusShot& ready = shots.back();
    EXPECT_EQ(ready.textColor, kBlack);
    EXPECT_EQ(ready.fillColor, kGrey);
    EXPECT_EQ(ready.background, kGrey);
    EXPECT_GT(ready.textPixels, 0);
    EXPECT_TRUE(IsWindowVisible(ConnectButton()));
    EXPECT_TRUE(IsWindowEnabled(ConnectButton()));
    EXPECT_EQ(dlg->PatchRequestCount(), 0);
}

TEST_F(DriverTest, RefusedConnectionShowsTheErrorThenOffersARetry)
{
    OpenPort(false);
    StartDialog();
    ASSERT_TRUE(Pump([&] { return IsWindowVisible(ConnectButton()) != FALSE; }));
    // 102 normal, then 107 in the error style for half a second, then 126 normal.
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[0].text, "C-102 connecting");
    EXPECT_EQ(shots[1].text, "F-107 failed");
    EXPECT_EQ(shots[1].textColor, kWhite);
    EXPECT_EQ(shots[1].fillColor, kRed);
    EXPECT_EQ(shots[1].background, kRed);
    EXPECT_GT(shots[1].textPixels, 0);
    EXPECT_GE(shots[2].tick - shots[1].tick, 450u);
    EXPECT_EQ(shots[2].text, "R-126 ready");
    EXPECT_EQ(shots[2].textColor, kBlack);
    EXPECT_EQ(shots[2].fillColor, kWhite);
    EXPECT_EQ(shots[2].background, kWhite);
    EXPECT_EQ(shots[2].redPixels, 0);
    EXPECT_EQ(dlg->Session().launchReady, 0);
    EXPECT_TRUE(IsWindowEnabled(ConnectButton()));

    // Connect while not ready: the button hides, and about 100 ms later a new
    // attempt reaches the server, which listens now.
    StartListening();
    DWORD pressed = GetTickCount();
    SendMessageW(ConnectButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(ConnectButton()));
    EXPECT_EQ(shots.size(), 3u);
    ASSERT_TRUE(Connected());
    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(shots[3].text, "C-102 connecting");
    EXPECT_GE(shots[3].tick - pressed, 80u);
    EXPECT_LT(shots[3].tick - pressed, 2000u);
    EXPECT_EQ(shots[3].fillColor, kWhite);
    EXPECT_FALSE(quitPosted);
}

TEST_F(DriverTest, UnresolvableHostIsReportedAsAFailure)
{
    // Malformed, so the lookup fails locally without asking any name server.
    SetConnectServer(g_launchOptions, "zr..invalid", 44405);
    StartDialog();
    ASSERT_TRUE(Pump([&] { return IsWindowVisible(ConnectButton()) != FALSE; }));
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[1].text, "F-107 failed");
    EXPECT_EQ(shots[1].fillColor, kRed);
    EXPECT_EQ(shots[2].text, "R-126 ready");
    EXPECT_EQ(shots[2].fillColor, kWhite);
    EXPECT_EQ(g_connectSocket.Socket(), INVALID_SOCKET);
}

TEST_F(DriverTest, PatchServerReplyReachesBeginPatchDescrambled)
{
    OpenPort(true);
    g_launchOptions.runMode = kRunLocal;
    StartDialog();
    ASSERT_TRUE(Connected());
    PumpFor(50);

    // Op 7 keeps the local mode.
    ServerSend(PatchFrame(7, "ftp.local.test", 2121, "seven", "pw7", "version.cvd"));
    ASSERT_TRUE(Pump([&] { return dlg->PatchRequestCount() == 1; }));
    EXPECT_STREQ(dlg->LastPatchRequest().host, "ftp.local.test");
    EXPECT_EQ(dlg->LastPatchRequest().port, 2121);
    EXPECT_STREQ(dlg->LastPatchRequest().user, "seven");
    EXPECT_STREQ(dlg->LastPatchRequest().password, "pw7");
    EXPECT_STREQ(dlg->LastPatchRequest().catalogue, "version.cvd");
    EXPECT_EQ(g_launchOptions.runMode, kRunLocal);

    // Op 5 turns the local mode into the release mode.
    ServerSend(PatchFrame(5, "127.0.0.1", 21, "user5", "secret5", "cat5.cvd"));
    ASSERT_TRUE(Pump([&] { return dlg->PatchRequestCount() == 2; }));
    EXPECT_STREQ(dlg->LastPatchRequest().host, "127.0.0.1");
    EXPECT_EQ(dlg->LastPatchRequest().port, 21);
    EXPECT_STREQ(dlg->LastPatchRequest().user, "user5");
    EXPECT_STREQ(dlg->LastPatchRequest().password, "secret5");
    EXPECT_STREQ(dlg->LastPatchRequest().catalogue, "cat5.cvd");
    EXPECT_EQ(g_launchOptions.runMode, kRunRelease);

    // Op 1 has its host one byte earlier; a field that fills its width is cut there.
    ServerSend(PatchFrame(1, "patch1.example", 65535, "twenty-characters-xx", "p", "list.cvd"));
    ASSERT_TRUE(Pump([&] { return dlg->PatchRequestCount() == 3; }));
    EXPECT_STREQ(dlg->LastPatchRequest().host, "patch1.example");
    EXPECT_EQ(dlg->LastPatchRequest().port, 65535);
    EXPECT_STREQ(dlg->LastPatchRequest().user, "twenty-characters-xx");
    EXPECT_EQ(g_launchOptions.runMode, kRunRelease);
}

TEST_F(DriverTest, EleventhFrameOfOneReceiveIsDropped)
{
    OpenPort(true);
    StartDialog();
    ASSERT_TRUE(Connected());
    PumpFor(50);
    std::vector<unsigned char> burst;
    for (int i = 1; i <= 11; ++i) {
        std::string host = "host" + std::to_string(i);
        std::vector<unsigned char> frame = PatchFrame(7, host.c_str(), 21, "u", "p", "c");
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    // All eleven frames are in the system's buffer before the launcher reads.
    ServerSend(burst);
    Sleep(100);
    ASSERT_TRUE(Pump([&] { return dlg->PatchRequestCount() >= 10; }));
    PumpFor(300);
    EXPECT_EQ(dlg->PatchRequestCount(), 10);
    EXPECT_STREQ(dlg->LastPatchRequest().host, "host10");
}

TEST_F(DriverTest, CloseWhileConnectingEndsTheLauncher)
{
    OpenPort(true);
    StartDialog();
    ASSERT_TRUE(Connected());
    ASSERT_EQ(dlg->Session().stopped, 1);
    SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_BUTTON, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg->m_hWnd, IDC_CLOSE_BUTTON)));
    PumpFor(50);
    EXPECT_TRUE(quitPosted);
    EXPECT_EQ(g_connectSocket.Socket(), INVALID_SOCKET);
    // The server sees the connection end.
    char byte;
    EXPECT_EQ(recv(server, &byte, 1, 0), 0);
}

TEST_F(DriverTest, CloseDuringAPatchStopsItAndGoesIdle)
{
    OpenPort(true);
    StartDialog();
    ASSERT_TRUE(Connected());
    dlg->Session().stopped = 0;                     // a patch is running
    dlg->OnCloseButton();
    EXPECT_EQ(dlg->Session().stopped, 1);
    EXPECT_EQ(g_connectSocket.Socket(), INVALID_SOCKET);
    PumpFor(50);
    EXPECT_FALSE(quitPosted);
    EXPECT_EQ(dlg->StatusLine().GetWindowText(), "R-126 ready");
    EXPECT_EQ(BrushColor(dlg->StatusLine().FillBrush()), kWhite);
    EXPECT_TRUE(IsWindowVisible(ConnectButton()));
    EXPECT_EQ(dlg->Session().launchReady, 0);

    // Pressed again, Close ends the launcher.
    dlg->OnCloseButton();
    PumpFor(50);
    EXPECT_TRUE(quitPosted);
}

TEST_F(DriverTest, AFailedPatchKeepsItsErrorAndOffersConnectForANewAttempt)
{
    OpenPort(true);
    StartDialog();
    ASSERT_TRUE(Connected());
    ASSERT_FALSE(IsWindowVisible(ConnectButton()));
    dlg->ShowStatusError("update failed");
    dlg->OfferRetry();
    EXPECT_EQ(dlg->StatusLine().GetWindowText(), "update failed");
    EXPECT_EQ(BrushColor(dlg->StatusLine().FillBrush()), kRed);
    EXPECT_TRUE(IsWindowVisible(ConnectButton()));
    EXPECT_TRUE(IsWindowEnabled(ConnectButton()));
    EXPECT_EQ(dlg->Session().launchReady, 0);

    // Connect starts a new attempt, never the game.
    SendMessageW(ConnectButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(ConnectButton()));
    PumpFor(50);
    EXPECT_FALSE(quitPosted);
}

TEST_F(DriverTest, StatusStylesPaintTheirColoursAndKeepOneBrush)
{
    SetConnectServer(g_launchOptions, "127.0.0.1", 1);
    StartDialog();
    KillTimer(dlg->m_hWnd, kConnectTimer);
    CLinkLabel& label = dlg->StatusLine();

    dlg->ShowStatusError("error style");
    HBRUSH red = label.FillBrush();
    StatusShot error = Sample(label);
    EXPECT_EQ(error.background, kRed);
    EXPECT_GT(error.textPixels, 0);
    EXPECT_EQ(error.textColor, kWhite);

    dlg->ShowStatus("normal style");
    HBRUSH white = label.FillBrush();
    StatusShot normal = Sample(label);
    EXPECT_EQ(normal.background, kWhite);
    EXPECT_EQ(normal.redPixels, 0);
    EXPECT_GT(normal.textPixels, 0);
    EXPECT_EQ(BrushColor(white), kWhite);
    // The red brush is gone (unless its handle was reused for the new brush).
    if (red != white) {
        EXPECT_EQ(GetObjectType(red), 0u);
    }

    dlg->ShowStatusReady("ready style");
    StatusShot ready = Sample(label);
    EXPECT_EQ(ready.background, kGrey);
    EXPECT_EQ(ready.redPixels, 0);
    if (white != label.FillBrush()) {
        EXPECT_EQ(GetObjectType(white), 0u);
    }

    // A new fill alone does not repaint: the old fill stays until the next paint.
    label.SetLabelBkColor(kRed);
    EXPECT_EQ(Sample(label).background, kGrey);
    RedrawWindow(label.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(Sample(label).background, kRed);
}

TEST_F(DriverTest, PumpOneMessageTakesOneMessageAndKeepsAQuit)
{
    SetConnectServer(g_launchOptions, "127.0.0.1", 1);
    StartDialog();
    KillTimer(dlg->m_hWnd, kConnectTimer);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // An empty queue: back at once.
    DWORD start = GetTickCount();
    dlg->PumpOneMessage();
    EXPECT_LT(GetTickCount() - start, 50u);

    // Two waiting messages: exactly one is taken and dispatched.
    HWND counter = CountingWindow();
    PostMessageW(counter, WM_APP, 0, 0);
    PostMessageW(counter, WM_APP, 0, 0);
    dlg->PumpOneMessage();
    EXPECT_EQ(g_appMessages, 1);
    EXPECT_TRUE(PeekMessageW(&msg, counter, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, counter, WM_APP, WM_APP, PM_REMOVE));
    DestroyWindow(counter);

    // A quit request survives the pump for the dialog's own loop.
    PostQuitMessage(3);
    dlg->PumpOneMessage();
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

} // namespace
