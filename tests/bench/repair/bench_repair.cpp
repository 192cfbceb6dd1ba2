// Windows benchmark of a repair run over an intact game directory: PatchEngine with
// the repair switch, a real window showing status, bars, counters and caption, and an
// FTP root whose versions carry manifests (unsigned: the program has no key).
//
//   bench_repair <port> <message.ctf>
//
// Run in the prepared game directory. Prints key=value lines for
// scripts/bench_repair.sh. Account patch/patch on 127.0.0.1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "app/PatchSession.h"
#include "patch/win/PatchEngine.h"
#include "tests/bench/BenchWindow.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: bench_repair <port> <message.ctf>\n");
        return 2;
    }
    g_msg.LoadCTF(argv[2]);
    HWND window = CreateBenchWindow("ZrBenchRepair");
    BenchReporter reporter(window);
    std::unique_ptr<PatchSession> session(new PatchSession);
    // The installed version: the last of the bench root's catalogue.
    session->installedVersion = {1, 0, 2};
    LaunchOptions options;
    options.runMode = kRunNormal;
    options.repair = 1;
    PatchEngine engine(*session, options, reporter);

    LARGE_INTEGER start = BenchNow();
    int begun = engine.BeginPatch("127.0.0.1", static_cast<unsigned short>(atoi(argv[1])), "patch",
                                  "patch", "version.cvd");
    LARGE_INTEGER end = BenchNow();
    printf("repair_ok=%d\n", begun == 1 && reporter.readyCalls == 1 ? 1 : 0);
    printf("repair_seconds=%.3f\n", BenchSeconds(start, end));
    printf("pumps=%d\nbar_updates=%d\n", reporter.pumps, reporter.barCalls);
    return begun == 1 ? 0 : 1;
}
