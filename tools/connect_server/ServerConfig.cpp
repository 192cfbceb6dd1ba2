#include "tools/connect_server/ServerConfig.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

const size_t kMaxPatchServers = 256;

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// A value may be written in double quotes to keep blanks at its ends.
std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// Strict decimal: digits only, at most `maximum`.
int ParseNumber(const std::string& text, long minimum, long maximum, long& out)
{
    if (text.empty() || text.size() > 9)
        return 0;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    if (value < minimum || value > maximum)
        return 0;
    out = value;
    return 1;
}

class ConfigReader {
public:
    ConfigReader(const char* path, ServerConfig& config, std::string& error)
        : path_(path), config_(config), error_(error) {}

    int Read();

private:
    int Fail(int line, const std::string& what);
    int HandleSection(int line, const std::string& name);
    int HandleGlobalKey(int line, const std::string& key, const std::string& value);
    int HandleServerKey(int line, const std::string& key, const std::string& value);
    int FinishSection();
    int ParsePort(int line, const std::string& key, const std::string& value,
                  long minimum, uint16_t& out);
    int ParseText(int line, const std::string& key, const std::string& value,
                  size_t maxBytes, bool required, std::string& out);

    const char* path_;
    ServerConfig& config_;
    std::string& error_;
    PatchServerEntry* entry_ = nullptr;   // section being read, null for the global keys
    int sectionLine_ = 0;
    std::string sectionName_;
    std::set<std::string> seenKeys_;
};

int ConfigReader::Fail(int line, const std::string& what)
{
    char prefix[64];
    snprintf(prefix, sizeof(prefix), ":%d: ", line);
    error_ = std::string(path_) + prefix + what;
    return 0;
}

int ConfigReader::ParsePort(int line, const std::string& key, const std::string& value,
                            long minimum, uint16_t& out)
{
    long number = 0;
    if (!ParseNumber(value, minimum, 65535, number))
        return Fail(line, key + " must be a port number from " + std::to_string(minimum) +
                              " to 65535, not '" + value + "'");
    out = static_cast<uint16_t>(number);
    return 1;
}

int ConfigReader::ParseText(int line, const std::string& key, const std::string& value,
                            size_t maxBytes, bool required, std::string& out)
{
    if (required && value.empty())
        return Fail(line, key + " must not be empty");
    if (value.size() > maxBytes)
        return Fail(line, key + " is " + std::to_string(value.size()) +
                              " bytes long; the reply frame holds at most " +
                              std::to_string(maxBytes));
    out = value;
    return 1;
}

int ConfigReader::HandleGlobalKey(int line, const std::string& key, const std::string& value)
{
    long number = 0;
    if (key == "listen") {
        in_addr address;
        if (inet_pton(AF_INET, value.c_str(), &address) != 1)
            return Fail(line, "listen must be an IPv4 address such as 127.0.0.1, not '" +
                                  value + "'");
        config_.listenAddress = value;
        return 1;
    }
    if (key == "port")
        return ParsePort(line, key, value, 0, config_.listenPort);
    if (key == "client_timeout_ms") {
        if (!ParseNumber(value, 100, 600000, number))
            return Fail(line, "client_timeout_ms must be from 100 to 600000, not '" + value + "'");
        config_.clientTimeoutMs = static_cast<int>(number);
        return 1;
    }
    if (key == "max_per_address") {
        if (!ParseNumber(value, 0, 1000000, number))
            return Fail(line, "max_per_address must be from 0 (no limit) to 1000000, not '" +
                                  value + "'");
        config_.maxPerAddress = static_cast<int>(number);
        return 1;
    }
    if (key == "max_clients") {
        if (!ParseNumber(value, 1, 1000000, number))
            return Fail(line, "max_clients must be from 1 to 1000000, not '" + value + "'");
        config_.maxClients = static_cast<int>(number);
        return 1;
    }
    if (key == "mirror_check_interval_ms") {
        if (!ParseNumber(value, 0, 3600000, number) || (number > 0 && number < 100))
            return Fail(line, "mirror_check_interval_ms must be 0 (off) or from 100 to 3600000, not '" +
                                  value + "'");
        config_.mirrorCheckIntervalMs = static_cast<int>(number);
        return 1;
    }
    if (key == "mirror_check_timeout_ms") {
        if (!ParseNumber(value, 50, 60000, number))
            return Fail(line, "mirror_check_timeout_ms must be from 50 to 60000, not '" + value + "'");
        config_.mirrorCheckTimeoutMs = static_cast<int>(number);
        return 1;
    }
    if (key == "log_file") {
        config_.logFile = value;
        return 1;
    }
    if (key == "catalogue") {
        if (value.empty())
            return Fail(line, "catalogue must name the catalogue file");
        config_.cataloguePath = value;
        return 1;
    }
    if (key == "test_catalogue") {
        config_.testCataloguePath = value;
        return 1;
    }
    if (key == "reply_op_5" || key == "reply_op_6" || key == "reply_op_7") {
        if (value != "1" && value != "5" && value != "7")
            return Fail(line, key + " must be 1, 5 or 7 (the patch-server replies), not '" +
                                  value + "'");
        config_.replyOp[key.back() - '5'] = value[0] - '0';
        return 1;
    }
    return Fail(line, "unknown key '" + key + "'");
}

