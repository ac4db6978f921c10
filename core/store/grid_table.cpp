#include "core/store/grid_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <numeric>
#include <utility>

#include "core/base/errors.h"
#include "core/store/text.h"

namespace mk {

namespace {

const std::string kEmpty;

// A text that is wholly a number: optional spaces, an optional sign, digits
// with at most one decimal point, optional spaces. Such cells sort by value.
bool wholeNumber(const std::string& text, double& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    std::size_t end = i;
    while (i < n && text[i] == ' ') ++i;
    if (!digits || i != n) return false;
    value = std::strtod(text.substr(start, end - start).c_str(), nullptr);
    return true;
}

// Rebuilds `cells` with rows first.. in `order`, the rows before `first`
// where they were; the new array takes the old one's place.
template <class T>
void permuteRows(std::vector<T>& cells, const std::vector<int>& order, int first, int width) {
    std::vector<T> sorted;
    sorted.reserve(cells.size());
    const std::size_t head = std::size_t(first) * width;
    std::move(cells.begin(), cells.begin() + head, std::back_inserter(sorted));
    for (int row : order) {
        auto from = cells.begin() + std::size_t(row) * width;
        std::move(from, from + width, std::back_inserter(sorted));
    }
    cells.swap(sorted);
}

}  // namespace

GridTable::GridTable(int rows, int cols) {
    setCols(cols);
    setRows(rows);
}

// ---- notifications ------------------------------------------------------------

void GridTable::beginUpdate() {
    if (updateDepth_++ == 0) {
        batchRows_ = rows_;
        batchCols_ = cols_;
    }
}

void GridTable::endUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ > 0) return;
    if (pending_ == 0 && pendingTexts_.empty() && pendingColors_.empty() && pendingChecks_.empty())
        return;
    // Taken out first: a listener may change the table again.
    const uint8_t pending = std::exchange(pending_, 0);
    std::vector<int> moves = std::move(pendingMoves_);
    pendingMoves_.clear();
    Block texts = std::exchange(pendingTexts_, Block{});
    Block colors = std::exchange(pendingColors_, Block{});
    Block checks = std::exchange(pendingChecks_, Block{});
    if (!listener_) return;
    // Only a batch that hid, showed or sorted rows, or rebuilt the table to
    // as many rows as before (a reload), is told piece by piece; any other
    // (the edit screen's, whose view takes its current cell from the table
    // after a reset) ends in a reset as it always has.
    const bool sameShape = rows_ == batchRows_ && cols_ == batchCols_;
    const bool rebuilt = (pending & PendingShape) != 0;
    const bool rearranged = (pending & PendingRows) || (rebuilt && sameShape);
    const bool dataTexts = !texts.empty() && texts.row2 >= 1;
    if ((pending & PendingReset) || (rebuilt && !sameShape) || !rearranged ||
        (dataTexts && !rebuilt)) {
        listener_->tableReset();
        return;
    }
    const Block all{0, 0, rows_ - 1, cols_ - 1};
    if (rebuilt) {
        // Rows dropped and made again: every row is new, in its place.
        moves.clear();
        texts = colors = checks = all;
    }
    listener_->rowsRearranged(moves);
    if (!texts.empty()) listener_->cellsChanged(texts.row1, texts.col1, texts.row2, texts.col2);
    if (!colors.empty())
        listener_->looksChanged(colors.row1, colors.col1, colors.row2, colors.col2, Look::Colors);
    if (!checks.empty())
        listener_->looksChanged(checks.row1, checks.col1, checks.row2, checks.col2, Look::Checks);
    if (pending & (PendingLayout | PendingShape)) listener_->layoutChanged();
    listener_->rowsSettled();
}

void GridTable::notifyReset() {
    if (updateDepth_ > 0)
        pending_ |= PendingReset;
    else if (listener_)
        listener_->tableReset();
}

void GridTable::notifyShape() {
    if (updateDepth_ > 0)
        pending_ |= PendingShape;
    else if (listener_)
        listener_->tableReset();
}

void GridTable::notifyCells(int row1, int col1, int row2, int col2) {
    if (updateDepth_ > 0)
        pendingTexts_.add(row1, col1, row2, col2);
    else if (listener_)
        listener_->cellsChanged(row1, col1, row2, col2);
}

