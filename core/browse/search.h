#pragma once
// Keyword search over the browse table: hit cells turn red, rows without a
// hit are hidden. The search never unhides a row and never resets a colour;
// the commands that start it decide between a new and a narrowing search.
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

// CompareKey of the searched cells, kept between searches. A cell's key is
// recomputed only when its text changed since the last search, so a chain of
// searches over an unchanged table converts each text once.
class SearchKeyCache {
public:
    // The key of cell (row, col), col one of 1, 3, 4.
    const std::string& key(const GridTable& table, int row, int col);
    void clear() { cells_.clear(); }

private:
    struct Cell {
        std::string source;
        std::string key;
        bool valid = false;
    };
    std::vector<Cell> cells_;  // three per row
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
