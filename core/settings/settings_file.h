#pragma once
// The settings file "設定.Int": four CP932 lines ending in CR LF — the backup
// folder, the enciphered login password, the hint and the login mode.
#include "core/app/program.h"

namespace mk {

inline const char* const kSettingsFileName = "設定.Int";
inline const char* const kLoginAsk = "入力する";
inline const char* const kLoginSkip = "スキップ";

std::string settingsPath(const Program& program);
// The backup folder that a fresh settings file names, in the data folder,
// with its final separator.
std::string defaultBackupFolder(const Program& program);

void 設定初期値書込(Program& program);
void 設定書込(Program& program);
void 設定読込(Program& program);

// The same two routines, telling whether they finished without an error
// report, so that a caller (the settings screen's "確定") does not announce a
// save that did not happen.
bool writeSettings(Program& program);
bool readSettings(Program& program);

// Puts the password, the hint and the mode into the settings screen's copy.
// A mode that is neither "入力する" nor "スキップ" leaves both option buttons
// as they are.
void showSettingsOnScreen(Program& program);

// The mode word that the screen's option buttons stand for: "入力する" when
// button 1 is selected, otherwise "スキップ".
std::string loginModeFromScreen(const SettingsScreenState& screen);

}  // namespace mk