void GridTable::notifyLooks(int row1, int col1, int row2, int col2, Look what) {
    if (updateDepth_ > 0)
        (what == Look::Colors ? pendingColors_ : pendingChecks_).add(row1, col1, row2, col2);
    else if (listener_)
        listener_->looksChanged(row1, col1, row2, col2, what);
}

// `newRowOf` is empty when only hidden rows changed.
void GridTable::notifyRows(std::vector<int> newRowOf) {
    if (updateDepth_ == 0) {
        if (listener_) listener_->rowsRearranged(newRowOf);
        return;
    }
    pending_ |= PendingRows;
    if (newRowOf.empty()) return;
    // Blocks noted so far name data rows that are elsewhere now.
    for (Block* block : {&pendingTexts_, &pendingColors_, &pendingChecks_})
        if (block->row2 >= 1) block->row2 = rows_ - 1;
    if (pendingMoves_.empty())
        pendingMoves_ = std::move(newRowOf);
    else
        for (int& row : pendingMoves_) row = newRowOf[row];  // moved again
}

void GridTable::notifyLayout() {
    if (updateDepth_ > 0)
        pending_ |= PendingLayout;
    else if (listener_)
        listener_->layoutChanged();
}

// ---- size -------------------------------------------------------------------

void GridTable::putRowsInOrder() {
    if (inOrder_) return;
    touch();
    lookedSlotsMoved();
    permuteRows(texts_, order_, 0, cols_);
    permuteRows(looks_, order_, 0, cols_);
    permuteRows(hidden_, order_, 0, 1);
    permuteRows(heights_, order_, 0, 1);
    std::iota(order_.begin(), order_.end(), 0);
    inOrder_ = true;
}

void GridTable::keepSlotsBelow(int rows) {
    if (inOrder_) return;
    touch();
    lookedSlotsMoved();
    // The dropped rows' slots below `rows` take the kept rows stored above it.
    std::vector<int> free;
    for (int r = rows; r < rows_; ++r)
        if (order_[r] < rows) free.push_back(order_[r]);
    std::size_t next = 0;
    for (int r = 0; r < rows; ++r) {
        const int from = order_[r];
        if (from < rows) continue;
        const int to = free[next++];
        for (int c = 0; c < cols_; ++c) {
            texts_[std::size_t(to) * cols_ + c].swap(texts_[std::size_t(from) * cols_ + c]);
            std::swap(looks_[std::size_t(to) * cols_ + c], looks_[std::size_t(from) * cols_ + c]);
        }
        std::swap(hidden_[to], hidden_[from]);
        std::swap(heights_[to], heights_[from]);
        order_[r] = to;
    }
}

void GridTable::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == rows_) return;
    touch();
    std::size_t cells = std::size_t(rows) * cols_;
    if (rows < rows_) {
        keepSlotsBelow(rows);
        // The dropped rows' strings stay behind the last row as empty spares:
        // a table that is rebuilt (every reload) reuses their storage instead
        // of freeing and allocating again a hundred thousand small buffers.
        for (std::size_t i = cells; i < std::size_t(rows_) * cols_; ++i) texts_[i].clear();
    } else if (texts_.size() < cells) {
        texts_.resize(cells);
    }
    looks_.resize(cells);
    hidden_.resize(rows, 0);
    heights_.resize(rows, defaultHeight_);
    order_.resize(rows);
    for (int r = rows_; r < rows; ++r) order_[r] = r;  // a new row in a new slot
    rows_ = rows;
    if (rows_ <= 1) {
        inOrder_ = true;
        // Rows added from here on come with the default looks.
        allLooked_ = false;
        lookedSlots_.clear();
    }
    currentRow = std::min(currentRow, std::max(rows_ - 1, 0));
    notifyShape();
}

void GridTable::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_) return;
    touch();
    lookedSlotsMoved();
    std::vector<std::string> texts(std::size_t(rows_) * cols);
    std::vector<CellLook> looks(std::size_t(rows_) * cols);
    int keep = std::min(cols, cols_);
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < keep; ++c) {
            texts[std::size_t(r) * cols + c] = std::move(texts_[index(r, c)]);
            looks[std::size_t(r) * cols + c] = looks_[index(r, c)];
        }
    }
    // The new cells are stored in row order.
    std::vector<uint8_t> hidden(rows_);
    std::vector<int> heights(rows_);
    for (int r = 0; r < rows_; ++r) hidden[r] = hidden_[order_[r]], heights[r] = heights_[order_[r]];
    texts_ = std::move(texts);
    looks_ = std::move(looks);
    hidden_ = std::move(hidden);
    heights_ = std::move(heights);
    std::iota(order_.begin(), order_.end(), 0);
    inOrder_ = true;
    columns_.resize(cols);
    cols_ = cols;
    currentCol = std::min(currentCol, std::max(cols_ - 1, 0));
    notifyReset();
}

