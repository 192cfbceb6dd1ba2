// Times the patch log's decisions while a version's list is resumed: a list of N
// files of which the first half is already logged. For every file the driver asks
// whether the log is stale and whether it names the file, and logs each file it
// fetches. With the index the cost grows with N; with plain rereading with N².
// Prints times and the growth ratios of one run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "patch/PatchLog.h"
#include "patch/PatchLogIndex.h"

namespace {

const PackedVersion kTarget = 0x010203;   // 1.2.3

std::vector<std::string> ListNames(int count)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.push_back("data\\dir" + std::to_string(i % 37) + "\\file " +
                        std::to_string(i) + ".bmd");
    return names;
}

// A log of the version with the first half of the list fetched.
void WriteHalfLog(const std::string& path, const std::vector<std::string>& names)
{
    remove(path.c_str());
    FILE* f = fopen(path.c_str(), "w");
    if (!f) {
        perror(path.c_str());
        exit(1);
    }
    fprintf(f, "V 1.2.3\n");
    for (size_t i = 0; i < names.size() / 2; ++i)
        fprintf(f, "F %s\n", names[i].c_str());
    fclose(f);
}

struct Outcome {
    double seconds;          // the whole resume: reading the log, questions, appends
    double questionSeconds;  // the stale and file questions alone
    int skipped;
    int fetched;
};

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The driver's loop over the list, with Log being PatchLog or PatchLogIndex.
template <typename Log>
void Decide(Log& log, const std::vector<std::string>& names, Outcome& outcome)
{
    for (const std::string& name : names) {
        auto asked = std::chrono::steady_clock::now();
        int stale = log.LogIsStale(kTarget);
        int logged = log.LogHasFile(name.c_str());
        outcome.questionSeconds += Since(asked);
        if (stale) {
            fprintf(stderr, "log unexpectedly stale\n");
            exit(1);
        }
        if (logged) {
            ++outcome.skipped;
            continue;
        }
        // The file would be fetched here.
        log.AppendLogLine('F', name.c_str());
        ++outcome.fetched;
    }
}

Outcome RunIndex(const std::string& path, const std::vector<std::string>& names)
{
    WriteHalfLog(path, names);
    Outcome outcome = {0, 0, 0, 0};
    auto start = std::chrono::steady_clock::now();
    PatchLogIndex index(path.c_str());
    index.Load();
    Decide(index, names, outcome);
    outcome.seconds = Since(start);
    return outcome;
}

Outcome RunPlain(const std::string& path, const std::vector<std::string>& names)
{
    WriteHalfLog(path, names);
    Outcome outcome = {0, 0, 0, 0};
    auto start = std::chrono::steady_clock::now();
    PatchLog log(path.c_str());
    Decide(log, names, outcome);
    outcome.seconds = Since(start);
    return outcome;
}

// Best of a few repetitions, to keep other work on the machine out of the figures.
template <typename Run>
Outcome Best(Run run, const std::string& path, const std::vector<std::string>& names,
             int repetitions)
{
    Outcome best = run(path, names);
    for (int i = 1; i < repetitions; ++i) {
        Outcome next = run(path, names);
        if (next.seconds < best.seconds)
            best = next;
    }
    int half = static_cast<int>(names.size() / 2);
    if (best.skipped != half || best.fetched != static_cast<int>(names.size()) - half) {
        fprintf(stderr, "wrong decisions: %d skipped, %d fetched\n", best.skipped,
                best.fetched);
        exit(1);
    }
    return best;
}

void Row(const char* reader, int n, const Outcome& small, const Outcome& large,
         const char* expected)
{
    printf("%-6s N=%-6d %8.4f s  2N=%-6d %8.4f s  ratio %5.2f | questions %8.4f s "
           "%8.4f s  ratio %5.2f  (%s)\n",
           reader, n, small.seconds, 2 * n, large.seconds, large.seconds / small.seconds,
           small.questionSeconds, large.questionSeconds,
           large.questionSeconds / small.questionSeconds, expected);
}

} // namespace

int main(int argc, char** argv)
{
    int indexN = argc > 1 ? atoi(argv[1]) : 20000;
    int plainN = argc > 2 ? atoi(argv[2]) : 2000;
    char pattern[] = "/tmp/zr_bench_log_XXXXXX";
    if (!mkdtemp(pattern)) {
        perror("mkdtemp");
        return 1;
    }
    std::string path = std::string(pattern) + "/patch.log";

    std::vector<std::string> indexSmall = ListNames(indexN);
    std::vector<std::string> indexLarge = ListNames(2 * indexN);
    std::vector<std::string> plainSmall = ListNames(plainN);
    std::vector<std::string> plainLarge = ListNames(2 * plainN);
    std::vector<std::string> plainLargest = ListNames(4 * plainN);

    Outcome i1 = Best(RunIndex, path, indexSmall, 5);
    Outcome i2 = Best(RunIndex, path, indexLarge, 5);
    Outcome p1 = Best(RunPlain, path, plainSmall, 3);
    Outcome p2 = Best(RunPlain, path, plainLarge, 3);
    Outcome p4 = Best(RunPlain, path, plainLargest, 2);
    Outcome iSame = Best(RunIndex, path, plainLarge, 5);

    printf("patch log resume decisions: list of N files, first half already logged\n");
    printf("whole resume per file: stale test, file test, a log line per fetched file;\n");
    printf("questions: the stale and file tests alone\n");
    Row("index", indexN, i1, i2, "linear growth: about 2");
    Row("plain", plainN, p1, p2, "quadratic growth: about 4");
    Row("plain", 2 * plainN, p2, p4, "quadratic growth: about 4");
    printf("at N=%d: plain %.4f s, index %.4f s, plain/index %.1f\n", 2 * plainN,
           p2.seconds, iSame.seconds, p2.seconds / iSame.seconds);
    printf("per file with the index: %.2f us at N=%d, %.2f us at 2N\n",
           1e6 * i1.seconds / indexN, indexN, 1e6 * i2.seconds / (2 * indexN));

    remove(path.c_str());
    rmdir(pattern);
    return 0;
}
