#pragma once
// 印刷出力: lays out rows of the browse table, saves them as the workbook
// 表示出力.xls in the data folder, and says which file to open.
#include <functional>
#include <optional>
#include <string>

#include "core/output/output_table.h"

namespace mk {

class Program;

inline const char* const kOutputFileName = "表示出力.xls";
inline const char* const kOutputSheetName = "表示出力";

// The workbook's path in the data folder.
std::string outputFilePath(const Program& program);

// Whether a spreadsheet program has the workbook at `path` open: it leaves
// a lock file beside it (LibreOffice ".~lock.NAME#", Excel "~$NAME").
bool outputFileHeld(const std::string& path);

// Saves `table` as the workbook: a temporary file first, renamed over the
// old one, so that a failure leaves the old file as it was. A workbook held
// open (its lock file, or a rename that is refused) is error 75 and is left
// as it is.
void saveOutputFile(const std::string& path, const OutputTable& table);

// The whole routine for `mode` (kModeShown, kModeSelected, kModeCards).
// Returns the file to open, or nothing after a failure, which has been
// reported already: the old file held elsewhere by the two-line message
// (after `hideNotice`), anything else by the error report. `width`
// measures texts in the output font for the table's columns.
std::optional<std::string> 印刷出力(Program& program, const std::string& mode,
                                    const std::function<void()>& hideNotice = {},
                                    const TextWidth& width = {});

// Tells the user that the desktop has no program to open the workbook,
// and where it was saved.
void reportOutputNotOpened(const std::string& path);

}  // namespace mk