void GridTable::clear() {
    touch();
    for (std::size_t i = 0, n = std::size_t(rows_) * cols_; i < n; ++i) texts_[i].clear();
    if (rows_ > 0 && cols_ > 0) notifyCells(0, 0, rows_ - 1, cols_ - 1);
}

// ---- cells ------------------------------------------------------------------

const std::string& GridTable::text(int row, int col) const {
    return valid(row, col) ? texts_[index(row, col)] : kEmpty;
}

void GridTable::setText(int row, int col, std::string text) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch(row);
    texts_[index(row, col)] = std::move(text);
    notifyCells(row, col, row, col);
}

void GridTable::assignText(int row, int col, std::string_view text) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch(row);
    texts_[index(row, col)].assign(text.data(), text.size());
    notifyCells(row, col, row, col);
}

void GridTable::swapText(int row, int col, std::string& text) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch(row);
    texts_[index(row, col)].swap(text);
    notifyCells(row, col, row, col);
}

std::string& GridTable::textForWrite(int row, int col) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch(row);
    notifyCells(row, col, row, col);
    return texts_[index(row, col)];
}

std::string& GridTable::textForRebuild(int row, int col) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch(row);
    return texts_[index(row, col)];
}

void GridTable::prefetchRow(int row) const {
    if (row < 0 || row >= rows_ || cols_ == 0) return;
    const char* first = reinterpret_cast<const char*>(&texts_[index(row, 0)]);
    for (std::size_t at = 0; at < std::size_t(cols_) * sizeof(std::string); at += 64)
        __builtin_prefetch(first + at);
}

long GridTable::number(int row, int col) const { return LeadingNumber(text(row, col)); }

Rgb GridTable::foreColor(int row, int col) const {
    return valid(row, col) ? looks_[index(row, col)].fore : CellLook{}.fore;
}
Rgb GridTable::backColor(int row, int col) const {
    return valid(row, col) ? looks_[index(row, col)].back : CellLook{}.back;
}
bool GridTable::bold(int row, int col) const {
    return valid(row, col) && looks_[index(row, col)].bold;
}
CheckState GridTable::checkState(int row, int col) const {
    return valid(row, col) ? looks_[index(row, col)].check : NoCheck;
}

void GridTable::setForeColor(int row, int col, Rgb color) { fillForeColor(row, col, row, col, color); }
void GridTable::setBackColor(int row, int col, Rgb color) { fillBackColor(row, col, row, col, color); }
void GridTable::setBold(int row, int col, bool bold) { fillBold(row, col, row, col, bold); }

void GridTable::setCheckState(int row, int col, CheckState state) {
    if (!valid(row, col)) throw RuntimeError(ErrSubscript);
    touch();
    looks_[index(row, col)].check = state;
    notifyLooks(row, col, row, col, Look::Checks);
}

// One pass over the block, clipped to the table, and one notification.
template <class Set>
static void fillBlock(int rows, int cols, int row1, int col1, int row2, int col2,
                      const std::vector<int>& order, Set&& set, int (&clipped)[4]) {
    if (row1 > row2) std::swap(row1, row2);
    if (col1 > col2) std::swap(col1, col2);
    row1 = std::max(row1, 0);
    col1 = std::max(col1, 0);
    row2 = std::min(row2, rows - 1);
    col2 = std::min(col2, cols - 1);
    clipped[0] = row1, clipped[1] = col1, clipped[2] = row2, clipped[3] = col2;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c) set(std::size_t(order[r]) * cols + c);
}

void GridTable::fillForeColor(int row1, int col1, int row2, int col2, Rgb color) {
    int b[4];
    fillBlock(rows_, cols_, row1, col1, row2, col2, order_, [&](std::size_t i) { looks_[i].fore = color; }, b);
    if (b[0] <= b[2] && b[1] <= b[3]) noteLooked(b[0], b[2]);
    if (b[0] <= b[2] && b[1] <= b[3]) notifyLooks(b[0], b[1], b[2], b[3], Look::Colors);
}

