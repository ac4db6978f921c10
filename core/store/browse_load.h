#pragma once
// The browse table: every used row of every entry, newest entry first.
#include <cstdint>
#include <string>
#include <vector>

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

// What a load leaves behind for the next one: where each entry's rows lie.
// A reload that finds only a few records written since (a save, a delete)
// decodes the rows of their entries alone and keeps every other cell as it
// is, giving exactly the table that a whole load gives. Anything else (a
// cell changed on the table, the pair replaced, a damaged pair) makes the
// next load a whole one. Only this program's own writes are seen: a reload
// that may follow a change made elsewhere (全データ表示, a restore) is whole.
class BrowseLoadMemo {
public:
    // How the loads went, for tests and benchmarks.
    bool lastLoadWasPartial() const { return lastPartial_; }
    int loads() const { return loads_; }

private:
    friend void データ読込(DataStore&, GridTable&, bool, BrowseLoadMemo*, bool);
    struct Loader;

    bool valid_ = false;
    bool lastPartial_ = false;
    int loads_ = 0;
    const DataStore* store_ = nullptr;
    const GridTable* table_ = nullptr;
    bool recordNumbersShown_ = false;
    uint64_t version_ = 0;        // the table's content version after the load
    int maxrec1_ = 0;
    std::vector<int> slots_;       // the table's row map after the load
    std::vector<int> rowsBefore_;  // by title record: rows of the entries above it
    std::vector<int> rowCount_;    // by title record
    std::vector<int> titleOf_;     // by content record: the title showing it, 0 none
};

// Rebuilds the browse table from the data files; both files are closed
// afterwards. Errors are reported with " データ読込 ： 8414". A memo is kept
// up to date by every load; with `onlyWritten`, right after this program's
// own writes, the load decodes only the entries written since the last one
// when it can.
void データ読込(DataStore& store, GridTable& table, bool recordNumbersShown,
               BrowseLoadMemo* memo = nullptr, bool onlyWritten = false);

}  // namespace mk
