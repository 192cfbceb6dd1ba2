#pragma once
// The fixture of the FTP engine tests: a real FTP test server with its own root, a
// temporary game directory (with Temp) as the current directory, the session record,
// a recording reporter and the engine, with the shipped message catalogue loaded.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Msg.h"
#include "app/PatchSession.h"
#include "patch/LauncherKeys.h"
#include "patch/win/PatchEngine.h"
#include "tests/win/FakeReporter.h"
#include "tests/win/TempGameDir.h"
#include "tests/win/patch_ftp_support.h"

class FtpEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_msg.LoadCTF(SourceFile("app/message.en.ctf").c_str()); }

    // Extra options of the FTP test server for a fixture of its own.
    virtual std::string ServerOptions() { return ""; }

    void SetUp() override
    {
        server.reset(new FtpTestServer(ServerOptions()));
        ASSERT_TRUE(server->Running()) << "the FTP test server did not start";
        options.runMode = kRunNormal;
        CreateDirectoryA("Temp", nullptr);
        engine.reset(new PatchEngine(*session, options, reporter));
    }

    // A test that builds the launcher with keys sets g_publisherKeys; every test ends
    // keyless again.
    void TearDown() override
    {
        engine.reset();
        g_publisherKeys = PublisherKeys();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    int Begin(const char* catalogue = "version.cvd")
    {
        return engine->BeginPatch("127.0.0.1", server->Port(), "patch", "patch", catalogue);
    }

    // Opens the session and enters a version directory, as the walk does.
    void OpenInto(const char* directory)
    {
        snprintf(session->ftpHost, sizeof session->ftpHost, "127.0.0.1");
        session->ftpPort = server->Port();
        snprintf(session->ftpUser, sizeof session->ftpUser, "patch");
        snprintf(session->ftpPassword, sizeof session->ftpPassword, "patch");
        ASSERT_EQ(engine->OpenFtp(), 1);
        ASSERT_TRUE(FtpSetCurrentDirectoryA(static_cast<HINTERNET>(session->ftpHandle), directory));
    }

    static std::string Text(int number) { return g_msg.Get(number); }

    std::string LastStatus() const
    {
        return reporter.statuses.empty() ? std::string() : reporter.statuses.back().text;
    }
    bool LastStatusIsError() const
    {
        return !reporter.statuses.empty() && reporter.statuses.back().style == FakeReporter::kStatusError;
    }
    bool ShowedStatus(int number) const
    {
        for (const FakeReporter::Status& s : reporter.statuses) {
            if (s.text == Text(number))
                return true;
        }
        return false;
    }

    std::string Config(const char* key) const
    {
        char text[64];
        GetPrivateProfileStringA("LOGIN", key, "<none>", text, sizeof text, dir.File("config.ini").c_str());
        return text;
    }

    // Files fetched completely from the server, with '/' separators.
    std::vector<std::string> Fetched() const { return server->CompletedFiles(); }
    bool WasFetched(const std::string& file) const
    {
        for (const std::string& f : Fetched()) {
            if (f == file)
                return true;
        }
        return false;
    }

    TempGameDir dir;
    std::unique_ptr<FtpTestServer> server;
    std::unique_ptr<PatchSession> session{new PatchSession};
    LaunchOptions options;
    FakeReporter reporter;
    std::unique_ptr<PatchEngine> engine;
};