void GridTable::fillBackColor(int row1, int col1, int row2, int col2, Rgb color) {
    int b[4];
    fillBlock(rows_, cols_, row1, col1, row2, col2, order_, [&](std::size_t i) { looks_[i].back = color; }, b);
    if (b[0] <= b[2] && b[1] <= b[3]) noteLooked(b[0], b[2]);
    if (b[0] <= b[2] && b[1] <= b[3]) notifyLooks(b[0], b[1], b[2], b[3], Look::Colors);
}

void GridTable::fillBold(int row1, int col1, int row2, int col2, bool bold) {
    int b[4];
    fillBlock(rows_, cols_, row1, col1, row2, col2, order_, [&](std::size_t i) { looks_[i].bold = bold; }, b);
    if (b[0] <= b[2] && b[1] <= b[3]) noteLooked(b[0], b[2]);
    if (b[0] <= b[2] && b[1] <= b[3]) notifyLooks(b[0], b[1], b[2], b[3], Look::Colors);
}

void GridTable::noteLooked(int row1, int row2) {
    constexpr std::size_t kMostNoted = 256;
    if (allLooked_) return;
    if (row2 - row1 >= int(kMostNoted)) {
        allLooked_ = true;
        lookedSlots_.clear();
        return;
    }
    for (int r = row1; r <= row2; ++r) {
        const int slot = order_[r];
        if (std::find(lookedSlots_.begin(), lookedSlots_.end(), slot) != lookedSlots_.end()) continue;
        if (lookedSlots_.size() >= kMostNoted) {
            allLooked_ = true;
            lookedSlots_.clear();
            return;
        }
        lookedSlots_.push_back(slot);
    }
}

void GridTable::resetDataLooks() {
    const int header = rows_ > 0 ? order_[0] : -1;
    auto reset = [&](int slot) {
        if (slot == header || slot >= rows_) return;
        for (int c = 0; c < cols_; ++c) {
            CellLook& look = looks_[std::size_t(slot) * cols_ + c];
            look = CellLook{CellLook{}.fore, CellLook{}.back, look.check, false};
        }
    };
    if (allLooked_)
        for (int slot = 0; slot < rows_; ++slot) reset(slot);
    else
        for (int slot : lookedSlots_) reset(slot);
    allLooked_ = false;
    lookedSlots_.clear();
    if (rows_ > 1) notifyLooks(1, 0, rows_ - 1, std::max(cols_ - 1, 0), Look::Colors);
}

// ---- rows ---------------------------------------------------------------------

bool GridTable::rowHidden(int row) const {
    return row >= 0 && row < rows_ && hidden_[order_[row]] != 0;
}

void GridTable::setRowHidden(int row, bool hidden) {
    if (row < 0 || row >= rows_) throw RuntimeError(ErrSubscript);
    hidden_[order_[row]] = hidden ? 1 : 0;
    notifyRows({});
}

void GridTable::showAllRows() {
    std::fill(hidden_.begin(), hidden_.end(), 0);
    notifyRows({});
}

// `rowsToHide` is indexed by row number; a true flag hides that data row.
// Rows whose flag is false (or that the vector does not reach) keep their
// state, so a narrowing pass only ever hides more.
void GridTable::hideRows(const std::vector<int>& rowsToHide) {
    int last = std::min<int>(rows_, int(rowsToHide.size()));
    for (int r = 1; r < last; ++r)
        if (rowsToHide[r]) hidden_[order_[r]] = 1;
    notifyRows({});
}

int GridTable::visibleDataRows() const {
    int count = 0;
    for (int r = 1; r < rows_; ++r) count += hidden_[order_[r]] == 0;
    return count;
}

int GridTable::rowHeight(int row) const {
    return row >= 0 && row < rows_ ? heights_[order_[row]] : defaultHeight_;
}

void GridTable::setRowHeight(int row, int twips) {
    if (row == -1) {
        // Rows added later take the same height.
        defaultHeight_ = twips;
        std::fill(heights_.begin(), heights_.end(), twips);
    } else {
        if (row < 0 || row >= rows_) throw RuntimeError(ErrSubscript);
        heights_[order_[row]] = twips;
    }
    notifyLayout();
}

