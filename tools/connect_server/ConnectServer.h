#pragma once
// The connect server: one epoll loop over non-blocking sockets. Each client gets the
// greeting, sends its version request and gets either "up to date" or a patch
// server, then the connection is closed. Clients that send a bad byte are dropped at
// once; clients that have not finished within the timeout are dropped when it runs
// out, without holding up anyone else.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/connect_server/CatalogueWatcher.h"
#include "tools/connect_server/ClientLog.h"
#include "tools/connect_server/PatchServerPicker.h"
#include "tools/connect_server/ReplyFrames.h"
#include "tools/connect_server/ServerConfig.h"
#include "tools/connect_server/VersionRequest.h"

class ConnectServer {
public:
    ConnectServer(const ServerConfig& config, ClientLog& log);
    ~ConnectServer();
    ConnectServer(const ConnectServer&) = delete;
    ConnectServer& operator=(const ConnectServer&) = delete;

    // Reads the catalogues, binds the listening socket and blocks SIGTERM and SIGINT
    // into the loop. 1 or 0 with `error` set.
    int Start(std::string& error);
    // Port actually bound (useful when the configuration asked for port 0).
    uint16_t Port() const { return boundPort_; }
    // Serves clients until SIGTERM or SIGINT, then closes everything. 1 on a clean
    // stop, 0 when the event loop failed.
    int Run();

private:
    struct Client;

    void AcceptClients();
    int AcceptOne();
    void HandleClientEvent(Client* client, uint32_t events);
    void ReadRequest(Client* client);
    void Answer(Client* client);
    void WritePending(Client* client);
    void Drop(Client* client, const std::string& why);
    void CloseClient(Client* client);
    void ExpireClients();
    int WaitTimeoutMs() const;
    void Shutdown(const char* signalName);
    const PatchServerEntry& NextPatchServer(bool testChannel);
    void ReportCatalogueProblem(const std::string& problem);

    const ServerConfig& config_;
    ClientLog& log_;
    CatalogueWatcher catalogue_;
    std::unique_ptr<CatalogueWatcher> testCatalogue_;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int signalFd_ = -1;
    int reserveFd_ = -1;     // kept open so a full descriptor table can still shed clients
    uint16_t boundPort_ = 0;
    std::vector<Client*> clientsByFd_;
    std::list<Client*> byDeadline_;   // every client has the same timeout: oldest first
    std::unordered_map<uint32_t, int> perAddress_;
    int clientCount_ = 0;
    PatchServerPicker patchServers_;
    std::string lastCatalogueProblem_;
};
