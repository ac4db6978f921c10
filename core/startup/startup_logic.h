#pragma once
// The decisions of the start-up sequence that need no window: developer
// machine, first start, the empty data set and the first current entry.
#include <string>

#include "core/app/program.h"

namespace mk {

inline const char* const kAlreadyRunning = "このアプリケーションは　すでに起動されています。";
inline const char* const kNoData1 = "データが登録されていません。";
inline const char* const kNoData2 = "新規登録・編集画面で　データ登録をお願いいたします。";

// Notes the computer name; developer mode only on the developer machine's
// name exactly as written (letter case counts).
void setComputerName(Program& program, const std::string& name);

// The very first start: neither data file exists.
bool isFirstStart(const Program& program);
// Creates the sample data set on the first start; true when it did.
bool makeSampleDataOnFirstStart(Program& program);

// A browse table with no entry gets one empty row (550 twips high, the
// header 300) and the "no data" message; true when it had no entry.
bool fillEmptyBrowseTable(Program& program);

// Makes the entry of row 1 current: its block runs from row 1 to the row
// before the first row with another title (or to the table's last row).
void setFirstBlockCurrent(Program& program);

}  // namespace mk
