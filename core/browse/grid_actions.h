#pragma once
// What the browse grid does with the mouse: the edit context of the selected
// entry, the cell transfer with its light-cyan mark, the header sort, the
// current-cell timer's marking and the mouse-help zones.
#include <string>

#include "core/app/program.h"
#include "core/store/grid_table.h"

namespace mk {

inline const char* const kRowColChangeLocation = "VSFlexGrid1_RowColChange :  2322";

// Sets every data cell (rows 1 to the last, columns 1 to the last) to a white
// background, when the table has more than two data rows.
void paintDataWhite(GridTable& table);

// The edit context for current cell (r, k): the run of adjacent rows around r
// whose title (column 1) equals row r's, looked for within 200 rows either
// way. With the edit lock on, the table is made read-only first (an earlier
// web-address open may have turned editing on). Errors are reported with the
// location text above.
void editContextRefresh(GridTable& table, int r, int k, bool editLock, EditContext& context);

// The 500 ms timer: white data cells, the edit context's current cell light
// cyan; nothing with one or two data rows.
void paintCurrentCell(GridTable& table, const EditContext& context);

// A left click on data cell (r, c): columns 1 to 4 of every data row white,
// the clicked cell light cyan. Returns the cell's text, which goes to the
// search box and the clipboard.
std::string cellTransfer(GridTable& table, int r, int c);

// The sort direction of the header clicks: unset, then +1 (ascending) or
// -1 (descending), toggled at every header click whatever the column.
struct SortState {
    int direction = 0;
};

// A header click on column `col`: makes it the current column, toggles the
// direction (the first click sorts ascending), sorts, marks cell (0, 0) with
// "▲" or "▼" and merges columns 0 and 1 again. Returns the new direction.
int headerSort(GridTable& table, int col, SortState& state);

// The help line's text for the pointer at (x, y) twips over the grid, above
// column `col` (-1 when none).
std::string gridHelpText(int xTwips, int yTwips, int col);

}  // namespace mk
