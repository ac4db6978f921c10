#pragma once
// The settings file "設定.Int": four CP932 lines ending in CR LF — the backup
// folder, the enciphered login password, the hint and the login mode.
#include "core/app/program.h"

namespace mk {

inline const char* const kSettingsFileName = "設定.Int";
inline const char* const kLoginAsk = "入力する";
inline const char* const kLoginSkip = "スキップ";

std::string settingsPath(const Program& program);

void 設定初期値書込(Program& program);
void 設定書込(Program& program);
void 設定読込(Program& program);

}  // namespace mk
