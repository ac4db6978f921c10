#include "core/settings/backup.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/base/clock.h"
#include "core/base/scripted_messages.h"
#include "core/settings/restore.h"
#include "core/settings/settings_commands.h"
#include "core/settings/settings_file.h"
#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

struct FixedClock : Clock {
    std::time_t when = 0;
    std::time_t now() const override { return when; }
};

std::time_t localTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

struct NoView : BackupView {
    std::vector<std::string> statuses;
    bool visible = false;
    std::string label3;
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setStatusVisible(bool v) override { visible = v; }
    void setTargetLabel(const std::string& path) override { label3 = path; }
};

struct BackupFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    FixedClock clock;
    Program program{folder.path()};
    NoView view;

    BackupFixture() {
        clock.when = localTime(2024, 3, 5, 10, 0, 0);
        setProgramClock(&clock);
        writePair("A", "a-row", localTime(2024, 3, 1, 9, 0, 0));
        設定読込(program);
    }
    ~BackupFixture() override {
        setProgramClock(nullptr);
        fs::clearFaults();
    }
    std::string backups() const { return program.settings.BackupFolder; }
    void writePair(const std::string& title, const std::string& item, std::time_t when) {
        ::mkdir(program.dataFolder().c_str(), 0700);
        test::writeFile(program.store.titlePath(), test::titleRecordBytes(title, {1}, 1));
        test::writeFile(program.store.contentPath(),
                        test::contentRecordBytes("0", item, "x", 1, 1));
        fs::setModifiedTime(program.store.titlePath(), when);
        fs::setModifiedTime(program.store.contentPath(), when);
    }
    std::vector<std::string> backupNames() const { return fs::listDirectory(backups()); }
    bool saw(const std::string& fragment) const {
        for (const auto& m : messages.messages)
            if (m.text.find(fragment) != std::string::npos) return true;
        return false;
    }
};

TEST(SplitPathTest, FolderAndName) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"/a/b/c.dat", "/a/b/", "c.dat"},
                 {"c.dat", "", "c.dat"},
                 {"/a/", "/a/", ""},
                 {"/x", "/", "x"}};
    for (const Case& c : cases) {
        std::string folder, name;
        SplitPath(c.path, folder, name);
        EXPECT_EQ(folder, c.folder) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
    }
}

TEST(BackupKeyTest, CharactersNineToTwentyTwo) {
    EXPECT_EQ(backupKey("パスワード表題_2024_03_05_001.dat"), "2024_03_05_001");
    EXPECT_EQ(backupKey("パスワード表題_2099_test.dat"), "2099_test.dat");
    EXPECT_LT(backupKey("パスワード表題_2024_03_05_999.dat"),
              backupKey("パスワード表題_2024_03_06_001.dat"));
    EXPECT_EQ(timeStampText(localTime(2024, 3, 5, 23, 59, 59)), "2024/03/05 23:59:59");
}

TEST_F(BackupFixture, DatedNamesTakeTheLowestFreeNumber) {
    const std::string base = backups() + "パスワード表題.dat";
    EXPECT_EQ(DatedFileName(base), backups() + "パスワード表題_2024_03_05_001.dat");
    for (const char* n : {"001", "003"})
        test::writeFile(backups() + "パスワード表題_2024_03_05_" + n + ".dat", "");
    EXPECT_EQ(DatedFileName(base), backups() + "パスワード表題_2024_03_05_002.dat");
    EXPECT_EQ(DatedFileName(backups() + "a.b.dat"), backups() + "a_2024_03_05_001.b.dat");
    clock.when = localTime(2024, 3, 6, 0, 0, 1);
    EXPECT_EQ(DatedFileName(base), backups() + "パスワード表題_2024_03_06_001.dat");

    EXPECT_EQ(DatedFileName(backups() + "noext"), "");
    EXPECT_EQ(messages.last().text, "エラー　ファイル名異常");
}

TEST_F(BackupFixture, AllNumbersTakenStopsWithAMessageAndCopiesNothing) {
    char name[64];
    for (int n = 1; n <= 999; ++n) {
        std::snprintf(name, sizeof name, "パスワード表題_2024_03_05_%03d.dat", n);
        test::writeFile(backups() + name, "");
    }
    EXPECT_EQ(DatedFileName(backups() + "パスワード表題.dat"), "");
    EXPECT_FALSE(バックアップ実施(program, view));
    EXPECT_TRUE(saw("001 から 999 まですべて使われています。"));
    EXPECT_FALSE(saw("保存しました。"));
    EXPECT_EQ(backupNames().size(), 999u);
    EXPECT_FALSE(view.visible);
}

