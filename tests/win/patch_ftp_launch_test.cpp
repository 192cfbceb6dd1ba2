// Starting the game: the self-update restart at the end of a version that installed
// the launcher, and StartProgram with its failure messages.
#include "tests/win/patch_ftp_engine.h"
#include "tests/win/MessageBoxWatcher.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

using LaunchTest = FtpEngineTest;

std::string WaitForFile(const TempGameDir& dir, const char* name, int ms)
{
    for (int waited = 0; waited < ms; waited += 50) {
        std::string text = dir.Read(name);
        if (text != "<missing>" && !text.empty() && text.back() == '\n')
            return text;
        Sleep(50);
    }
    return dir.Read(name);
}

bool QuitPending()
{
    MSG quit;
    return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(LaunchTest, AVersionHoldingTheLauncherRestartsIntoTheGameAndEndsTheWalk)
{
    ASSERT_TRUE(CopyFileA((ExecutableDir() + "\\gamerecorder.exe").c_str(), "game.exe", FALSE));
    snprintf(options.passArgs, sizeof options.passArgs, "%s", "/x");
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "data.txt \"ZR.EXE\"");
    server->Put("1.00.01/data.txt", "data");
    server->Put("1.00.01/ZR.EXE", "the new launcher");
    server->Put("1.00.02/list.inf", "later.txt");
    server->Put("1.00.02/later.txt", "later");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(dir.Read("zr._xe"), "the new launcher");
    EXPECT_EQ(dir.Read("data.txt"), "data");
    EXPECT_FALSE(dir.Exists("ZR.EXE"));
    // Stored before the restart, and only what was installed.
    EXPECT_EQ(Config("Version"), "1.00.01");
    EXPECT_FALSE(WasFetched("1.00.02/list.inf"));
    EXPECT_FALSE(dir.Exists("later.txt"));
    // Connections closed, quit posted, no ready state.
    EXPECT_TRUE(engine->Restarting());
    EXPECT_EQ(reporter.closeSocketCalls, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->internetHandle, nullptr);
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_TRUE(QuitPending());

    std::string line = WaitForFile(dir, "gamerecorder.txt", 10000);
    EXPECT_EQ(line, "game.exe connect /x\n");
}

TEST_F(LaunchTest, SelfUpdateWithoutPassedArgumentsEndsWithConnectAndABlank)
{
    ASSERT_TRUE(CopyFileA((ExecutableDir() + "\\gamerecorder.exe").c_str(), "game.exe", FALSE));
    options.runMode = kRunLocal;  // never stores
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "1 bin zr.exe");
    server->Put("1.00.01/zr.exe", "launcher in a subdirectory");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(dir.Read("zr._xe"), "launcher in a subdirectory");
    EXPECT_FALSE(dir.Exists("config.ini"));
    EXPECT_TRUE(QuitPending());
    EXPECT_EQ(WaitForFile(dir, "gamerecorder.txt", 10000), "game.exe connect \n");
}

TEST(StartProgramTest, FailureCodesMapToTheirTexts)
{
    EXPECT_EQ(StartFailureText(0), 131);
    EXPECT_EQ(StartFailureText(2), 133);
    EXPECT_EQ(StartFailureText(3), 133);
    EXPECT_EQ(StartFailureText(11), 132);
    EXPECT_EQ(StartFailureText(33), 0);
    EXPECT_EQ(StartFailureText(5), 0);
    EXPECT_STREQ(GameProgramName(), "game.exe");
    EXPECT_STREQ(TestProgramName(), "gametest.exe");
}

TEST(StartProgramTest, AMissingProgramShows133AndTheQuitStaysPending)
{
    g_msg.LoadCTF(SourceFile("app/message.en.ctf").c_str());
    TempGameDir dir;
    MessageBoxWatcher boxes;
    PostQuitMessage(7);

    UINT result = StartProgram("nosuchgame.exe connect");

    EXPECT_EQ(result, 2u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, g_msg.Get(133));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

TEST(StartProgramTest, AStartedProgramGetsItsCommandLine)
{
    TempGameDir dir;
    ASSERT_TRUE(CopyFileA((ExecutableDir() + "\\gamerecorder.exe").c_str(), "gametest.exe", FALSE));
    MessageBoxWatcher boxes;

    UINT result = StartProgram("gametest.exe connect");

    EXPECT_GT(result, 31u);
    EXPECT_EQ(WaitForFile(dir, "gamerecorder.txt", 10000), "gametest.exe connect\n");
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
