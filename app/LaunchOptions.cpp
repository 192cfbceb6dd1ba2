#include "app/LaunchOptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

LaunchOptions g_launchOptions;

const char kRepairSwitch[] = "/verify";

namespace {

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Next white-space separated token starting at *cursor; empty when none is left.
std::string NextToken(const char*& cursor)
{
    while (*cursor && IsBlank(*cursor))
        ++cursor;
    const char* start = cursor;
    while (*cursor && !IsBlank(*cursor))
        ++cursor;
    return std::string(start, cursor);
}

void AppendPassArg(LaunchOptions& options, const std::string& token)
{
    // "%s %s" of the old text and the token, cut to the buffer.
    std::string joined = options.passArgs;
    if (!joined.empty())
        joined += ' ';
    joined += token;
    size_t keep = std::min(joined.size(), sizeof(options.passArgs) - 1);
    memcpy(options.passArgs, joined.data(), keep);
    options.passArgs[keep] = '\0';
}

} // namespace

void ParseCommandLine(LaunchOptions& options, const char* commandLine)
{
    options.runMode = kRunNormal;
    const char* cursor = commandLine ? commandLine : "";
    for (std::string token = NextToken(cursor); !token.empty(); token = NextToken(cursor)) {
        AppendPassArg(options, token);
        if (token == "/t") {
            options.runMode = kRunTest;
        } else if (token == "/r") {
            options.runMode = kRunRelease;
        } else if (token == "/l") {
            // The version token is looked at here and handled as an ordinary token
            // by the next round of the loop.
            const char* peek = cursor;
            std::string version = NextToken(peek);
            options.cmdLineVersion = ParseVersionText(version.c_str());
            options.runMode = kRunLocal;
        } else if (token == kRepairSwitch) {
            options.repair = 1;
        }
    }
}

void SetConnectServer(LaunchOptions& options, const char* host, int port)
{
    snprintf(options.connectHost, sizeof(options.connectHost), "%s", host);
    options.connectPort = port;
}
