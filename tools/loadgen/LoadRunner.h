#pragma once
// Opens many concurrent connections to a connect server on this machine and runs the
// client side of the conversation on each: wait for the greeting, send the version
// request, wait for the whole reply, close. Bounded in count and in time.
#include <string>

#include "tools/loadgen/LatencyStats.h"

struct LoadOptions {
    std::string host = "127.0.0.1";   // must be a loopback address
    int port = 0;
    int clients = 1000;               // at most kMaxLoadClients
    int op = 5;                       // request op code 5, 6 or 7
    unsigned char version[3] = {0, 0, 0};
    int timeLimitMs = 60000;          // the whole run, at most kMaxLoadTimeMs
};

enum { kMaxLoadClients = 20000, kMaxLoadTimeMs = 600000 };

struct LoadResult {
    int answered = 0;        // complete replies
    int current = 0;         // of which "up to date" (op 2)
    int patch = 0;           // of which patch-server replies
    int failed = 0;          // refused, reset, closed early, malformed or out of time
    double elapsedMs = 0;    // first connect to last finished connection
    LatencyStats latency;    // connect start to complete reply, per answered client
};

// 1 when the run took place (whatever its failures), 0 with `error` when it could not
// start (bad options, not a loopback address, no descriptors).
int RunLoad(const LoadOptions& options, LoadResult& result, std::string& error);
