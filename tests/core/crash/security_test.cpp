// What the program leaves on disk for other users to see: the folders it
// makes are 0700 and every file it writes 0600 (whatever the umask), and the
// login password is nowhere in plain text. And no source hands text to a
// command interpreter or starts a program.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/output/output_table.h"
#include "core/output/print_output.h"
#include "core/settings/backup.h"
#include "core/settings/restore.h"
#include "core/settings/settings_commands.h"
#include "core/settings/settings_file.h"
#include "tests/support/test_support.h"

namespace mk::test {
namespace {

namespace fsys = std::filesystem;

struct NoView : BackupView {
    void setStatus(const std::string&) override {}
    void setStatusVisible(bool) override {}
    void setTargetLabel(const std::string&) override {}
};

struct Umask {
    mode_t old;
    explicit Umask(mode_t m) : old(::umask(m)) {}
    ~Umask() { ::umask(old); }
};

TEST(Security, EveryFolderIs0700EveryFile0600AndThePasswordNeverPlain) {
    const Umask open(0);  // the modes must not rest on the user's umask
    TempFolder folder;
    ScriptedMessages messages;
    Program program(folder.path());
    設定読込(program);

    EditSession s(program);
    SetVsGrid51(s.table, false);
    s.table.setRows(3);
    s.table.setText(1, ecol::Item, "ID");
    s.table.setText(1, ecol::Content, "user");
    s.titleBox.text = "bank";
    新規保存(s);

    const std::string password = "Hid3-秘密-pw";
    program.settingsScreen.passwordBox = password;
    program.settingsScreen.option1 = true;
    program.settingsScreen.option2 = false;
    ASSERT_TRUE(saveLoginSettings(program));
    NoView view;
    ASSERT_TRUE(バックアップ実施(program, view));
    s.table.setText(1, ecol::Content, "changed");
    修正保存(s);  // a whole-pair replacement
    program.reload();
    ASSERT_TRUE(印刷出力(program, kModeShown, [] {}));
    std::string backups;
    std::vector<std::string> names;
    ASSERT_EQ(fillBackupList(program, backups, names), BackupListResult::Pick);
    ASSERT_TRUE(restoreBackup(program, backups, names.front()));

    // Everything under the data folder, the spreadsheet and the backups
    // included.
    int files = 0;
    const std::vector<std::string> secrets = {password, cp932::encode(password)};
    for (const auto& e : fsys::recursive_directory_iterator(program.dataFolder())) {
        struct stat st;
        ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
        const std::string name = e.path().string();
        if (e.is_directory()) {
            EXPECT_EQ(st.st_mode & 07777, 0700u) << name;
            continue;
        }
        ++files;
        EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
        const std::string bytes = readFile(name);
        for (const std::string& secret : secrets)
            EXPECT_EQ(bytes.find(secret), std::string::npos) << "the password in plain text: " << name;
    }
    struct stat st;
    ASSERT_EQ(::stat(program.dataFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    // Pair, settings, spreadsheet and a backup pair.
    EXPECT_EQ(files, 6);
    EXPECT_TRUE(fileExists(outputFilePath(program)));
    // The password is stored (enciphered) and comes back.
    Program again(folder.path());
    設定読込(again);
    EXPECT_EQ(again.settings.LoginPassword, password);
}

TEST(Security, NoSourceRunsACommandInterpreterOrAnotherProgram) {
    const char* root = std::getenv("MIRUKASU_SOURCE_DIR");
    if (!root) GTEST_SKIP() << "MIRUKASU_SOURCE_DIR is not set";
    // Text typed by the user must never become part of a command line; the
    // program opens files and addresses only through the desktop's URL
    // handling, which takes the URL as one argument.
    const std::regex forbidden(
        R"((^|[^:\w.])(system|popen|execl|execlp|execle|execv|execvp|execvpe|posix_spawnp?|fork|vfork|ShellExecute\w*)\s*\(|std::system\s*\(|QProcess|wordexp)");
    // The start-up environment's factory for the real system is only named so.
    const std::regex declaration(R"(StartUpEnvironment\s+system\s*\()");
    int scanned = 0;
    for (const char* part : {"core", "gui", "codec", "ciphrax"}) {
        for (const auto& e : fsys::recursive_directory_iterator(std::string(root) + "/" + part)) {
            const std::string ext = e.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            ++scanned;
            std::ifstream in(e.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                const std::string code =
                    std::regex_replace(line.substr(0, line.find("//")), declaration, "");
                EXPECT_FALSE(std::regex_search(code, forbidden)) << e.path().string() << ":" << n
                                                                 << ": " << line;
            }
        }
    }
    EXPECT_GT(scanned, 50);
}

}  // namespace
}  // namespace mk::test
