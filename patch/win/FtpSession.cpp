// The FTP session of a patch: the account from the connect server, the two WinINet
// handles (opened once, shared by the whole walk, closed by CloseFtp), the version
// catalogue and each version's "list.inf".
#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "app/ShowMessage.h"
#include "patch/Catalogue.h"
#include "patch/LauncherKeys.h"
#include "patch/PathCheck.h"
#include "patch/win/PatchEngine.h"
#include "patch/win/RepairRun.h"

namespace {

const char kAgent[] = "PATCH_FTP_DOWNLOAD";
const char kDefaultCatalogue[] = "version.cvd";

// Copies a text into a fixed field, cut to the field's width.
template <size_t N>
void CopyField(char (&field)[N], const char* text)
{
    snprintf(field, N, "%s", text ? text : "");
}

void CloseInternetHandle(InternetHandle& handle)
{
    if (handle) {
        InternetCloseHandle(static_cast<HINTERNET>(handle));
        handle = nullptr;
    }
}

// Clears a flag when the scope ends, on every exit.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

int PatchEngine::BeginPatch(const char* host, unsigned short port, const char* user,
                            const char* password, const char* catalogueName)
{
    SessionRequest request;
    request.host = host ? host : "";
    request.port = port;
    request.user = user ? user : "";
    request.password = password ? password : "";
    request.catalogue = catalogueName ? catalogueName : "";
    // A patch-server reply that arrives while a session runs (its messages are
    // pumped) would rebuild the tables under the running walk, and dropping it would
    // leave the player's Connect without an answer: it waits for the running
    // session to end, unless the Close button drops it first (CloseFtp).
    if (m_busy) {
        m_queued = request;
        m_hasQueued = true;
        return 0;
    }
    BusyScope busy(m_busy);
    int result = RunSession(request);
    while (m_hasQueued && !m_restarting) {
        m_hasQueued = false;
        SessionRequest next = m_queued;
        result = RunSession(next);
    }
    return result;
}

int PatchEngine::RunSession(const SessionRequest& request)
{
    if (!OpenSession(request)) {
        m_reporter.OfferRetry();
        return 0;
    }
    // From here on a patch runs: the Close button stops it instead of quitting.
    m_session.stopped = 0;
    int completed = m_options.repair
        ? RepairRun(*this, m_session, m_options, m_reporter, g_publisherKeys).Run()
        : RunPatch();
    // A walk that failed on its own keeps its error and offers a new attempt; after
    // the Close button the idle state it showed stays.
    bool stoppedByClose = !completed && m_session.stopped;
    // No patch runs any more: the Close button quits again.
    m_session.stopped = 1;
    if (!completed && !stoppedByClose && !m_restarting)
        m_reporter.OfferRetry();
    return 1;
}

int PatchEngine::OpenSession(const SessionRequest& request)
{
    // The session record keeps its own copies for the whole walk.
    CopyField(m_session.ftpHost, request.host.c_str());
    m_session.ftpPort = request.port;
    CopyField(m_session.ftpUser, request.user.c_str());
    CopyField(m_session.ftpPassword, request.password.c_str());
    CopyField(m_session.catalogueName, request.catalogue.c_str());

    // A session that an earlier failure left open is closed before the new one.
    CloseHandles();
    DeleteFileA(kDefaultCatalogue);
    m_reporter.ShowStatus(g_msg.Get(kMsgPatchStarting));
    m_session.selfUpdatePending = 0;

    if (!OpenFtp())
        return 0;
    if (!FetchCatalogue())
        return 0;

    m_reporter.ShowStatus(g_msg.Get(kMsgReadingCatalogue));
    int parsed = ParseCatalogueFile(m_session.catalogueName, m_session);
    if (parsed != kCatalogueOk) {
        m_reporter.ShowStatusError(g_msg.Get(parsed == kCatalogueTooMany ? kMsgCatalogueTooLong
                                                                         : kMsgCatalogueUnreadable));
        DeleteFileA(m_session.catalogueName);
        return 0;
    }
    return 1;
}

int PatchEngine::OpenFtp()
{
    HINTERNET internet = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    m_session.internetHandle = internet;
    if (!internet) {
        ShowMessageF("%s", g_msg.Get(kMsgInternetOpenFailed));
        return 0;
    }
    // The login waits on the server: on the worker, bounded.
    InternetHandle ftp = ConnectFtp(internet);
    m_session.ftpHandle = ftp;
    if (!ftp) {
        CloseInternetHandle(m_session.internetHandle);
        ShowMessageF("%s", g_msg.Get(kMsgFtpConnectFailed));
        return 0;
    }
    return 1;
}

int PatchEngine::FetchCatalogue()
{
    m_reporter.ShowStatus(g_msg.Get(kMsgFetchingCatalogue));
    // The name comes from the network and becomes a local file name: it must name a
    // file inside the game directory.
    if (!IsSafeRelativePath(m_session.catalogueName)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgDownloadFailed));
        return 0;
    }
    std::string catalogue;
    if (!FetchWholeFile(m_session.catalogueName, catalogue)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgDownloadFailed));
        return 0;
    }
    // Signed catalogues are checked on the bytes as fetched, before anything parses them.
    return CheckCatalogueSignature(catalogue);
}

void PatchEngine::CloseFtp()
{
    // The Close button: a reply waiting for the running session is dropped too.
    m_hasQueued = false;
    CloseHandles();
}

void PatchEngine::CloseHandles()
{
    // Children first: a file still open in a transfer, then the connection, then
    // the session. Each handle is forgotten as it is closed, so a second call (or
    // the transfer that owned the file) closes nothing twice.
    // Blocks read ahead belong to the closed file: a new one may get its handle value.
    DropReadAhead();
    CloseInternetHandle(m_session.remoteFile);
    CloseInternetHandle(m_session.ftpHandle);
    CloseInternetHandle(m_session.internetHandle);
}

int PatchEngine::FetchFileList()
{
    // Never from a cache: a version's list may be published again.
    std::string list;
    if (!FetchWholeFile(kListFileName, list)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgDownloadFailed));
        return 0;
    }
    return 1;
}
