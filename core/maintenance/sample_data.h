#pragma once
// The built-in sample set of 20 entries, written on the very first start and
// removable again by their Status 9.
#include <string>
#include <vector>

#include "core/app/program.h"

namespace mk {

struct SampleEntry {
    std::string title;
    std::vector<std::pair<std::string, std::string>> rows;  // item, content
};

// The 20 sample entries (row counts 10, 9, 3, 2, 4, 8, 1, 1, 6, 4, 2, 2, 9,
// 4, 3, 2, 5, 3, 5, 3).
std::vector<SampleEntry> SampleData();

// Replaces both data files with the sample set and reloads the browse table.
// Shows the completion message. Returns false when an error was reported.
bool サンプルデータ生成(Program& program);

// Rewrites both data files without the sample entries (Status 9) through
// temporary files and renames. Shows the completion message. The caller
// reloads. Returns false when an error was reported.
bool サンプルデータ削除(Program& program);

}  // namespace mk
