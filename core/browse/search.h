#pragma once
// Keyword search over the browse table: hit cells turn red, rows without a
// hit are hidden. The search never unhides a row and never resets a colour;
// the commands that start it decide between a new and a narrowing search.
#include <cstdint>
#include <string>
#include <vector>

#include "core/store/grid_table.h"

namespace mk {

// The two display modes of the option buttons Option1(1) and Option1(2).
enum DisplayMode : int {
    HitTitles = 1,    // "Hit表題を表示": key = 親Rec, every row of a hit entry stays
    HitRowsOnly = 2,  // "Hit行のみ表示": key = 子Rec, only hit rows stay
};

inline const char* const kCounterIdle = "-*-";
inline const char* const kCounterSearching = "検索中";
inline const char* const kSearchLocation = "検索 : 1145 ";

// What the search needs of its window.
class SearchView {
public:
    virtual ~SearchView() = default;
    virtual std::string keyword() const = 0;         // the search box, untrimmed
    virtual void setKeyword(const std::string& text) = 0;
    virtual int displayMode() const = 0;             // read again at every row
    virtual void setCounter(const std::string& caption) = 0;  // Label6
    virtual void setTableVisible(bool visible) = 0;
};

// SearchKey of the searched cells, kept between searches, so that a chain
// of searches over an unchanged table converts each text once. A cell is
// found by its row's content record number (column 6), which a row keeps
// when the table is sorted, or by its row when it has none. A kept key is
// used only while the cell's text has the same length and 64-bit hash as
// when it was made; otherwise it is made again.
class SearchKeyCache {
public:
    // The key of cell (row, col), col one of 1, 3, 4; `record` is the row's
    // content record number (0 when it has none).
    const std::string& key(const GridTable& table, int row, int col, int record);
    void clear() { cells_.clear(); }
    // Asks the memory for a row's cells, and for their keys, ahead of use.
    void prefetch(int row, int record) const;
    void prefetchKeys(int row, int record) const;

private:
    struct Cell {
        uint64_t hash = 0;
        uint32_t size = 0;
        bool valid = false;
        std::string key;
    };
    std::vector<Cell> cells_;
};

// "shown/n", the counter's result and progress texts.
std::string counterText(int count, int total);

// The search routine. Returns false when it was stopped by an error (which
// it has reported with its location text). `cache` may be null.
bool 検索(GridTable& table, SearchView& view, SearchKeyCache* cache = nullptr);

// Unhides every row and paints the text of columns 1 to 4 of every data row
// black: the state a new search starts from.
void resetSearchMarks(GridTable& table);

}  // namespace mk
