#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/app/cipher_wrappers.h"
#include "core/base/scripted_messages.h"
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
    std::string defaultBackup() const { return dataFolder() + "パスワード・備忘録バックアップ/"; }

    // The file as Python's cp932 codec reads it, split at CR LF only.
    std::vector<std::string> lines() const {
        std::string out = test::runCommand(
            "python3 -c \"import sys; t = open(sys.argv[1], 'rb').read().decode('cp932'); "
            "sys.stdout.buffer.write('\\x1f'.join(t.split('\\r\\n')).encode('utf-8'))\" '" +
            path() + "'");
        std::vector<std::string> result;
        for (std::size_t pos = 0;;) {
            std::size_t end = out.find('\x1f', pos);
            result.push_back(out.substr(pos, end - pos));
            if (end == std::string::npos) return result;
            pos = end + 1;
        }
    }
    void writeRaw(const std::string& bytes) {
        ::mkdir(dataFolder().c_str(), 0700);
        test::writeFile(path(), bytes);
    }
    int reports(const std::string& location) const {
        int n = 0;
        for (const auto& m : messages.messages)
            n += m.title == "エラー発生表示" && m.text.find(location) != std::string::npos;
        return n;
    }
    void setScreen(const std::string& password, const std::string& hint, bool ask) {
        program.settingsScreen = {password, hint, ask, !ask};
    }
};

