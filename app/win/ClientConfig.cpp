// The Windows half of the client configuration: private profile file access.
#include <windows.h>

#include <cstdio>

#include "app/win/ClientConfig.h"

namespace {

// Refreshes gameDir from the process's current directory and locates config.ini.
void RefreshConfigPath(PatchSession& session, char* path)
{
    GetCurrentDirectoryA(sizeof(session.gameDir), session.gameDir);
    LocateConfigFile(session.gameDir, path, kConfigPathSize);
}

VersionTriple ReadVersionKey(const char* path, const char* key)
{
    char text[10];
    GetPrivateProfileStringA("LOGIN", key, "0.0.0", text, sizeof(text), path);
    return ParseVersionText(text);
}

} // namespace

void LoadInstalledVersion(PatchSession& session, const LaunchOptions& options)
{
    if (options.runMode == kRunLocal) {
        session.installedVersion = options.cmdLineVersion;
        return;
    }
    char path[kConfigPathSize];
    RefreshConfigPath(session, path);
    VersionTriple release = ReadVersionKey(path, "Version");
    VersionTriple test = ReadVersionKey(path, "TestVersion");
    session.installedVersion =
        options.runMode == kRunTest ? ChooseTestModeVersion(release, test) : release;
}

void StoreInstalledVersion(PatchSession& session, const LaunchOptions& options)
{
    char path[kConfigPathSize];
    RefreshConfigPath(session, path);
    char text[16];
    FormatVersionStored(session.installedVersion, text, sizeof(text));
    if (options.runMode == kRunTest) {
        WritePrivateProfileStringA("LOGIN", "TestVersion", text, path);
        if (session.listKind == 1)
            WritePrivateProfileStringA("LOGIN", "Version", text, path);
    } else {
        WritePrivateProfileStringA("LOGIN", "Version", text, path);
    }
}

int TestVersionMatches(PatchSession& session)
{
    char path[kConfigPathSize];
    RefreshConfigPath(session, path);
    VersionTriple release = ReadVersionKey(path, "Version");
    VersionTriple test = ReadVersionKey(path, "TestVersion");
    return release.major == test.major && release.minor == test.minor &&
           release.patch == test.patch;
}

int ConfigFileExists(const PatchSession& session)
{
    char path[kConfigPathSize];
    LocateConfigFile(session.gameDir, path, sizeof(path));
    FILE* f = fopen(path, "r");
    if (!f)
        return 0;
    fclose(f);
    return 1;
}
