#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/app/cipher_wrappers.h"
#include "core/app/scripted_messages.h"
#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

struct SettingsFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    Program program{folder.path()};

    ~SettingsFixture() override { fs::clearFaults(); }

    std::string dataFolder() const { return folder.path() + "DuzoZuzevod/"; }
    std::string path() const { return dataFolder() + "設定.Int"; }
    std::string defaultBackup() const {
        return folder.path() + "DuzoZuzevod/パスワード・備忘録バックアップ/";
    }

    // The file's lines as Python's cp932 codec reads them, split at CR LF
    // only; each line comes back as UTF-8.
    std::vector<std::string> linesByPython() const {
        std::string out = test::runCommand(
            "python3 -c \"import sys; t = open(sys.argv[1], 'rb').read().decode('cp932'); "
            "sys.stdout.buffer.write('\\x1f'.join(t.split('\\r\\n')).encode('utf-8'))\" '" +
            path() + "'");
        std::vector<std::string> lines;
        std::size_t pos = 0;
        for (;;) {
            std::size_t end = out.find('\x1f', pos);
            lines.push_back(out.substr(pos, end - pos));
            if (end == std::string::npos) break;
            pos = end + 1;
        }
        return lines;
    }

    void writeRaw(const std::string& bytes) {
        ::mkdir(dataFolder().c_str(), 0700);
        test::writeFile(path(), bytes);
    }

    int errorReports(const std::string& location) const {
        int n = 0;
        for (const auto& m : messages.messages)
            if (m.title == "エラー発生表示" && m.text.find(location) != std::string::npos) ++n;
        return n;
    }
};

TEST_F(SettingsFixture, FirstReadCreatesTheFileWithInitialValues) {
    設定読込(program);

    ASSERT_TRUE(test::fileExists(path()));
    EXPECT_TRUE(messages.messages.empty());
    std::vector<std::string> lines = linesByPython();
    ASSERT_EQ(lines.size(), 5u);  // four lines, each ended by CR LF
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[0], defaultBackup());
    EXPECT_EQ(lines[0].back(), '/');
    EXPECT_NE(lines[1], "5830");
    EXPECT_EQ(復号化(lines[1]), "5830");
    EXPECT_EQ(lines[2], "いつもの5830");
    EXPECT_EQ(lines[3], "スキップ");
    for (unsigned char c : lines[1]) EXPECT_TRUE(c >= 33 && c <= 126);

    // The backup folder exists, and memory and screen hold the values.
    struct stat st{};
    EXPECT_EQ(::stat(defaultBackup().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(program.settings.BackupFolder, defaultBackup());
    EXPECT_EQ(program.settings.LoginPassword, "5830");
    EXPECT_EQ(program.settings.LoginHint, "いつもの5830");
    EXPECT_EQ(program.settings.LoginMode, "スキップ");
    EXPECT_EQ(program.settingsScreen.passwordBox, "5830");
    EXPECT_EQ(program.settingsScreen.hintBox, "いつもの5830");
    EXPECT_FALSE(program.settingsScreen.option1);
    EXPECT_TRUE(program.settingsScreen.option2);
}

TEST_F(SettingsFixture, ScreenValuesRoundTripThroughTheFile) {
    設定読込(program);
    program.settingsScreen.passwordBox = "ﾊﾟｽ漢字Ａbc1";
    program.settingsScreen.hintBox = "猫の名前　と　誕生日";
    program.settingsScreen.option1 = true;
    program.settingsScreen.option2 = false;
    program.settings.BackupFolder = "/media/usb/バックアップ/";
    EXPECT_TRUE(writeSettings(program));

    std::vector<std::string> lines = linesByPython();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "/media/usb/バックアップ/");
    EXPECT_EQ(lines[2], "猫の名前　と　誕生日");
    EXPECT_EQ(lines[3], "入力する");

    Program again(folder.path());
    EXPECT_TRUE(readSettings(again));
    EXPECT_EQ(again.settings.BackupFolder, "/media/usb/バックアップ/");
    EXPECT_EQ(again.settings.LoginPassword, "ﾊﾟｽ漢字Ａbc1");
    EXPECT_EQ(again.settings.LoginHint, "猫の名前　と　誕生日");
    EXPECT_EQ(again.settings.LoginMode, "入力する");
    EXPECT_TRUE(again.settingsScreen.option1);
    EXPECT_FALSE(again.settingsScreen.option2);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SettingsFixture, EmptyPasswordIsAnEmptyLine) {
    設定読込(program);
    program.settingsScreen.passwordBox = "";
    設定書込(program);
    EXPECT_EQ(linesByPython()[1], "");
    program.settings.LoginPassword = "stale";
    設定読込(program);
    EXPECT_EQ(program.settings.LoginPassword, "");
}

