#include "core/edit/undo_history.h"

#include "core/base/errors.h"
#include "core/store/records.h"
#include "core/store/text.h"

namespace mk {

namespace {
constexpr int kRowHeight = 550;

// Rows 1..R-1 of the table, refusing what does not fit a level.
void checkFits(int row) {
    if (row > UndoHistory::kMaxRows) throw RuntimeError(ErrSubscript);
}
}  // namespace

UndoHistory::UndoHistory() {
    for (auto& level : levels_) level.resize(kMaxRows + 1);
}

void UndoHistory::reset() {
    for (auto& level : levels_)
        for (auto& row : level) row.fill(std::string());
    top_ = 1;
    current_ = 1;
}

void UndoHistory::store(int level, const GridTable& table) {
    Level& dst = levels_.at(level);
    for (int r = 1; r < table.rows(); ++r) {
        checkFits(r);
        for (int c = 1; c <= 4; ++c) dst[r][c] = table.text(r, c);
    }
}

void UndoHistory::clearLevel(int level, int rows) {
    Level& dst = levels_.at(level);
    for (int r = 1; r <= rows && r <= kMaxRows; ++r)
        for (int c = 1; c <= 4; ++c) dst[r][c].clear();
}

void UndoHistory::push(GridTable& table) {
    ++top_;
    if (top_ > kLevels) {
        top_ = kLevels;
        // Only the rows of the table's present size move down; the oldest
        // level drops out.
        for (int k = 1; k < kLevels; ++k)
            for (int r = 1; r < table.rows(); ++r) {
                checkFits(r);
                for (int c = 1; c <= 4; ++c) levels_[k][r][c] = levels_[k + 1][r][c];
            }
    }
    current_ = top_;
    store(top_, table);

    // Typing into the last row (spaces count) opens a new input row below,
    // up to the rows an entry can hold.
    const int last = table.rows() - 1;
    if (last >= 1 && last < kMaxEntryRows && !(table.text(last, 1) + table.text(last, 2)).empty()) {
        table.setRows(table.rows() + 1);
        table.setRowHeight(table.rows() - 1, kRowHeight);
    }
}

void UndoHistory::undo(GridTable& table) {
    if (current_ > 1) --current_;
    restore(table);
}

void UndoHistory::redo(GridTable& table) {
    if (current_ < top_) ++current_;
    restore(table);
}

void UndoHistory::restore(GridTable& table) const {
    const Level& src = levels_[current_];
    GridTable::UpdateBatch batch(table);
    for (int r = 1; r < table.rows() && r <= kMaxRows; ++r) {
        table.setText(r, 1, src[r][1]);
        table.setText(r, 2, src[r][2]);
        // Record numbers come back as numbers; a cell without one stays
        // empty, so that a row that was never stored still reads as one.
        for (int c = 3; c <= 4; ++c) {
            const long n = LeadingNumber(src[r][c]);
            table.setText(r, c, n == 0 ? std::string() : std::to_string(n));
        }
    }
}

const std::string& UndoHistory::text(int level, int row, int col) const {
    return levels_.at(level).at(row).at(col);
}

UndoHistory::Box UndoHistory::box(int i) const {
    if (i == current_) return Box::Current;
    return i <= top_ ? Box::Stored : Box::Empty;
}

}  // namespace mk
