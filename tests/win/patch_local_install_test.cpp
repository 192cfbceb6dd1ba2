// Installation from "patch.log" and its clean-up, on real files: the game directory
// sits inside a parent directory of the test's own, so the tests can show that no
// logged path reaches anything outside the game directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "patch/win/PatchEngine.h"
#include "tests/win/FakeReporter.h"
#include "tests/win/MessageBoxWatcher.h"
#include "tests/win/TempGameDir.h"

namespace {

typedef std::map<std::string, std::string> Tree;

// Every file below dir with its contents, and every directory (contents "<dir>").
void ReadTree(const std::string& dir, const std::string& prefix, Tree* tree)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*tree)[prefix + name] = "<dir>";
            ReadTree(path, prefix + name + "\\", tree);
        } else {
            std::string bytes;
            HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            char block[4096];
            DWORD got = 0;
            while (file != INVALID_HANDLE_VALUE && ReadFile(file, block, sizeof block, &got, nullptr) && got)
                bytes.append(block, got);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
            (*tree)[prefix + name] = bytes;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

struct InstallFixture : ::testing::Test {
    TempGameDir outer;   // the parent of the game directory
    std::string game;
    std::unique_ptr<PatchSession> session{new PatchSession};
    LaunchOptions options;
    FakeReporter reporter{true};
    PatchEngine engine{*session, options, reporter};

    void SetUp() override
    {
        game = outer.File("game");
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(game.c_str()));
        CreateDirectoryA("Temp", nullptr);
        outer.Write("victim.dll", "outside the game directory");
        session->stopped = 0;
    }
    void TearDown() override { SetCurrentDirectoryA(outer.Path().c_str()); }

    std::string Game(const char* relative) const { return game + "\\" + relative; }
    void Put(const char* relative, const std::string& bytes) const
    {
        outer.Write(("game\\" + std::string(relative)).c_str(), bytes);
    }
    std::string Get(const char* relative) const
    {
        return outer.Read(("game\\" + std::string(relative)).c_str());
    }
    bool Has(const char* relative) const
    {
        return outer.Exists(("game\\" + std::string(relative)).c_str());
    }
    void MakeDir(const char* relative) const
    {
        CreateDirectoryA(Game(relative).c_str(), nullptr);
        CreateDirectoryA(Game(("Temp\\" + std::string(relative)).c_str()).c_str(), nullptr);
    }
    Tree OutsideTree() const
    {
        Tree tree;
        ReadTree(outer.Path(), "", &tree);
        for (auto it = tree.begin(); it != tree.end();) {
            if (it->first == "game" || it->first.compare(0, 5, "game\\") == 0)
                it = tree.erase(it);
            else
                ++it;
        }
        return tree;
    }
    std::string ErrorText(const std::string& logged) const
    {
        return "Patch Install Error, File : " + game + "\\Temp\\" + logged;
    }
};