TEST_F(SettingsFixture, HandEditedFileWithPlainMarkerAndBareLineFeeds) {
    // Line ends LF alone, a plain "-*-" password, a fifth line that is never
    // read, and a mode word that is neither of the two.
    writeRaw("/backup/\n-*-Secret9\n\x83\x71\x83\x93\x83\x67\nmaybe\nextra\n");
    program.settingsScreen.option1 = true;
    program.settingsScreen.option2 = false;
    設定読込(program);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(program.settings.BackupFolder, "/backup/");
    EXPECT_EQ(program.settings.LoginPassword, "Secret9");
    EXPECT_EQ(program.settings.LoginHint, "ヒント");
    EXPECT_EQ(program.settings.LoginMode, "maybe");
    // Neither option is selected by the unknown word: they keep their state.
    EXPECT_TRUE(program.settingsScreen.option1);
    EXPECT_FALSE(program.settingsScreen.option2);

    // Saving the screen then writes the word of the selected button.
    program.settingsScreen.option1 = false;
    設定書込(program);
    EXPECT_EQ(linesByPython()[3], "スキップ");
    EXPECT_EQ(loginModeFromScreen(program.settingsScreen), "スキップ");
}

TEST_F(SettingsFixture, LastLineWithoutItsEndIsStillRead) {
    // The mode "入力する" in CP932, with no line end after it.
    writeRaw(std::string("/b/\r\n\r\nhint\r\n") + "\x93\xfc\x97\xcd\x82\xb7\x82\xe9");
    設定読込(program);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(program.settings.LoginMode, "入力する");
    EXPECT_TRUE(program.settingsScreen.option1);
}

TEST_F(SettingsFixture, ShortFileIsReportedAndChangesNothing) {
    program.settings = {"/keep/", "pw", "hint", "スキップ"};
    program.settingsScreen.passwordBox = "screen";
    for (const std::string& bytes : {std::string("/a/\r\n-*-x\r\nh\r\n"), std::string()}) {
        writeRaw(bytes);
        messages.messages.clear();
        EXPECT_FALSE(readSettings(program));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(errorReports("設定読込 :  2108  "), 1);
        EXPECT_NE(messages.last().text.find("エラー番号： 62"), std::string::npos);
        EXPECT_EQ(program.settings.BackupFolder, "/keep/");
        EXPECT_EQ(program.settings.LoginPassword, "pw");
        EXPECT_EQ(program.settings.LoginHint, "hint");
        EXPECT_EQ(program.settings.LoginMode, "スキップ");
        EXPECT_EQ(program.settingsScreen.passwordBox, "screen");
        EXPECT_EQ(test::readFile(path()), bytes);  // not rewritten either
    }
}

TEST_F(SettingsFixture, FileDeletedDuringTheRunGetsTheInitialValues) {
    設定読込(program);
    program.settings.BackupFolder = "/elsewhere/";
    program.settingsScreen.passwordBox = "typed";
    program.settingsScreen.hintBox = "typed hint";
    program.settingsScreen.option1 = true;
    program.settingsScreen.option2 = false;
    ASSERT_EQ(::unlink(path().c_str()), 0);

    設定書込(program);
    std::vector<std::string> lines = linesByPython();
    EXPECT_EQ(lines[0], defaultBackup());
    EXPECT_EQ(復号化(lines[1]), "5830");
    EXPECT_EQ(lines[2], "いつもの5830");
    EXPECT_EQ(lines[3], "スキップ");
    EXPECT_EQ(program.settings.LoginPassword, "5830");
    EXPECT_TRUE(program.settingsScreen.option2);
    EXPECT_FALSE(program.settingsScreen.option1);
    EXPECT_EQ(program.settingsScreen.passwordBox, "5830");
}

TEST_F(SettingsFixture, FailedWriteKeepsTheOldFileAndSaysSo) {
    設定読込(program);
    const std::string before = test::readFile(path());
    program.settingsScreen.passwordBox = "newpass";
    fs::failOperation("rename", ENOSPC);
    EXPECT_FALSE(writeSettings(program));
    fs::clearFaults();
    EXPECT_EQ(errorReports("7366 :   設定書込"), 1);
    EXPECT_EQ(test::readFile(path()), before);
}

TEST_F(SettingsFixture, PasswordTheCipherCannotKeepIsRefused) {
    設定読込(program);
    const std::string before = test::readFile(path());
    // Too long for the cipher, and a character Shift-JIS lacks: either would
    // be stored as something nobody can type at the login.
    for (const std::string& bad : {std::string(2001, 'a'), std::string("pass\xF0\x9F\x98\x80")}) {
        messages.messages.clear();
        program.settingsScreen.passwordBox = bad;
        EXPECT_FALSE(writeSettings(program));
        EXPECT_EQ(errorReports("7366 :   設定書込"), 1);
        EXPECT_EQ(test::readFile(path()), before);
    }
}

TEST_F(SettingsFixture, LineBreaksInsideValuesDoNotShiftTheLines) {
    設定読込(program);
    program.settingsScreen.hintBox = "first\r\nsecond";
    設定書込(program);
    std::vector<std::string> lines = linesByPython();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "firstsecond");
    EXPECT_EQ(lines[3], "スキップ");
}

}  // namespace
}  // namespace mk
