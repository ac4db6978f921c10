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

// The settings file holds the password and the hint in CP932: a character
// it lacks would come back as "?" (a hint changed without a word, a password
// nobody can type at the login). Such a text is refused, naming the
// character, before anything is written.
bool refusedForUnstorableText(const Program& program) {
    if (!fs::exists(settingsPath(program))) return false;  // the initial values are written
    const SettingsScreenState& screen = program.settingsScreen;
    for (const auto& [text, what] : {std::pair{&screen.passwordBox, "ログインパスワード"},
                                     std::pair{&screen.hintBox, "ログインパスワードのヒント"}}) {
        const std::string bad = FirstCharNotStored(*text);
        if (bad.empty()) continue;
        SetMessageLines({std::string(what) + "に　保存出来ない文字「" + bad + "」があります。",
                         "この文字を使わずに入力してください。", "設定は保存しません。"});
        MsgBox(JoinMessageLines(), Buttons::OK, Icon::Exclamation);
        return true;
    }
    return false;
}

// The backup folder is line 1 of the settings file, in CP932. A name that
// would not read back as itself (〜 comes back as ～, a character CP932
// lacks as "?", a line break is dropped) would send every later backup to
// another folder: refused.
bool refusedForUnstorableFolder(const std::string& folder) {
    std::string bad = FirstCharNotStored(folder);
    if (bad.empty() && StripLineBreaks(folder) != folder) bad = "改行";
    if (bad.empty()) return false;
    SetMessageLines({"選択したフォルダー " + folder + " の名前には",
                     "設定ファイルに保存出来ない文字「" + bad + "」が含まれています。",
                     "この名前のままではバックアップ先に指定出来ません。",
                     "フォルダー名を変更するか　別のフォルダーを指定してください。",
                     "バックアップ先は変更しません。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Exclamation);
    return true;
}

}  // namespace

bool loginLocksOut(const Program& program) {
    return program.settingsScreen.option1 && program.settingsScreen.passwordBox.empty();
}

bool saveLoginSettings(Program& program) {
    if (refusedForLockOut(program) || refusedForUnstorableText(program) ||
        !writeSettings(program))
        return false;
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
    if (refusedForUnstorableFolder(folder) || refusedForLockOut(program) ||
        refusedForUnstorableText(program))
        return false;
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