TEST_F(BackupFixture, TheNewestKeyDecidesAndTimesCompareToTheSecond) {
    EXPECT_EQ(バックアップ有無(program), kBackupNeeded);
    ASSERT_TRUE(バックアップ実施(program, view));
    const std::string first = backups() + "パスワード表題_2024_03_05_001.dat";
    EXPECT_EQ(view.label3, first);
    EXPECT_EQ(
        messages.last().text,
        first +
            "で\r  \r保存しました。\r  \rリンクする　パスワード内容.dat も保存しました。\r  \r");
    EXPECT_EQ(fs::modifiedTime(first), fs::modifiedTime(program.store.titlePath()));
    EXPECT_EQ(バックアップ有無(program), first);

    // A later-dated pair is compared, even though it is older on disk.
    const std::string later = backups() + "パスワード表題_2025_01_01_001.dat";
    test::writeFile(later, "");
    test::writeFile(backups() + "パスワード内容_2025_01_01_001.dat", "");
    fs::setModifiedTime(later, localTime(2020, 1, 1, 0, 0, 0));
    EXPECT_EQ(バックアップ有無(program), kBackupNeeded);
    fs::setModifiedTime(later, fs::modifiedTime(program.store.titlePath()));
    fs::setModifiedTime(backups() + "パスワード内容_2025_01_01_001.dat",
                        fs::modifiedTime(program.store.contentPath()));
    EXPECT_EQ(バックアップ有無(program), later);
    // One second apart is a change.
    fs::setModifiedTime(program.store.contentPath(),
                        fs::modifiedTime(program.store.contentPath()) + 1);
    EXPECT_EQ(バックアップ有無(program), kBackupNeeded);
    // A newest title backup without its partner counts as no backup.
    fs::removeFile(backups() + "パスワード内容_2025_01_01_001.dat");
    fs::setModifiedTime(program.store.contentPath(),
                        fs::modifiedTime(program.store.contentPath()) - 1);
    EXPECT_EQ(バックアップ有無(program), kBackupNeeded);
}

TEST_F(BackupFixture, AFailedCopyStopsWithoutTheCompletionMessageOrAHalfPair) {
    struct Case {
        const char* op;
        long nth;  // 0: every call of op
    } cases[] = {{"rename", 0}, {"write", 0}, {"utime", 0}};
    for (const Case& c : cases) {
        messages.messages.clear();
        fs::failOperation(c.op, EIO);
        EXPECT_FALSE(バックアップ実施(program, view)) << c.op;
        fs::clearFaults();
        EXPECT_TRUE(saw("Sub CopyFile :  2142   ")) << c.op;
        EXPECT_FALSE(saw("保存しました。")) << c.op;
        EXPECT_FALSE(saw("バックアップが完了しました。")) << c.op;
        for (const auto& s : view.statuses) EXPECT_NE(s, "バックアップが完了しました。");
        // Neither a dated name nor a leftover temporary file.
        EXPECT_TRUE(backupNames().empty()) << c.op;
    }
    // With the fault gone the same backup goes through.
    ASSERT_TRUE(バックアップ実施(program, view));
    EXPECT_EQ(backupNames().size(), 2u);
}

TEST_F(BackupFixture, AMissingDataFileOrFolderIsReportedNotCalledBackedUp) {
    fs::removeFile(program.store.contentPath());
    EXPECT_FALSE(バックアップ実施(program, view));
    EXPECT_TRUE(saw("バックアップ有無 :  4620   "));
    EXPECT_FALSE(saw("既にバックアップ作成済み"));

    writePair("A", "a", localTime(2024, 3, 1, 9, 0, 0));
    messages.messages.clear();
    program.settingsScreen.option1 = false;
    ASSERT_TRUE(setBackupFolder(program, folder.path() + "plainfile"));
    test::writeFile(folder.path() + "plainfile", "x");
    EXPECT_FALSE(バックアップ実施(program, view));
    EXPECT_TRUE(saw("バックアップ実施 :  4517   "));
    EXPECT_FALSE(saw("既にバックアップ作成済み"));
}

struct RestoreFixture : BackupFixture {
    std::string oldTitles, oldContents;
    RestoreFixture() {
        EXPECT_TRUE(バックアップ実施(program, view));  // 001 holds "A"
        writePair("B", "b-row", localTime(2024, 3, 2, 9, 0, 0));
        oldTitles = test::readFile(program.store.titlePath());
        oldContents = test::readFile(program.store.contentPath());
        messages.messages.clear();
    }
    bool unchanged() const {
        return test::readFile(program.store.titlePath()) == oldTitles &&
               test::readFile(program.store.contentPath()) == oldContents;
    }
};

