// zr-connect-server: tells launchers whether they are current or which FTP patch
// server to fetch their patches from.
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/connect_server/ClientLog.h"
#include "tools/connect_server/ConnectServer.h"
#include "tools/connect_server/ServerConfig.h"

namespace {

void PrintUsage()
{
    fprintf(stderr,
            "usage: zr-connect-server --config FILE [--check]\n"
            "  --config FILE  configuration file (see docs/operators.md)\n"
            "  --check        check the configuration and exit\n");
}

// Thousands of clients need thousands of descriptors: take what the hard limit allows.
void RaiseDescriptorLimit()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* configPath = nullptr;
    bool checkOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--config") == 0 && i + 1 < argc) {
            configPath = argv[++i];
        } else if (strcmp(argv[i], "--check") == 0) {
            checkOnly = true;
        } else {
            PrintUsage();
            return 2;
        }
    }
    if (!configPath) {
        PrintUsage();
        return 2;
    }

    ServerConfig config;
    std::string error;
    if (!LoadServerConfig(configPath, config, error)) {
        fprintf(stderr, "zr-connect-server: %s\n", error.c_str());
        return 1;
    }
    if (checkOnly) {
        printf("configuration OK: %zu patch server(s), %zu test patch server(s)\n",
               config.patchServers.size(), config.testPatchServers.size());
        return 0;
    }

    RaiseDescriptorLimit();
    ClientLog log;
    if (!log.Open(config.logFile, error)) {
        fprintf(stderr, "zr-connect-server: %s\n", error.c_str());
        return 1;
    }
    ConnectServer server(config, log);
    if (!server.Start(error)) {
        fprintf(stderr, "zr-connect-server: %s\n", error.c_str());
        return 1;
    }
    // Scripts and tests read the bound port from this line (port = 0 in the config).
    printf("listening on %s:%u\n", config.listenAddress.c_str(), server.Port());
    fflush(stdout);
    return server.Run() ? 0 : 1;
}