void GridTable::insertRow(int row) {
    if (row < 0 || row > rows_) throw RuntimeError(ErrSubscript);
    touch();
    lookedSlotsMoved();
    putRowsInOrder();
    std::size_t at = std::size_t(row) * cols_;
    texts_.insert(texts_.begin() + at, std::size_t(cols_), std::string());
    looks_.insert(looks_.begin() + at, std::size_t(cols_), CellLook{});
    hidden_.insert(hidden_.begin() + row, 0);
    heights_.insert(heights_.begin() + row, defaultHeight_);
    order_.push_back(rows_);
    ++rows_;
    notifyReset();
}

void GridTable::removeRow(int row) {
    if (row < 0 || row >= rows_) throw RuntimeError(ErrSubscript);
    touch();
    lookedSlotsMoved();
    putRowsInOrder();
    std::size_t at = std::size_t(row) * cols_;
    texts_.erase(texts_.begin() + at, texts_.begin() + at + cols_);
    looks_.erase(looks_.begin() + at, looks_.begin() + at + cols_);
    hidden_.erase(hidden_.begin() + row);
    heights_.erase(heights_.begin() + row);
    order_.pop_back();
    --rows_;
    currentRow = std::min(currentRow, std::max(rows_ - 1, 0));
    notifyReset();
}

void GridTable::restoreRowSlots(const std::vector<int>& slots) {
    if (slots.size() != order_.size()) throw RuntimeError(ErrSubscript);
    if (slots == order_) return;
    order_ = slots;
    inOrder_ = false;
    notifyShape();
}

void GridTable::replaceRows(int row, int count, int newCount) {
    if (row < 1 || count < 0 || newCount < 0 || row + count > rows_) throw RuntimeError(ErrSubscript);
    if (count == newCount) return;
    touch();
    inOrder_ = false;
    if (newCount < count) {
        const auto first = order_.begin() + (row + newCount), last = order_.begin() + (row + count);
        lookedSlotsMoved();
        std::vector<int> freed(first, last);
        order_.erase(first, last);
        const int rows = rows_ - (count - newCount);
        // Slots 0 .. rows - 1 stay the ones in use: the rows stored above
        // them move into the freed slots below.
        std::size_t next = 0;
        std::sort(freed.begin(), freed.end());
        for (int r = 0; r < rows; ++r) {
            const int from = order_[r];
            if (from < rows) continue;
            while (freed[next] >= rows) ++next;
            const int to = freed[next++];
            for (int c = 0; c < cols_; ++c) {
                texts_[std::size_t(to) * cols_ + c].swap(texts_[std::size_t(from) * cols_ + c]);
                looks_[std::size_t(to) * cols_ + c] = looks_[std::size_t(from) * cols_ + c];
            }
            hidden_[to] = hidden_[from];
            heights_[to] = heights_[from];
            order_[r] = to;
        }
        for (std::size_t i = std::size_t(rows) * cols_; i < std::size_t(rows_) * cols_; ++i) texts_[i].clear();
        looks_.resize(std::size_t(rows) * cols_);
        hidden_.resize(rows);
        heights_.resize(rows);
        rows_ = rows;
        currentRow = std::min(currentRow, std::max(rows_ - 1, 0));
    } else {
        const int added = newCount - count;
        const std::size_t cells = std::size_t(rows_ + added) * cols_;
        if (texts_.size() < cells) texts_.resize(cells);
        for (std::size_t i = std::size_t(rows_) * cols_; i < cells; ++i) texts_[i].clear();
        looks_.resize(cells);
        hidden_.resize(std::size_t(rows_ + added), 0);
        heights_.resize(std::size_t(rows_ + added), defaultHeight_);
        std::vector<int> slots(added);
        std::iota(slots.begin(), slots.end(), rows_);
        order_.insert(order_.begin() + (row + count), slots.begin(), slots.end());
        rows_ += added;
    }
    notifyShape();
}

// ---- columns ------------------------------------------------------------------

int GridTable::colWidth(int col) const {
    return col >= 0 && col < cols_ ? columns_[col].width : ColumnLook{}.width;
}

void GridTable::setColWidth(int col, int twips) {
    if (col == -1) {
        for (auto& column : columns_) column.width = twips;
    } else {
        if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
        columns_[col].width = twips;
    }
    notifyLayout();
}

bool GridTable::colHidden(int col) const { return col >= 0 && col < cols_ && columns_[col].hidden; }

