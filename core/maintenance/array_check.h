#pragma once
// The data array check: the title records' slots laid open in a table and
// checked against the content file, and the content records listed. Both
// only read the data files.
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace mk {

// "表題と項目のRec": fills `table` with one row per title record (its number,
// cleaned title and the 50 slot values) and reports out-of-range slots and
// content records named more than once, or that all is well. Returns the
// counts.
SlotTally 表題と項目のRec(DataStore& store, GridTable& table);

// "項目表示": fills `table` with one row per content record (number, item,
// content, 自分Rec, 親Rec).
void 項目表示(DataStore& store, GridTable& table);

}  // namespace mk
