#pragma once
// The browse table: every used row of every entry, newest entry first.
#include <string>

#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace mk {

// Columns of the browse table.
namespace bcol {
constexpr int Number = 0;   // Maxrec1 - title record + 1
constexpr int Title = 1;    // "表題"
constexpr int Output = 2;   // "出力" check box
constexpr int Item = 3;     // "項目"
constexpr int Content = 4;  // "内容"
constexpr int Parent = 5;   // "親Rec"
constexpr int Child = 6;    // "子Rec"
constexpr int Status = 7;   // "Status"
constexpr int Count = 8;
}  // namespace bcol

// Lays out the empty browse table (columns, headers, widths, colours, merging).
void SetVsGrid11(GridTable& table, bool recordNumbersShown);

// A 表題 as the browse table shows it: cleaned, line breaks removed, "空白"
// when nothing is left.
std::string shownTitle(std::string field);
// An item or a content as the browse table shows it: cleaned and trimmed.
std::string shownField(std::string field);

// Rebuilds the browse table from the data files; both files are closed
// afterwards. Errors are reported with " データ読込 ： 8414".
void データ読込(DataStore& store, GridTable& table, bool recordNumbersShown);

}  // namespace mk