void GridTable::setColHidden(int col, bool hidden) {
    if (col == -1) {
        for (auto& column : columns_) column.hidden = hidden;
    } else {
        if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
        columns_[col].hidden = hidden;
    }
    notifyLayout();
}

Align GridTable::colAlign(int col) const {
    return col >= 0 && col < cols_ ? columns_[col].align : Align::Left;
}

void GridTable::setColAlign(int col, Align align) {
    if (col == -1) {
        for (auto& column : columns_) column.align = align;
    } else {
        if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
        columns_[col].align = align;
    }
    notifyLayout();
}

Align GridTable::headerAlign(int col) const {
    return col >= 0 && col < cols_ ? columns_[col].headerAlign : Align::Left;
}

void GridTable::setHeaderAlign(int col, Align align) {
    if (col == -1) {
        for (auto& column : columns_) column.headerAlign = align;
    } else {
        if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
        columns_[col].headerAlign = align;
    }
    notifyLayout();
}

void GridTable::setHeaderColors(Rgb back, Rgb fore) {
    headerBack_ = back;
    headerFore_ = fore;
    notifyLooks(0, 0, 0, std::max(cols_ - 1, 0), Look::Colors);
}

void GridTable::setCheckCentered(bool centered) {
    checkCentered_ = centered;
    notifyLayout();
}

bool GridTable::mergeCol(int col) const { return col >= 0 && col < cols_ && columns_[col].merge; }

void GridTable::setMergeCol(int col, bool merge) {
    if (col == -1) {
        for (auto& column : columns_) column.merge = merge;
    } else {
        if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
        // A sort merges its columns again; when they already do, the view
        // has nothing to lay out anew.
        if (columns_[col].merge == merge) return;
        columns_[col].merge = merge;
    }
    notifyLayout();
}

void GridTable::setEditable(bool editable) {
    editable_ = editable;
    notifyLayout();
}

// ---- sorting ------------------------------------------------------------------

