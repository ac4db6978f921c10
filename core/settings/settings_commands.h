#pragma once
// The settings screen's commands that change the settings file: the login
// panel's "確定" and the choice of a new backup folder.
#include <string>

#include "core/app/program.h"

namespace mk {

inline const char* const kEmptyPasswordRefused1 = "ログインパスワードが空白です。";
inline const char* const kEmptyPasswordRefused2 =
    "起動時に「入力する」場合は　ログインパスワードを入力してください。";

// True when the screen's copy would ask for a password at start-up that
// nobody can give (the mode "入力する" with an empty password box).
bool loginLocksOut(const Program& program);

// "確定": writes the settings from the screen's copy and confirms it. An
// empty password with "入力する" is refused with a message. True when saved.
bool saveLoginSettings(Program& program);

// The folder chooser's prompt: recommends a drive other than the program's
// own when its folder has one.
std::string backupFolderPrompt(const std::string& appFolder);

// Takes the chosen folder as the backup folder (with a final separator),
// writes the settings and confirms it. True when saved.
bool setBackupFolder(Program& program, std::string folder);

}  // namespace mk

namespace mk {

inline const char* const kUserManualName = "【ユーザーマニュアル】Mirukasu.pdf";

// The user manual beside the program, and whether it is there.
std::string userManualPath(const Program& program);
bool userManualExists(const Program& program);
// The messages when the manual is missing, or when the desktop could not
// open it (`code`: the shell's result code).
void reportMissingManual(const std::string& path);
void reportManualNotOpened(const std::string& path, int code);

}  // namespace mk
