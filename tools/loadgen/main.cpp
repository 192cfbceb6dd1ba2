// zr-loadgen: many concurrent launcher conversations against a local connect server;
// prints answers per second and the median and 99th-percentile latency.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/loadgen/LoadRunner.h"

namespace {

void PrintUsage()
{
    fprintf(stderr,
            "usage: zr-loadgen --port PORT [--host 127.0.0.1] [--clients N] [--op 5|6|7]\n"
            "                  [--version X.Y.Z] [--time-limit-s S]\n"
            "  loopback addresses only; at most %d clients and %d s\n",
            kMaxLoadClients, kMaxLoadTimeMs / 1000);
}

int ParseVersion(const char* text, unsigned char out[3])
{
    unsigned a, b, c;
    char extra;
    if (sscanf(text, "%u.%u.%u%c", &a, &b, &c, &extra) != 3 || a > 255 || b > 255 || c > 255)
        return 0;
    out[0] = static_cast<unsigned char>(a);
    out[1] = static_cast<unsigned char>(b);
    out[2] = static_cast<unsigned char>(c);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    LoadOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) {
            PrintUsage();
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--port")
            options.port = atoi(value);
        else if (arg == "--host")
            options.host = value;
        else if (arg == "--clients")
            options.clients = atoi(value);
        else if (arg == "--op")
            options.op = atoi(value);
        else if (arg == "--time-limit-s")
            options.timeLimitMs = atoi(value) * 1000;
        else if (arg == "--version") {
            if (!ParseVersion(value, options.version)) {
                fprintf(stderr, "zr-loadgen: --version must be X.Y.Z with parts up to 255\n");
                return 2;
            }
        } else {
            PrintUsage();
            return 2;
        }
    }

    LoadResult result;
    std::string error;
    if (!RunLoad(options, result, error)) {
        fprintf(stderr, "zr-loadgen: %s\n", error.c_str());
        return 2;
    }
    double seconds = result.elapsedMs / 1000.0;
    printf("clients %d: answered %d (current %d, patch %d), failed %d\n", options.clients,
           result.answered, result.current, result.patch, result.failed);
    printf("elapsed %.3f s, answers/s %.0f\n", seconds,
           seconds > 0 ? result.answered / seconds : 0.0);
    printf("latency p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", result.latency.Percentile(50),
           result.latency.Percentile(99), result.latency.Max());
    return result.failed == 0 ? 0 : 1;
}
