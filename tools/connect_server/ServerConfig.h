#pragma once
// Configuration of the connect server, read from one key = value text file.
#include <cstdint>
#include <string>
#include <vector>

// One FTP patch server handed to clients that need a patch. The text fields travel
// in fixed-width fields of the reply frame, hence the limits below.
struct PatchServerEntry {
    std::string host;        // at most 99 bytes
    uint16_t port = 21;
    std::string user;        // at most 19 bytes
    std::string password;    // at most 19 bytes
    std::string catalogue;   // at most 19 bytes: the catalogue's name on the FTP server
};

enum { kMaxHostBytes = 99, kMaxAccountFieldBytes = 19 };

struct ServerConfig {
    std::string listenAddress = "127.0.0.1";
    uint16_t listenPort = 44405;         // 0 lets the system choose (tests)
    int clientTimeoutMs = 10000;         // whole conversation, accept to reply
    int maxPerAddress = 64;              // concurrent connections per client address; 0 = no limit
    int maxClients = 15000;              // concurrent connections in total
    int mirrorCheckIntervalMs = 10000;   // FTP greeting check of every patch server; 0 = off
    int mirrorCheckTimeoutMs = 3000;     // a check without "220" by then marks it down
    std::string logFile;                 // empty: log to stderr
    std::string cataloguePath;           // catalogue file the patch builder writes
    std::string testCataloguePath;       // for test-mode clients; empty: cataloguePath
    // Reply op code for each request op code 5, 6 and 7 (index op - 5).
    int replyOp[3] = {5, 5, 7};
    std::vector<PatchServerEntry> patchServers;
    std::vector<PatchServerEntry> testPatchServers;   // empty: patchServers
};

// Reads and checks the configuration file. Returns 1 on success; on failure returns
// 0 with a message naming the file, the line and what is wrong in `error`.
int LoadServerConfig(const char* path, ServerConfig& config, std::string& error);

// Checks a configuration as a whole (fields that need each other, files that must
// exist). Used by LoadServerConfig; 1 or 0 with `error` set.
int CheckServerConfig(const ServerConfig& config, std::string& error);