void GridTable::sortByColumn(int col, bool ascending) {
    if (col < 0 || col >= cols_) throw RuntimeError(ErrSubscript);
    int count = rows_ - 1;
    if (count < 2) return;

    // Each row's key: numbers by value, and texts by their first 16 bytes
    // as two big-endian integers, so that most comparisons never reach the
    // scattered cells. Texts that share those bytes fall back to the whole
    // text. The keys are kept by slot until a text changes.
    constexpr std::size_t kPrefix = 16;
    enum : uint8_t { Number = 0, ShortText = 1, LongText = 2 };
    const std::size_t slots = texts_.size() / std::size_t(cols_);
    if (sortKeysCol_ != col || sortKeysVersion_ != keysVersion_ || sortKeys_.size() != slots) {
        auto bigEndian = [](const char* bytes) {
            uint64_t v = 0;
            for (int i = 0; i < 8; ++i) v = v << 8 | uint8_t(bytes[i]);
            return v;
        };
        sortKeys_.resize(slots);
        for (std::size_t slot = 0; slot < slots; ++slot) {
            SortKey& key = sortKeys_[slot];
            const std::string& text = texts_[slot * std::size_t(cols_) + std::size_t(col)];
            double value = 0;
            if (wholeNumber(text, value)) {
                // The double's bits, ordered as the values are (-0 as 0).
                uint64_t bits = 0;
                if (value == 0) value = 0;
                std::memcpy(&bits, &value, sizeof bits);
                key.hi = bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
                key.lo = 0;
                key.kind = Number;
                key.length = 0;
            } else {
                char prefix[kPrefix] = {};
                std::memcpy(prefix, text.data(), std::min(text.size(), kPrefix));
                key.hi = bigEndian(prefix);
                key.lo = bigEndian(prefix + 8);
                key.kind = text.size() <= kPrefix ? ShortText : LongText;
                key.length = uint8_t(std::min(text.size(), kPrefix));
            }
        }
        sortKeysCol_ = col;
        sortKeysVersion_ = keysVersion_;
    }
    struct Key {
        uint64_t hi, lo;
        int32_t row;
        uint8_t kind;
        uint8_t length;
    };
    std::vector<Key> keys(static_cast<std::size_t>(count));
    for (int r = 1; r < rows_; ++r) {
        const SortKey& k = sortKeys_[std::size_t(order_[r])];
        keys[std::size_t(r - 1)] = Key{k.hi, k.lo, r, k.kind, k.length};
    }

    // Numbers by value before texts, texts by their characters (UTF-8 byte
    // order is code point order); -1, 0, 1.
    auto compare = [&](const Key& ka, const Key& kb) {
        if ((ka.kind == Number) != (kb.kind == Number)) return ka.kind == Number ? -1 : 1;
        if (ka.hi != kb.hi) return ka.hi < kb.hi ? -1 : 1;
        if (ka.lo != kb.lo) return ka.lo < kb.lo ? -1 : 1;
        if (ka.kind == Number) return 0;
        // Of two short texts with equal bytes (a NUL pads alike) the shorter
        // is the start of the other. Equal first bytes decide nothing for a
        // longer text.
        if (ka.kind == ShortText && kb.kind == ShortText)
            return ka.length == kb.length ? 0 : (ka.length < kb.length ? -1 : 1);
        const std::string& ta = texts_[index(ka.row, col)];
        const std::string& tb = texts_[index(kb.row, col)];
        const int c = ta.compare(tb);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    };
    auto before = [&](const Key& a, const Key& b) {
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    };

    // First by the kind and the first eight bytes, with a stable radix sort
    // (a byte a pass, passes that every key shares skipped, the kind last);
    // a descending sort is an ascending one of the complements. Then each
    // run of keys that share them by the rest of the rule, stably.
    struct Radix {
        uint64_t hi;
        uint32_t at;   // in keys
        uint32_t text; // 0 number, 1 text (the other way round descending)
    };
    std::vector<Radix> from(keys.size()), to(keys.size());
    std::array<std::array<uint32_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const uint64_t hi = ascending ? keys[i].hi : ~keys[i].hi;
        from[i] = Radix{hi, uint32_t(i), uint32_t((keys[i].kind != Number) != !ascending)};
        for (int byte = 0; byte < 8; ++byte) ++counts[std::size_t(byte)][(hi >> (8 * byte)) & 0xFF];
    }
    for (int byte = 0; byte < 8; ++byte) {
        std::array<uint32_t, 256>& count = counts[std::size_t(byte)];
        if (count[(from[0].hi >> (8 * byte)) & 0xFF] == keys.size()) continue;  // one bucket
        uint32_t start = 0;
        for (uint32_t& c : count) start += std::exchange(c, start);
        for (const Radix& r : from) to[count[(r.hi >> (8 * byte)) & 0xFF]++] = r;
        from.swap(to);
    }
    {
        uint32_t next[2] = {0, 0};
        for (const Radix& r : from) next[1] += r.text == 0;
        for (const Radix& r : from) to[next[r.text]++] = r;
        from.swap(to);
    }
    std::vector<Key> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) sorted[i] = keys[from[i].at];
    auto sameTexts = [&](std::vector<Key>::const_iterator first, std::vector<Key>::const_iterator last) {
        for (auto k = first + 1; k != last; ++k)
            if (k->lo != first->lo || k->kind != first->kind || k->length != first->length) return false;
        if (first->kind == ShortText) return true;
        const std::string& text = texts_[index(first->row, col)];
        for (auto k = first + 1; k != last; ++k)
            if (texts_[index(k->row, col)] != text) return false;
        return true;
    };
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t end = i + 1;
        while (end < sorted.size() && from[end].hi == from[i].hi && from[end].text == from[i].text) ++end;
        // Numbers that share their bits are equal; so are texts that are
        // all the same (one item name, say), already in their first order.
        if (end - i > 1 && sorted[i].kind != Number &&
            !sameTexts(sorted.begin() + std::ptrdiff_t(i), sorted.begin() + std::ptrdiff_t(end)))
            std::stable_sort(sorted.begin() + std::ptrdiff_t(i), sorted.begin() + std::ptrdiff_t(end), before);
        i = end;
    }
    keys.swap(sorted);
    // Only the row map changes: row i + 1 is stored where row keys[i].row was.
    std::vector<int> order(rows_);
    std::vector<int> newRowOf(rows_);
    order[0] = order_[0];
    newRowOf[0] = 0;
    for (int i = 0; i < count; ++i) {
        order[i + 1] = order_[keys[i].row];
        newRowOf[keys[i].row] = i + 1;
    }
    order_.swap(order);
    inOrder_ = false;
    notifyRows(std::move(newRowOf));
}

}  // namespace mk
