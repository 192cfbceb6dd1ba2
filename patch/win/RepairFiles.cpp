// A repair run, its second half: every expected file is hashed where it is installed,
// and each missing or damaged one is fetched into Temp, checked as served and as
// installed, and renamed over its target.
#include <cstdio>
#include <vector>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "patch/ListCheck.h"
#include "patch/ManifestCheck.h"
#include "patch/ProgressThrottle.h"
#include "patch/Sha256.h"
#include "patch/TransferPercent.h"
#include "patch/win/RepairRun.h"

namespace {

enum { kHashBlock = 1 << 20, kStatusBytes = 1024 };

const char kSelfUpdateTarget[] = "zr._xe";

// Creates every directory level of `path` up to its last backslash.
void CreateParentDirectories(const std::string& path)
{
    for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
        CreateDirectoryA(path.substr(0, cut).c_str(), nullptr);
}

bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

int RepairRun::CheckFiles(const std::vector<RepairItem>& plan, std::vector<const RepairItem*>& damaged)
{
    m_reporter.ShowStatus(g_msg.Get(kMsgRepairChecking));
    uint64_t totalBytes = 0;
    for (const RepairItem& item : plan)
        totalBytes += item.entry.installedSize;
    const int total = static_cast<int>(plan.size());
    m_reporter.SetBarRange(kUpperBar, 100);
    m_reporter.SetBarRange(kLowerBar, total);
    uint64_t hashedBytes = 0;
    for (int i = 0; i < total; ++i) {
        char counter[64];
        snprintf(counter, sizeof counter, "%s%d/%d", g_msg.Get(kMsgFilesCounter), i + 1, total);
        m_reporter.SetCounterText(kFileCounter, counter);
        int intact = HashInstalled(plan[i], hashedBytes, totalBytes);
        if (m_session.stopped)
            return 0;
        ++m_tally.checked;
        if (!intact)
            damaged.push_back(&plan[i]);
        m_reporter.SetBarPos(kLowerBar, i + 1);
        m_reporter.PumpOneMessage();
    }
    return m_session.stopped ? 0 : 1;
}

int RepairRun::HashInstalled(const RepairItem& item, uint64_t& hashedBytes, uint64_t totalBytes)
{
    const uint64_t expected = item.entry.installedSize;
    const uint64_t start = hashedBytes;
    hashedBytes = start + expected;   // where the bar stands after this file, whatever it holds
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(item.installedPath.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 0;
    // A wrong size needs no hash.
    if ((static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) != expected)
        return 0;
    FILE* file = fopen(item.installedPath.c_str(), "rb");
    if (!file)
        return 0;
    static std::vector<char> block(kHashBlock);
    Sha256Hasher hasher;
    ProgressThrottle throttle;
    size_t got = 0;
    while (!m_session.stopped && (got = fread(block.data(), 1, block.size(), file)) > 0) {
        hasher.Update(block.data(), got);
        uint64_t done = start + hasher.size();
        int percent = totalBytes ? static_cast<int>(100u * (done > totalBytes ? totalBytes : done) / totalBytes) : 100;
        if (throttle.BarChanged(kUpperBar, percent)) {
            m_reporter.SetBarPos(kUpperBar, percent);
            char caption[kCaptionBytes];
            snprintf(caption, sizeof caption, "%s (%d%%)", g_msg.Get(kMsgRepairCheckingCaption), percent);
            m_reporter.DrawTransferCaption(caption);
        }
        m_reporter.PumpOneMessage();
    }
    bool readFailed = ferror(file) != 0;
    fclose(file);
    if (m_session.stopped || readFailed)
        return 0;
    return hasher.size() == expected && hasher.Finish() == item.entry.installedHash ? 1 : 0;
}

int RepairRun::RepairFiles(const std::vector<const RepairItem*>& damaged)
{
    if (damaged.empty())
        return 1;
    m_reporter.ShowStatus(g_msg.Get(kMsgRepairFetching));
    const int total = static_cast<int>(damaged.size());
    m_reporter.SetBarRange(kLowerBar, total);
    for (int i = 0; i < total; ++i) {
        char counter[64];
        snprintf(counter, sizeof counter, "%s%d/%d", g_msg.Get(kMsgFilesCounter), i + 1, total);
        m_reporter.SetCounterText(kFileCounter, counter);
        const RepairItem& item = *damaged[i];
        int repaired = RepairOne(item);
        if (m_session.stopped)
            return 0;
        if (repaired) {
            ++m_tally.repaired;
        } else {
            if (m_tally.failed++ == 0)
                m_tally.firstFailed = item.installedPath;
            ShowFileFailed(item.installedPath);
        }
        m_reporter.SetBarPos(kLowerBar, i + 1);
        m_reporter.PumpOneMessage();
    }
    m_engine.ShowHeldTransferProgress();
    return 1;
}

int RepairRun::RepairOne(const RepairItem& item)
{
    if (item.directory != m_listedDir) {
        m_listedDir.clear();
        if (!EnterVersionDirectory(item.directory))
            return 0;
        m_engine.ListRemoteFiles();
        m_listedDir = item.directory;
    }
    std::string fetched;
    if (!FetchIntoTemp(item, fetched))
        return 0;
    const std::string target = item.selfUpdate ? kSelfUpdateTarget : item.installedPath;
    // A directory in the file's place is not removed: it may hold the player's files.
    if (IsDirectory(target)) {
        DeleteFileA(fetched.c_str());
        return 0;
    }
    CreateParentDirectories(target);
    // One rename within the game directory: the target is either the old file or the
    // checked new one, whenever the launcher stops.
    if (!MoveFileExA(fetched.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        DeleteFileA(fetched.c_str());
        return 0;
    }
    if (item.selfUpdate) {
        m_selfUpdated = true;
        m_session.selfUpdatePending = 1;
    }
    return 1;
}

int RepairRun::FetchIntoTemp(const RepairItem& item, std::string& installedTemp)
{
    const std::string served = "Temp\\" + item.listedPath;
    installedTemp = served;
    CreateParentDirectories(served);
    m_session.listCompressed = item.compressed ? 1 : 0;
    if (!m_engine.DownloadFile(served.c_str(), item.servedName.c_str()))
        return 0;
    if (CheckFileAgainstEntry(item.entry, served.c_str(), true) != kFileMatches) {
        DeleteFileA(served.c_str());
        return 0;
    }
    if (item.compressed) {
        installedTemp.resize(served.size() - kCompressedSuffixLength);
        std::string directory = served.substr(0, served.rfind('\\') + 1);
        int expanded = m_engine.DecompressFile(served.c_str(), directory.c_str());
        DeleteFileA(served.c_str());
        if (!expanded) {
            DeleteFileA(installedTemp.c_str());
            return 0;
        }
    }
    if (CheckFileAgainstEntry(item.entry, installedTemp.c_str(), false) != kFileMatches) {
        DeleteFileA(installedTemp.c_str());
        return 0;
    }
    return 1;
}

void RepairRun::ShowFileFailed(const std::string& path)
{
    char text[kStatusBytes];
    snprintf(text, sizeof text, g_msg.Get(kMsgRepairFileFailed), path.c_str());
    m_reporter.ShowStatusError(text);
}

void RepairRun::Finish()
{
    m_engine.CloseFtp();
    m_session.stopped = 1;
    // Ready to start the game only when no newer version waits; otherwise the Connect
    // button connects again and the normal walk patches it.
    const PackedVersion installed = PackVersion(m_session.installedVersion);
    bool newer = false;
    for (int i = 0; i < m_session.versionCount; ++i)
        newer = newer || m_session.versions[i].packed > installed;
    m_reporter.DrawTransferCaption(g_msg.Get(kMsgCompleteCaption));
    // After a repaired launcher the launcher ends as after a self-update: no ready state.
    if (!m_selfUpdated)
        m_reporter.EnterReady();
    if (newer)
        m_session.launchReady = 0;
    char text[kStatusBytes];
    if (m_tally.failed == 0) {
        snprintf(text, sizeof text, g_msg.Get(kMsgRepairDone), m_tally.checked, m_tally.repaired);
        m_reporter.ShowStatus(text);
    } else {
        snprintf(text, sizeof text, g_msg.Get(kMsgRepairFailedSummary), m_tally.checked,
                 m_tally.repaired, m_tally.failed, m_tally.firstFailed.c_str());
        m_reporter.ShowStatusError(text);
    }
    if (m_selfUpdated)
        m_engine.RestartAfterSelfUpdate();
}
