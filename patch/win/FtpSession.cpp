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
#include "patch/PathCheck.h"
#include "patch/win/PatchEngine.h"

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
    // A patch-server reply that arrives while a session runs (its messages are
    // pumped) would rebuild the tables under the running walk: it is ignored.
    if (m_busy)
        return 0;
    BusyScope busy(m_busy);

    // The arguments are the caller's (a decoded reply, not the received frame): the
    // session record keeps its own copies for the whole walk.
    CopyField(m_session.ftpHost, host);
    m_session.ftpPort = port;
    CopyField(m_session.ftpUser, user);
    CopyField(m_session.ftpPassword, password);
    CopyField(m_session.catalogueName, catalogueName);

    // A session that an earlier failure left open is closed before the new one.
    CloseFtp();
    DeleteFileA(kDefaultCatalogue);
    m_reporter.ShowStatus(g_msg.Get(kMsgPatchStarting));
    m_session.selfUpdatePending = 0;

    if (!OpenFtp())
        return 0;
    if (!FetchCatalogue() || !CheckCatalogueSignature())
        return 0;

    m_reporter.ShowStatus(g_msg.Get(kMsgReadingCatalogue));
    int parsed = ParseCatalogueFile(m_session.catalogueName, m_session);
    if (parsed != kCatalogueOk) {
        m_reporter.ShowStatusError(g_msg.Get(parsed == kCatalogueTooMany ? kMsgCatalogueTooLong
                                                                         : kMsgCatalogueUnreadable));
        DeleteFileA(m_session.catalogueName);
        return 0;
    }

    // From here on a patch runs: the Close button stops it instead of quitting.
    m_session.stopped = 0;
    RunPatch();
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
    HINTERNET ftp = InternetConnectA(internet, m_session.ftpHost, m_session.ftpPort,
                                     m_session.ftpUser, m_session.ftpPassword,
                                     INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
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
    DeleteFileA(m_session.catalogueName);
    if (!m_session.ftpHandle ||
        !FtpGetFileA(static_cast<HINTERNET>(m_session.ftpHandle), m_session.catalogueName,
                     m_session.catalogueName, FALSE, FILE_ATTRIBUTE_NORMAL,
                     INTERNET_FLAG_RELOAD | FTP_TRANSFER_TYPE_BINARY, 0)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgDownloadFailed));
        return 0;
    }
    return 1;
}

void PatchEngine::CloseFtp()
{
    // Children first: a file still open in a transfer, then the connection, then
    // the session. Each handle is forgotten as it is closed, so a second call (or
    // the transfer that owned the file) closes nothing twice.
    CloseInternetHandle(m_session.remoteFile);
    CloseInternetHandle(m_session.ftpHandle);
    CloseInternetHandle(m_session.internetHandle);
}

int PatchEngine::FetchFileList()
{
    DeleteFileA(kListFileName);
    // Never from a cache: a version's list may be published again.
    if (!m_session.ftpHandle ||
        !FtpGetFileA(static_cast<HINTERNET>(m_session.ftpHandle), kListFileName, kListFileName,
                     FALSE, FILE_ATTRIBUTE_NORMAL, INTERNET_FLAG_RELOAD | FTP_TRANSFER_TYPE_BINARY, 0)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgDownloadFailed));
        return 0;
    }
    return 1;
}
