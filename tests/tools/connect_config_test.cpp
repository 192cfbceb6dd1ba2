// The connect server's configuration file and its catalogue watch, in process.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tools/connect_server/CatalogueWatcher.h"
#include "tools/connect_server/ServerConfig.h"

namespace {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/zr-tools-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { system(("rm -rf '" + path_ + "'").c_str()); }
    std::string File(const std::string& name, const std::string& text) const
    {
        std::string path = path_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

private:
    std::string path_;
};

} // namespace

TEST(ServerConfig, DefaultsQuotesCommentsAndCrLf)
{
    TempDir dir;
    std::string catalogue = dir.File("version.cvd", "\"1.0.0\"\n");
    std::string path = dir.File("s.conf",
        "# comment\r\n; another\r\n[server]\r\ncatalogue = " + catalogue + "\r\n\r\n"
        "[patch_server]\r\nhost = ftp.example\r\nuser = zr\r\n"
        "password = \" two words \"\r\ncatalogue = version.cvd\r\n");
    ServerConfig config;
    std::string error;
    ASSERT_EQ(1, LoadServerConfig(path.c_str(), config, error)) << error;
    EXPECT_EQ("127.0.0.1", config.listenAddress);
    EXPECT_EQ(44405, config.listenPort);
    EXPECT_EQ(10000, config.clientTimeoutMs);
    EXPECT_EQ(5, config.replyOp[0]);
    EXPECT_EQ(5, config.replyOp[1]);
    EXPECT_EQ(7, config.replyOp[2]);
    ASSERT_EQ(1u, config.patchServers.size());
    EXPECT_EQ(21, config.patchServers[0].port);
    EXPECT_EQ(" two words ", config.patchServers[0].password);
    EXPECT_TRUE(config.testPatchServers.empty());
}

TEST(ServerConfig, ServersKeepTheirOrderAndChannel)
{
    TempDir dir;
    std::string catalogue = dir.File("version.cvd", "");
    std::string text = "catalogue = " + catalogue + "\n";
    for (int i = 0; i < 3; ++i)
        text += "[patch_server]\nhost = m" + std::to_string(i) + "\nuser = u\ncatalogue = c\n";
    text += "[test_patch_server]\nhost = t\nport = 2121\nuser = u\ncatalogue = c\n";
    std::string path = dir.File("s.conf", text);
    ServerConfig config;
    std::string error;
    ASSERT_EQ(1, LoadServerConfig(path.c_str(), config, error)) << error;
    ASSERT_EQ(3u, config.patchServers.size());
    EXPECT_EQ("m2", config.patchServers[2].host);
    ASSERT_EQ(1u, config.testPatchServers.size());
    EXPECT_EQ(2121, config.testPatchServers[0].port);
}

TEST(ServerConfig, TooManyPatchServersIsRefusedWithItsLine)
{
    TempDir dir;
    std::string catalogue = dir.File("version.cvd", "");
    std::string text = "catalogue = " + catalogue + "\n";
    for (int i = 0; i < 257; ++i)
        text += "[patch_server]\nhost = h\nuser = u\ncatalogue = c\n";
    std::string path = dir.File("s.conf", text);
    ServerConfig config;
    std::string error;
    EXPECT_EQ(0, LoadServerConfig(path.c_str(), config, error));
    EXPECT_NE(std::string::npos, error.find(":1026: more than 256 patch servers")) << error;
}

TEST(CatalogueWatcher, RereadsOnChangeAndTakesTheHighestVersion)
{
    TempDir dir;
    std::string path = dir.File("version.cvd", "\"1.0.0\"\n");
    CatalogueWatcher watcher(path);
    std::string problem;
    ASSERT_EQ(1, watcher.Refresh(problem));
    EXPECT_EQ(0x010000, watcher.Latest());

    // Same size, new content and time: still noticed through the modification time.
    usleep(20000);
    dir.File("version.cvd", "\"1.0.9\"\n");
    ASSERT_EQ(1, watcher.Refresh(problem));
    EXPECT_EQ(0x010009, watcher.Latest());

    dir.File("version.cvd", "\"1.2.0\"\n\"1.1.0\"\n");
    ASSERT_EQ(1, watcher.Refresh(problem));
    EXPECT_EQ(0x010200, watcher.Latest());

    dir.File("version.cvd", "");
    ASSERT_EQ(1, watcher.Refresh(problem));
    EXPECT_EQ(0, watcher.Latest());
}

TEST(CatalogueWatcher, BadCatalogueKeepsTheLastGoodRead)
{
    TempDir dir;
    std::string path = dir.File("version.cvd", "\"2.0.0\"\n");
    CatalogueWatcher watcher(path);
    std::string problem;
    ASSERT_EQ(1, watcher.Refresh(problem));

    dir.File("version.cvd", "\"123456789\"\n");   // longer than 8 characters
    EXPECT_EQ(1, watcher.Refresh(problem));
    EXPECT_NE(std::string::npos, problem.find("longer than 8 characters"));
    EXPECT_EQ(0x020000, watcher.Latest());

    unlink(path.c_str());
    EXPECT_EQ(1, watcher.Refresh(problem));
    EXPECT_NE(std::string::npos, problem.find("cannot be read"));

    CatalogueWatcher never(path);
    EXPECT_EQ(0, never.Refresh(problem));
}