TEST_F(InstallFixture, InstallsEveryLoggedFileThenCleansUp)
{
    MakeDir("data");
    Put("Temp\\a.txt", "new a");
    Put("Temp\\data\\b.bmd", "new b");
    Put("Temp\\with blank.txt", "blank");
    Put("a.txt", "old a");                   // an installed file is overwritten
    Put("Temp\\unlogged.txt", "stays");
    Put("patch.log", "V 1.2.3\nF a.txt\nX ignored line\nF data\\b.bmd\nF with blank.txt\n");

    MessageBoxWatcher watcher;
    ASSERT_EQ(engine.InstallLoggedFiles(), 1);
    EXPECT_EQ(Get("a.txt"), "new a");
    EXPECT_EQ(Get("data\\b.bmd"), "new b");
    EXPECT_EQ(Get("with blank.txt"), "blank");
    EXPECT_FALSE(Has("unlogged.txt"));
    EXPECT_EQ(session->selfUpdatePending, 0);
    EXPECT_GE(reporter.pumps, 5);            // one per line
    EXPECT_TRUE(Has("Temp\\a.txt"));         // installing leaves Temp alone
    EXPECT_TRUE(Has("patch.log"));

    engine.Log().Load();                     // as the driver holds it
    ASSERT_EQ(engine.CleanupLoggedFiles(), 1);
    EXPECT_FALSE(Has("Temp\\a.txt"));
    EXPECT_FALSE(Has("Temp\\data\\b.bmd"));
    EXPECT_FALSE(Has("Temp\\with blank.txt"));
    EXPECT_TRUE(Has("Temp\\unlogged.txt"));
    EXPECT_TRUE(Has("Temp\\data"));
    EXPECT_FALSE(Has("patch.log"));
    EXPECT_EQ(engine.Log().Exists(), 0);     // the index knows the log is gone
    EXPECT_EQ(Get("a.txt"), "new a");
    EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(InstallFixture, NoLogInstallsAndCleansNothing)
{
    Put("Temp\\a.txt", "a");
    MessageBoxWatcher watcher;
    EXPECT_EQ(engine.InstallLoggedFiles(), 0);
    EXPECT_EQ(engine.CleanupLoggedFiles(), 0);
    EXPECT_FALSE(Has("a.txt"));
    EXPECT_TRUE(Has("Temp\\a.txt"));
    EXPECT_TRUE(watcher.boxes.empty());

    // A log with only its version line installs nothing and is removed.
    Put("patch.log", "V 1.0.0\n");
    EXPECT_EQ(engine.InstallLoggedFiles(), 1);
    EXPECT_EQ(engine.CleanupLoggedFiles(), 1);
    EXPECT_FALSE(Has("patch.log"));
}

TEST_F(InstallFixture, LauncherExecutableInAnyCaseOrFolderBecomesTheSelfUpdateFile)
{
    MakeDir("sub");
    Put("Temp\\ZR.EXE", "upper");
    Put("Temp\\sub\\zr.exe", "in sub");
    Put("Temp\\notzr.exe", "plain");
    Put("patch.log", "V 1.0.0\nF ZR.EXE\nF notzr.exe\nF sub\\zr.exe\n");

    ASSERT_EQ(engine.InstallLoggedFiles(), 1);
    EXPECT_EQ(Get("zr._xe"), "in sub");      // both went there; the later one stays
    EXPECT_FALSE(Has("zr.exe"));
    EXPECT_FALSE(Has("sub\\zr.exe"));
    EXPECT_EQ(Get("notzr.exe"), "plain");
    EXPECT_EQ(session->selfUpdatePending, 1);

    ASSERT_EQ(engine.CleanupLoggedFiles(), 1);
    EXPECT_FALSE(Has("Temp\\ZR.EXE"));
    EXPECT_FALSE(Has("Temp\\sub\\zr.exe"));
    EXPECT_EQ(Get("zr._xe"), "in sub");
}

TEST_F(InstallFixture, FileLoggedTwiceIsInstalledTwiceAndCleanupKeepsTheLog)
{
    Put("Temp\\a.txt", "a");
    Put("Temp\\b.txt", "b");
    Put("patch.log", "V 1.0.0\nF a.txt\nF a.txt\nF b.txt\n");
    ASSERT_EQ(engine.InstallLoggedFiles(), 1);
    EXPECT_EQ(Get("a.txt"), "a");
    EXPECT_EQ(Get("b.txt"), "b");

    // The second deletion of a.txt fails: clean-up stops there and reports success.
    EXPECT_EQ(engine.CleanupLoggedFiles(), 1);
    EXPECT_FALSE(Has("Temp\\a.txt"));
    EXPECT_TRUE(Has("Temp\\b.txt"));
    EXPECT_TRUE(Has("patch.log"));
    // The next version finds that log stale.
    engine.Log().Load();
    EXPECT_EQ(engine.Log().LogIsStale(PackVersion(VersionTriple{1, 0, 1})), 1);
}

TEST_F(InstallFixture, FailedCopyShowsTheSourceAndKeepsLogAndTemp)
{
    Put("Temp\\a.txt", "a");
    Put("Temp\\c.txt", "c");
    Put("patch.log", "V 1.0.0\nF a.txt\nF missing.txt\nF c.txt\n");

    MessageBoxWatcher watcher;
    EXPECT_EQ(engine.InstallLoggedFiles(), 0);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const MessageBoxWatcher::Box& box = watcher.boxes[0];
    EXPECT_EQ(box.text, ErrorText("missing.txt"));
    EXPECT_EQ(box.caption, "ZR Auto Update");
    EXPECT_EQ(box.owner, reporter.OwnerWindow());
    EXPECT_TRUE(box.hasOk);
    EXPECT_FALSE(box.hasCancel);

    EXPECT_EQ(Get("a.txt"), "a");            // copied before the failure: stays
    EXPECT_FALSE(Has("c.txt"));
    EXPECT_TRUE(Has("patch.log"));
    EXPECT_TRUE(Has("Temp\\a.txt"));
    EXPECT_TRUE(Has("Temp\\c.txt"));
}

TEST_F(InstallFixture, EscapingPathsAreRefusedAndNothingOutsideIsTouched)
{
    const char* const kEscaping[] = {
        "..\\evil.dll", "..\\..\\victim.dll", "sub\\..\\..\\evil.dll", "C:\\x",
        "\\\\host\\share\\x", "a:b", "NUL", "CON.txt", "\\abs", "/abs", "..",
    };
    MakeDir("sub");
    Put("evil.dll", "payload");              // what Temp\..\evil.dll would read
    Put("Temp\\a", "stream host");
    Tree outsideBefore = OutsideTree();
    ASSERT_EQ(outsideBefore.count("victim.dll"), 1u);

    for (const char* path : kEscaping) {
        SCOPED_TRACE(path);
        Put("Temp\\good.txt", "good");
        Put("Temp\\after.txt", "after");
        DeleteFileA(Game("good.txt").c_str());
        std::string log = std::string("V 1.0.0\nF good.txt\nF ") + path + "\nF after.txt\n";
        Put("patch.log", log);

        MessageBoxWatcher watcher;
        EXPECT_EQ(engine.InstallLoggedFiles(), 0);
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].text, ErrorText(path));
        EXPECT_EQ(Get("good.txt"), "good");
        EXPECT_FALSE(Has("after.txt"));
        EXPECT_EQ(Get("patch.log"), log);

        // Clean-up stops at the refused path as at a failed deletion.
        EXPECT_EQ(engine.CleanupLoggedFiles(), 1);
        EXPECT_FALSE(Has("Temp\\good.txt"));
        EXPECT_TRUE(Has("Temp\\after.txt"));
        EXPECT_EQ(Get("patch.log"), log);
        EXPECT_EQ(Get("evil.dll"), "payload");
        EXPECT_EQ(Get("Temp\\a"), "stream host");

        EXPECT_TRUE(OutsideTree() == outsideBefore);
        EXPECT_EQ(GetFileAttributesA("C:\\abs"), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA("C:\\x"), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(session->selfUpdatePending, 0);
}

TEST_F(InstallFixture, PathTooLongForTheBuffersFailsWithoutOverflow)
{
    // A logged name that is readable but makes the Temp path exceed 260 bytes. The
    // file exists (made through the long-path form), so only the length refuses it.
    std::string name(240, 'n');
    name += ".txt";
    std::wstring wide = L"\\\\?\\" + std::wstring(game.begin(), game.end()) + L"\\Temp\\" +
                        std::wstring(name.begin(), name.end());
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_GT(game.size() + 6 + name.size(), static_cast<size_t>(MAX_PATH));
    Put("patch.log", "V 1.0.0\nF " + name + "\n");

    MessageBoxWatcher watcher;
    EXPECT_EQ(engine.InstallLoggedFiles(), 0);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, ErrorText(name.c_str()));
    EXPECT_EQ(engine.CleanupLoggedFiles(), 1);
    EXPECT_TRUE(Has("patch.log"));
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(wide.c_str());
}

