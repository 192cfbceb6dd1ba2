// Windows benchmark of a whole patch walk over FTP. Two modes, run in a prepared game
// directory (with Temp) on the same FTP root:
//
//   bench_patch engine <port> <message.ctf> [public key]
//       the launcher's walk: PatchEngine::BeginPatch with a real window that shows
//       status, bars, counters and caption as the launcher does (catalogue, lists,
//       log, transfers, expansion, installation, stored version); with a key, the
//       walk of a keyed launcher over a signed root (signatures, manifests, hashes);
//   bench_patch hash <directory>
//       SHA-256 of every *.dat file of the directory, as the launcher hashes files;
//   bench_patch bare <port> <manifest>
//       the floor of this design: the same files fetched with a bare FtpOpenFileA /
//       InternetReadFile loop of 2048-byte reads into Temp, each compressed one
//       expanded with libbz2, and one listing per version directory (timed apart).
//       The manifest has one line per file:
//       <version directory> TAB <remote name> TAB <0, or 1 for a bzip2 file>.
//
// Prints key=value lines for scripts/bench_patch.sh. Account patch/patch on 127.0.0.1.
#include <windows.h>
#include <wininet.h>

#include <bzlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "app/PatchSession.h"
#include "patch/LauncherKeys.h"
#include "patch/PublisherKeys.h"
#include "patch/Sha256.h"
#include "patch/win/PatchEngine.h"
#include "tests/bench/BenchWindow.h"