TEST_F(RestoreFixture, ChecksRefuseAndLeaveThePairAsItWas) {
    const std::string name = "パスワード表題_2024_03_05_001.dat";
    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* message;
    } cases[] = {
        {"No", [&] { messages.answers = {AnswerNo}; }, nullptr},
        {"partner missing",
         [&] { fs::removeFile(backups() + "パスワード内容_2024_03_05_001.dat"); },
         "リンクするデータの"},
        {"cut short", [&] { test::writeFile(backups() + name, "short"); }, "が壊れています。"},
        {"rename fails", [&] { fs::failOperation("rename", EIO); },
         "バックアップ読込 :  List1_Click"},
    };
    for (const Case& c : cases) {
        const std::string title = test::readFile(backups() + name);
        const std::string content = test::readFile(backups() + "パスワード内容_2024_03_05_001.dat");
        messages.messages.clear();
        c.spoil();
        const bool restored = restoreBackup(program, backups(), name);
        fs::clearFaults();
        EXPECT_FALSE(restored) << c.what;
        EXPECT_TRUE(unchanged()) << c.what;
        if (c.message) {
            EXPECT_TRUE(saw(c.message)) << c.what;
        }
        // Put the backup back for the next case.
        test::writeFile(backups() + name, title);
        test::writeFile(backups() + "パスワード内容_2024_03_05_001.dat", content);
    }
}

// Every single file call of the restore failing in turn: the pair is the old
// one, never a mix, until the restore gets through.
TEST_F(RestoreFixture, AFailureAtAnyFileCallLeavesTheOldPair) {
    bool restored = false;
    for (long nth = 1; nth <= 40 && !restored; ++nth) {
        messages.messages.clear();
        fs::failCall(nth, ENOSPC);
        restored = restoreBackup(program, backups(), "パスワード表題_2024_03_05_001.dat");
        fs::clearFaults();
        if (!restored) {
            EXPECT_TRUE(unchanged()) << nth;
        }
    }
    EXPECT_TRUE(restored);
    EXPECT_EQ(test::readFile(program.store.titlePath()),
              test::readFile(backups() + "パスワード表題_2024_03_05_001.dat"));
}

TEST_F(RestoreFixture, AHandNamedBackupLooksForItsOwnPartner) {
    test::writeFile(backups() + "パスワード表題_2099_test.dat",
                    test::readFile(backups() + "パスワード表題_2024_03_05_001.dat"));
    std::string folderName;
    std::vector<std::string> names;
    EXPECT_EQ(fillBackupList(program, folderName, names), BackupListResult::Pick);
    EXPECT_EQ(names, (std::vector<std::string>{"パスワード表題_2024_03_05_001.dat",
                                               "パスワード表題_2099_test.dat"}));
    EXPECT_FALSE(restoreBackup(program, backups(), "パスワード表題_2099_test.dat"));
    EXPECT_TRUE(saw(backups() + "パスワード内容_2099_test.dat にアクセス出来ません。"));
    EXPECT_TRUE(unchanged());
}

TEST_F(BackupFixture, EnteringWithAnEmptyPasswordIsRefused) {
    program.settingsScreen = {"", "hint", true, false};
    EXPECT_FALSE(saveLoginSettings(program));
    EXPECT_TRUE(saw(kEmptyPasswordRefused1));
    Program again(folder.path());
    設定読込(again);
    EXPECT_EQ(again.settings.LoginMode, kLoginSkip);
    EXPECT_EQ(again.settings.LoginPassword, "5830");

    program.settingsScreen = {"", "hint", false, true};  // skipping needs no password
    EXPECT_TRUE(saveLoginSettings(program));
    EXPECT_EQ(messages.last().text,
              "現在の設定を保存しました。\r  \r次回起動時から反映されます。\r  \r");
}


// A settings file too short to read, or one whose first line names no full
// path, never sends a backup to the root or the working folder: it goes to
// the default folder in the data folder.
TEST_F(BackupFixture, ADamagedBackupFolderLineFallsBackToTheDefaultFolder) {
    const std::string defaultFolder = backups();
    const std::string name = "パスワード表題_2024_03_05_001.dat";
    for (const std::string lines : {"/x/\r\n-*-pw\r\n", "\r\n-*-pw\r\nh\r\nmaybe\r\n",
                                    "relative/\r\n-*-pw\r\nh\r\nmaybe\r\n"}) {
        test::writeFile(settingsPath(program), lines);
        Program started(folder.path());  // a start that read the damaged file
        設定読込(started);
        EXPECT_EQ(started.settings.BackupFolder, defaultFolder) << lines;
        EXPECT_TRUE(バックアップ実施(started, view)) << lines;
        EXPECT_TRUE(test::fileExists(defaultFolder + name)) << lines;
        EXPECT_FALSE(test::fileExists("/" + name)) << lines;
        EXPECT_FALSE(test::fileExists("relative/" + name)) << lines;
        for (const char* at : {"/", "relative/"})  // what the fault would leave
            for (const char* base : {"パスワード表題", "パスワード内容"})
                std::remove((std::string(at) + base + "_2024_03_05_001.dat").c_str());
        for (const std::string& made : fs::listDirectory(defaultFolder))
            fs::removeFile(defaultFolder + made);
    }
}

}  // namespace
}  // namespace mk
