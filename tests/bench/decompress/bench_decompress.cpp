// Windows benchmark of the engine's expansion: expands one bzip2 file with
// PatchEngine::DecompressFile while a real window shows the progress as the launcher
// does (a progress bar driven with PBM_SETPOS, the transfer caption painted into the
// window, one message pumped per decoder call), then measures one caption drawing.
// Prints key=value lines for scripts/bench_decompress.sh.
//
// Usage: bench_decompress <source.bz_> <directory\>
#include <windows.h>

#include <cstdio>
#include <memory>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "app/PatchSession.h"
#include "patch/win/PatchEngine.h"
#include "patch/win/TransferCaption.h"
#include "tests/bench/BenchWindow.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: bench_decompress <source> <directory\\>\n");
        return 2;
    }
    g_msg.LoadText("146\tExpanding\n");
    HWND window = CreateBenchWindow("ZrBenchDecompress");
    BenchReporter reporter(window);
    std::unique_ptr<PatchSession> session(new PatchSession);
    LaunchOptions options;
    PatchEngine engine(*session, options, reporter);
    session->stopped = 0;

    LARGE_INTEGER start = BenchNow();
    int ok = engine.DecompressFile(argv[1], argv[2]);
    LARGE_INTEGER end = BenchNow();
    printf("expand_ok=%d\n", ok);
    printf("expand_seconds=%.3f\n", BenchSeconds(start, end));
    printf("compressed_bytes=%lu\n", static_cast<unsigned long>(session->unpackTotal));
    printf("pumps=%d\nbar_updates=%d\ncaption_draws=%d\n", reporter.pumps, reporter.barCalls,
           reporter.captionCalls);

    // One caption drawing, averaged over many with changing texts.
    const int kDraws = 2000;
    char text[64];
    start = BenchNow();
    for (int i = 0; i < kDraws; ++i) {
        snprintf(text, sizeof text, "Expanding (%d%%)", i % 101);
        DrawTransferCaption(window, text);
    }
    end = BenchNow();
    double perDraw = BenchSeconds(start, end) / kDraws;
    printf("caption_us_per_draw=%.1f\n", perDraw * 1e6);
    unsigned long blocks = (session->unpackTotal + 12287ul) / 12288ul;
    printf("input_blocks=%lu\n", blocks);
    printf("caption_seconds_if_drawn_every_block=%.3f\n", perDraw * blocks);
    // The window is left to the end of the process: hiding it would wait two seconds
    // for a window manager that a bare X server does not run.
    return ok ? 0 : 1;
}
