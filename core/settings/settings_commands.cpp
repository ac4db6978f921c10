#include "core/settings/settings_commands.h"

#include "core/base/messages.h"
#include "core/settings/settings_file.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

// A missing file is written with the initial values, whatever the screen
// holds, so the screen's copy cannot lock anybody out then.
bool refusedForLockOut(const Program& program) {
    if (!loginLocksOut(program) || !fs::exists(settingsPath(program))) return false;
    SetMessageLines({kEmptyPasswordRefused1, kEmptyPasswordRefused2, "設定は保存しません。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Exclamation);
    return true;
}

}  // namespace

bool loginLocksOut(const Program& program) {
    return program.settingsScreen.option1 && program.settingsScreen.passwordBox.empty();
}

bool saveLoginSettings(Program& program) {
    if (refusedForLockOut(program) || !writeSettings(program)) return false;
    SetMessageLines({"現在の設定を保存しました。", "次回起動時から反映されます。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
    return true;
}

std::string backupFolderPrompt(const std::string& appFolder) {
    std::string prompt = "バックアップを作成するフォルダーを指定してください。";
    const std::size_t drive = appFolder.find(":/");
    if (drive != std::string::npos)
        prompt += "\r" + appFolder.substr(0, drive + 2) + " 以外のドライブを推奨します。";
    return prompt;
}

bool setBackupFolder(Program& program, std::string folder) {
    if (refusedForLockOut(program)) return false;
    EnsureTrailingBackslash(folder);
    const std::string previous = program.settings.BackupFolder;
    program.settings.BackupFolder = folder;
    if (!writeSettings(program)) {
        program.settings.BackupFolder = previous;
        return false;
    }
    SetMessageLines({"バックアップ先を", program.settings.BackupFolder + " に", "設定しました。",
                     "今後、この場所にバックアップが作成されます。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
    return true;
}

}  // namespace mk

namespace mk {

std::string userManualPath(const Program& program) { return program.appFolder() + kUserManualName; }

bool userManualExists(const Program& program) { return fs::exists(userManualPath(program)); }

void reportMissingManual(const std::string& path) {
    SetMessageLines({"選択されたファイルにアクセス出来ません。", path + "\r" + " が存在しません。",
                     "お手数ですがファイル場所を確認して下さい。", "処理を中止します"});
    // Whichever button is pressed, nothing more happens.
    MsgBox(JoinMessageLines(), Buttons::AbortRetryIgnore, Icon::Question);
}

void reportManualNotOpened(const std::string& path, int code) {
    MsgBox(path + " にアクセスができませんでした。   Res=" + std::to_string(code), Buttons::OK,
           Icon::None);
}

}  // namespace mk