TEST_F(InstallFixture, LogQuestionsThroughTheEnginesIndex)
{
    PatchLogIndex& log = engine.Log();
    Put("patch.log", "V 1.2.3\nF data\\a.bmd\nF with blank.bmd\n");
    ASSERT_EQ(log.Load(), 1);
    EXPECT_EQ(log.LogIsStale(PackVersion(VersionTriple{1, 2, 3})), 0);
    EXPECT_EQ(log.LogIsStale(PackVersion(VersionTriple{1, 2, 4})), 1);
    EXPECT_EQ(log.LogHasFile("data\\a.bmd"), 1);
    EXPECT_EQ(log.LogHasFile("data\\A.bmd"), 0);   // the log keeps case
    EXPECT_EQ(log.LogHasFile("with blank.bmd"), 1);

    Put("patch.log", "F data\\a.bmd\n");            // no version line
    ASSERT_EQ(log.Load(), 1);
    EXPECT_EQ(log.LogIsStale(PackVersion(VersionTriple{0, 0, 0})), 0);
    EXPECT_EQ(log.LogIsStale(PackVersion(VersionTriple{0, 0, 1})), 1);

    // Lines the engine appends through the index land in the file.
    ASSERT_EQ(log.AppendLogLine('F', "new.bmd"), 1);
    EXPECT_EQ(log.LogHasFile("new.bmd"), 1);
    ASSERT_EQ(log.Load(), 1);
    EXPECT_EQ(log.LogHasFile("new.bmd"), 1);
    EXPECT_EQ(log.LogHasFile("data\\a.bmd"), 1);
    ASSERT_EQ(log.DeleteLog(), 1);
    EXPECT_FALSE(Has("patch.log"));
    EXPECT_EQ(log.LogIsStale(PackVersion(VersionTriple{1, 0, 0})), 0);   // no log
}

} // namespace