TEST_F(SettingsFixture, FirstReadCreatesTheFileWithInitialValues) {
    設定読込(program);
    EXPECT_TRUE(messages.messages.empty());
    std::vector<std::string> l = lines();
    ASSERT_EQ(l.size(), 5u);  // four lines, each ended by CR LF
    EXPECT_EQ(l[0], defaultBackup());
    EXPECT_NE(l[1], "5830");
    EXPECT_EQ(復号化(l[1]), "5830");
    EXPECT_EQ(l[2], "いつもの5830");
    EXPECT_EQ(l[3], "スキップ");
    EXPECT_EQ(l[4], "");

    struct stat st{};
    EXPECT_EQ(::stat(defaultBackup().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(program.settings.BackupFolder, defaultBackup());
    EXPECT_EQ(program.settings.LoginPassword, "5830");
    EXPECT_EQ(program.settings.LoginMode, "スキップ");
    EXPECT_EQ(program.settingsScreen.passwordBox, "5830");
    EXPECT_EQ(program.settingsScreen.hintBox, "いつもの5830");
    EXPECT_FALSE(program.settingsScreen.option1);
    EXPECT_TRUE(program.settingsScreen.option2);
}

TEST_F(SettingsFixture, ScreenValuesRoundTripThroughTheFile) {
    設定読込(program);
    setScreen("ﾊﾟｽ漢字Ａbc1", "猫の名前\r\nと誕生日", true);
    program.settings.BackupFolder = "/media/usb/バックアップ/";
    EXPECT_TRUE(writeSettings(program));
    std::vector<std::string> l = lines();
    ASSERT_EQ(l.size(), 5u);  // the line break inside the hint is not written
    EXPECT_EQ(l[0], "/media/usb/バックアップ/");
    EXPECT_EQ(l[2], "猫の名前と誕生日");
    EXPECT_EQ(l[3], "入力する");

    Program again(folder.path());
    EXPECT_TRUE(readSettings(again));
    EXPECT_EQ(again.settings.BackupFolder, "/media/usb/バックアップ/");
    EXPECT_EQ(again.settings.LoginPassword, "ﾊﾟｽ漢字Ａbc1");
    EXPECT_EQ(again.settings.LoginMode, "入力する");
    EXPECT_TRUE(again.settingsScreen.option1);
    EXPECT_FALSE(again.settingsScreen.option2);

    // An empty password is an empty line 2, and reads back empty.
    setScreen("", "h", false);
    設定書込(program);
    EXPECT_EQ(lines()[1], "");
    readSettings(again);
    EXPECT_EQ(again.settings.LoginPassword, "");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SettingsFixture, HandEditedFileIsReadLineByLine) {
    // LF line ends, a plain "-*-" password, an unknown mode word and a fifth
    // line that is never read.
    writeRaw("/backup/\n-*-Secret9\n\x83\x71\x83\x93\x83\x67\nmaybe\nextra\n");
    setScreen("", "", true);
    設定読込(program);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(program.settings.BackupFolder, "/backup/");
    EXPECT_EQ(program.settings.LoginPassword, "Secret9");
    EXPECT_EQ(program.settings.LoginHint, "ヒント");
    EXPECT_EQ(program.settings.LoginMode, "maybe");
    EXPECT_TRUE(program.settingsScreen.option1);  // unknown word: buttons as they were
    EXPECT_FALSE(program.settingsScreen.option2);
    program.settingsScreen.option1 = false;  // saving writes the selected button's word
    設定書込(program);
    EXPECT_EQ(lines()[3], "スキップ");

    // The last line may lack its end ("入力する" in CP932).
    writeRaw(std::string("/b/\r\n\r\nhint\r\n") + "\x93\xfc\x97\xcd\x82\xb7\x82\xe9");
    設定読込(program);
    EXPECT_EQ(program.settings.LoginMode, "入力する");
    EXPECT_TRUE(program.settingsScreen.option1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SettingsFixture, ShortFileIsReportedAndChangesNothing) {
    program.settings = {"/keep/", "pw", "hint", "スキップ"};
    program.settingsScreen.passwordBox = "screen";
    for (const std::string bytes : {"/a/\r\n-*-x\r\nh\r\n", ""}) {
        writeRaw(bytes);
        messages.messages.clear();
        EXPECT_FALSE(readSettings(program));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(reports("設定読込 :  2108  "), 1);
        EXPECT_NE(messages.last().text.find("エラー番号： 62"), std::string::npos);
        EXPECT_EQ(program.settings.BackupFolder, "/keep/");
        EXPECT_EQ(program.settings.LoginPassword, "pw");
        EXPECT_EQ(program.settings.LoginMode, "スキップ");
        EXPECT_EQ(program.settingsScreen.passwordBox, "screen");
        EXPECT_EQ(test::readFile(path()), bytes);
    }
}

TEST_F(SettingsFixture, FileDeletedDuringTheRunGetsTheInitialValues) {
    設定読込(program);
    program.settings.BackupFolder = "/elsewhere/";
    setScreen("typed", "typed hint", true);
    ASSERT_EQ(::unlink(path().c_str()), 0);
    設定書込(program);
    std::vector<std::string> l = lines();
    EXPECT_EQ(l[0], defaultBackup());
    EXPECT_EQ(復号化(l[1]), "5830");
    EXPECT_EQ(l[2], "いつもの5830");
    EXPECT_EQ(l[3], "スキップ");
    EXPECT_EQ(program.settingsScreen.passwordBox, "5830");
    EXPECT_TRUE(program.settingsScreen.option2);
    EXPECT_FALSE(program.settingsScreen.option1);
}

TEST_F(SettingsFixture, FailedOrRefusedWriteKeepsTheOldFile) {
    設定読込(program);
    const std::string before = test::readFile(path());
    setScreen("newpass", "h", true);
    fs::failOperation("rename", ENOSPC);
    EXPECT_FALSE(writeSettings(program));
    fs::clearFaults();
    // Too long for the cipher, or a character Shift-JIS lacks: either would
    // be stored as a password nobody can type at the login.
    for (const std::string& bad : {std::string(2001, 'a'), std::string("pass\xF0\x9F\x98\x80")}) {
        setScreen(bad, "h", true);
        EXPECT_FALSE(writeSettings(program));
    }
    EXPECT_EQ(reports("7366 :   設定書込"), 3);
    EXPECT_EQ(test::readFile(path()), before);
    EXPECT_EQ(program.settings.LoginPassword, "5830");  // memory follows the file
}

}  // namespace
}  // namespace mk