int ConfigReader::HandleServerKey(int line, const std::string& key, const std::string& value)
{
    if (key == "host")
        return ParseText(line, key, value, kMaxHostBytes, true, entry_->host);
    if (key == "port")
        return ParsePort(line, key, value, 1, entry_->port);
    if (key == "user")
        return ParseText(line, key, value, kMaxAccountFieldBytes, true, entry_->user);
    if (key == "password")
        return ParseText(line, key, value, kMaxAccountFieldBytes, false, entry_->password);
    if (key == "catalogue")
        return ParseText(line, key, value, kMaxAccountFieldBytes, true, entry_->catalogue);
    return Fail(line, "unknown key '" + key + "' in [" + sectionName_ + "]");
}

int ConfigReader::FinishSection()
{
    if (!entry_)
        return 1;
    static const char* const kRequired[] = {"host", "user", "catalogue"};
    for (const char* key : kRequired) {
        if (!seenKeys_.count(key))
            return Fail(sectionLine_, std::string("[") + sectionName_ + "] has no " + key);
    }
    return 1;
}

int ConfigReader::HandleSection(int line, const std::string& name)
{
    if (!FinishSection())
        return 0;
    seenKeys_.clear();
    sectionLine_ = line;
    sectionName_ = name;
    if (name == "server") {
        entry_ = nullptr;
        return 1;
    }
    bool isServer = (name == "patch_server" || name == "test_patch_server");
    if (isServer && config_.patchServers.size() + config_.testPatchServers.size() >=
                        kMaxPatchServers)
        return Fail(line, "more than " + std::to_string(kMaxPatchServers) + " patch servers");
    if (name == "patch_server") {
        config_.patchServers.emplace_back();
        entry_ = &config_.patchServers.back();
        return 1;
    }
    if (name == "test_patch_server") {
        config_.testPatchServers.emplace_back();
        entry_ = &config_.testPatchServers.back();
        return 1;
    }
    return Fail(line, "unknown section [" + name +
                          "]; expected [server], [patch_server] or [test_patch_server]");
}

int ConfigReader::Read()
{
    FILE* file = fopen(path_, "r");
    if (!file) {
        error_ = std::string(path_) + ": cannot open the configuration file: " + strerror(errno);
        return 0;
    }
    // Entries are added while reading; keep pointers into the vectors valid.
    config_.patchServers.reserve(kMaxPatchServers);
    config_.testPatchServers.reserve(kMaxPatchServers);

    char buffer[4096];
    int line = 0;
    int ok = 1;
    while (ok && fgets(buffer, sizeof(buffer), file)) {
        ++line;
        std::string text = Trim(buffer);
        if (text.empty() || text[0] == '#' || text[0] == ';')
            continue;
        if (text[0] == '[') {
            if (text.back() != ']') {
                ok = Fail(line, "section header '" + text + "' has no closing ]");
                break;
            }
            ok = HandleSection(line, Trim(text.substr(1, text.size() - 2)));
            continue;
        }
        size_t equals = text.find('=');
        if (equals == std::string::npos) {
            ok = Fail(line, "expected key = value, found '" + text + "'");
            break;
        }
        std::string key = Trim(text.substr(0, equals));
        std::string value = Unquote(Trim(text.substr(equals + 1)));
        if (key.empty()) {
            ok = Fail(line, "a key is missing before '='");
            break;
        }
        if (!seenKeys_.insert(key).second) {
            ok = Fail(line, "key '" + key + "' is given twice in this section");
            break;
        }
        ok = entry_ ? HandleServerKey(line, key, value) : HandleGlobalKey(line, key, value);
    }
    fclose(file);
    if (ok)
        ok = FinishSection();
    if (ok)
        ok = CheckServerConfig(config_, error_);
    return ok;
}

int CheckCatalogueFile(const std::string& key, const std::string& path, std::string& error)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = key + " '" + path + "' cannot be read: " + strerror(errno);
        return 0;
    }
    if (!S_ISREG(info.st_mode)) {
        error = key + " '" + path + "' is not a regular file";
        return 0;
    }
    return 1;
}

} // namespace

int CheckServerConfig(const ServerConfig& config, std::string& error)
{
    if (config.cataloguePath.empty()) {
        error = "no catalogue given: set catalogue = PATH to the catalogue file of the FTP root";
        return 0;
    }
    if (!CheckCatalogueFile("catalogue", config.cataloguePath, error))
        return 0;
    if (!config.testCataloguePath.empty() &&
        !CheckCatalogueFile("test_catalogue", config.testCataloguePath, error))
        return 0;
    if (config.patchServers.empty()) {
        error = "no [patch_server] section: at least one patch server is needed";
        return 0;
    }
    return 1;
}

int LoadServerConfig(const char* path, ServerConfig& config, std::string& error)
{
    ConfigReader reader(path, config, error);
    return reader.Read();
}
