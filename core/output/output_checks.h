#pragma once
// The output checks of the browse table (column 2): setting them on the
// displayed rows, clearing them everywhere, storing them in the content file.
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace mk {

enum class CheckCommand { CheckAll = 1, UncheckAll = 2, Invert = 3 };

// Applies `command` to every displayed data row. When no row is displayed
// it shows the message about the empty table and changes nothing; false then.
bool applyCheckCommand(GridTable& browse, CheckCommand command);

// After the question, unchecks every data row, hidden ones included. False
// when the answer was No.
bool clearAllChecks(GridTable& browse);

// Writes 出力 of every displayed row's content record (column 6) from its
// check state. Rows without a record of the file are skipped.
void storeChecks(DataStore& store, const GridTable& browse);

// Displayed data rows whose check is set.
int checkedDisplayedRows(const GridTable& browse);

// Refuses an output of checked rows when none is checked (the four-line
// message); true when there is something to output.
bool confirmCheckedRows(const GridTable& browse);

}  // namespace mk