namespace {

const DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | FTP_TRANSFER_TYPE_BINARY;

int RunEngine(unsigned short port, const char* catalogueFile, const char* keys)
{
    g_msg.LoadCTF(catalogueFile);
    HWND window = CreateBenchWindow("ZrBenchPatch");
    BenchReporter reporter(window);
    std::unique_ptr<PatchSession> session(new PatchSession);
    LaunchOptions options;
    options.runMode = kRunNormal;
    if (keys && !ParsePublisherKeys(keys, g_publisherKeys)) {
        printf("walk_ok=0\n");
        return 1;
    }
    PatchEngine engine(*session, options, reporter);

    LARGE_INTEGER start = BenchNow();
    int begun = engine.BeginPatch("127.0.0.1", port, "patch", "patch", "version.cvd");
    LARGE_INTEGER end = BenchNow();
    printf("walk_ok=%d\n", begun == 1 && reporter.readyCalls == 1 ? 1 : 0);
    printf("walk_seconds=%.3f\n", BenchSeconds(start, end));
    printf("pumps=%d\nbar_updates=%d\ncaption_draws=%d\n", reporter.pumps, reporter.barCalls,
           reporter.captionCalls);
    return begun == 1 ? 0 : 1;
}

bool Fetch(HINTERNET ftp, const std::string& remote, const std::string& local)
{
    HINTERNET file = FtpOpenFileA(ftp, remote.c_str(), GENERIC_READ, kOpenFlags, 0);
    if (!file)
        return false;
    HANDLE out = CreateFileA(local.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    char block[2048];
    DWORD got = 0;
    while (ok && InternetReadFile(file, block, sizeof block, &got) && got > 0) {
        DWORD written = 0;
        ok = WriteFile(out, block, got, &written, nullptr) && written == got;
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    InternetCloseHandle(file);
    return ok;
}

// The listing of the current directory that the design needs for the sizes: the
// number of entries.
int ListDirectory(HINTERNET ftp)
{
    WIN32_FIND_DATAA found;
    HINTERNET search = FtpFindFirstFileA(ftp, "*.*", &found, INTERNET_FLAG_RELOAD, 0);
    if (!search)
        return 0;
    int entries = 0;
    do {
        ++entries;
    } while (InternetFindNextFileA(search, &found));
    InternetCloseHandle(search);
    return entries;
}

bool Expand(const std::string& source, const std::string& target)
{
    FILE* in = fopen(source.c_str(), "rb");
    FILE* out = fopen(target.c_str(), "wb");
    bool ok = in && out;
    int error = BZ_OK;
    BZFILE* bz = ok ? BZ2_bzReadOpen(&error, in, 0, 0, nullptr, 0) : nullptr;
    char buffer[12288];
    while (bz && error == BZ_OK) {
        int n = BZ2_bzRead(&error, bz, buffer, sizeof buffer);
        if ((error == BZ_OK || error == BZ_STREAM_END) && n > 0)
            ok = fwrite(buffer, 1, static_cast<size_t>(n), out) == static_cast<size_t>(n) && ok;
    }
    ok = ok && error == BZ_STREAM_END;
    if (bz) {
        int ignored;
        BZ2_bzReadClose(&ignored, bz);
    }
    if (in)
        fclose(in);
    if (out)
        fclose(out);
    return ok;
}

int RunBare(unsigned short port, const char* manifest)
{
    LARGE_INTEGER start = BenchNow();
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET ftp = internet ? InternetConnectA(internet, "127.0.0.1", port, "patch", "patch",
                                                INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0)
                             : nullptr;
    if (!ftp) {
        printf("bare_ok=0\n");
        return 1;
    }
    std::ifstream lines(manifest);
    std::string line, currentDir;
    double expandSeconds = 0, listSeconds = 0;
    int files = 0, listed = 0;
    bool ok = true;
    while (ok && std::getline(lines, line)) {
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos)
            continue;
        std::string dir = line.substr(0, tab1), name = line.substr(tab1 + 1, tab2 - tab1 - 1);
        bool compressed = line.compare(tab2 + 1, 1, "1") == 0;
        if (dir != currentDir) {
            ok = FtpSetCurrentDirectoryA(ftp, ("/" + dir).c_str());
            currentDir = dir;
            LARGE_INTEGER t0 = BenchNow();
            listed += ListDirectory(ftp);
            listSeconds += BenchSeconds(t0, BenchNow());
        }
        std::string local = "Temp\\" + name;
        ok = ok && Fetch(ftp, name, local);
        if (ok && compressed) {
            LARGE_INTEGER t0 = BenchNow();
            ok = Expand(local, local.substr(0, local.size() - 4));
            DeleteFileA(local.c_str());
            expandSeconds += BenchSeconds(t0, BenchNow());
        }
        ++files;
    }
    InternetCloseHandle(ftp);
    InternetCloseHandle(internet);
    LARGE_INTEGER end = BenchNow();
    printf("bare_ok=%d\nbare_files=%d\n", ok ? 1 : 0, files);
    printf("bare_seconds=%.3f\nbare_expand_seconds=%.3f\n", BenchSeconds(start, end), expandSeconds);
    printf("bare_list_seconds=%.3f\nbare_listed=%d\n", listSeconds, listed);
    return ok ? 0 : 1;
}

int RunHash(const char* directory)
{
    std::string pattern = std::string(directory) + "\\*.dat";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        printf("hash_ok=0\n");
        return 1;
    }
    LARGE_INTEGER start = BenchNow();
    uint64_t bytes = 0;
    bool ok = true;
    do {
        Sha256Digest digest;
        uint64_t size = 0;
        ok = HashFileSha256((std::string(directory) + "\\" + found.cFileName).c_str(), digest, size) && ok;
        bytes += size;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    double seconds = BenchSeconds(start, BenchNow());
    printf("hash_ok=%d\nhash_bytes=%llu\nhash_seconds=%.3f\n", ok ? 1 : 0,
           static_cast<unsigned long long>(bytes), seconds);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "hash") == 0)
        return RunHash(argv[2]);
    if (argc < 4) {
        fprintf(stderr, "usage: bench_patch engine <port> <message.ctf> [key] | bare <port> <manifest>"
                        " | hash <directory>\n");
        return 2;
    }
    unsigned short port = static_cast<unsigned short>(atoi(argv[2]));
    if (strcmp(argv[1], "engine") == 0)
        return RunEngine(port, argv[3], argc > 4 ? argv[4] : nullptr);
    if (strcmp(argv[1], "bare") == 0)
        return RunBare(port, argv[3]);
    fprintf(stderr, "bench_patch: unknown mode %s\n", argv[1]);
    return 2;
}
