#pragma once
// The model behind a grid: the browse table, the edit table and the output
// table. Row 0 is the header row, column 0 a fixed column. Sizes are twips.
//
// Texts, colours, check states and hidden rows are data of the table and are
// set in bulk; a listener (the GUI's table model) is told once per operation.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/colors.h"

namespace mk {

enum class Align { Left, Center, Right };

// Check-box state of a cell.
enum CheckState : int8_t { NoCheck = 0, Checked = 1, Unchecked = 2 };

class GridTable {
public:
    // What a look notification is about.
    enum class Look : uint8_t {
        Colors,  // fore and back colours, bold
        Checks,  // check-box states
    };

    class Listener {
    public:
        virtual ~Listener() = default;
        // Rows or columns added or removed, or everything changed.
        virtual void tableReset() = 0;
        // Texts changed in the block (inclusive).
        virtual void cellsChanged(int row1, int col1, int row2, int col2) = 0;
        // Only looks changed in the block: colours and bold, or check
        // states; no text did. A view keeps an open editor's text through
        // these (the current-cell timer repaints twice a second). A listener
        // that does not tell the two apart hears them as cellsChanged().
        virtual void looksChanged(int row1, int col1, int row2, int col2, Look what) {
            (void)what;
            cellsChanged(row1, col1, row2, col2);
        }
        // Rows were hidden, shown or put in another order (a search, a
        // sort); none was added or removed. Row r is now row newRowOf[r];
        // an empty vector means that every row kept its place.
        virtual void rowsRearranged(const std::vector<int>& newRowOf) = 0;
        // Column widths, hidden columns, row heights, alignment or merging changed.
        virtual void layoutChanged() = 0;
        // A batch that rearranged the rows (a search, a sort, a reload) has
        // told everything: a view takes the table's current cell again, as
        // after a reset.
        virtual void rowsSettled() {}
    };

    GridTable(int rows = 1, int cols = 1);

    void setListener(Listener* listener) { listener_ = listener; }

    // Collects notifications until the outermost endUpdate(). A batch that
    // hid, showed or sorted rows (a search, a sort), or that rebuilt the
    // table to as many rows as before (a reload), sends each kind of change
    // once: rowsRearranged(), one block per kind of cell change, the layout.
    // Any other batch ends in one tableReset(). Pair them through
    // UpdateBatch, so that a throw in between cannot leave the table deaf
    // for good.
    void beginUpdate();
    void endUpdate();

    class UpdateBatch {
    public:
        explicit UpdateBatch(GridTable& table) : table_(table) { table_.beginUpdate(); }
        ~UpdateBatch() { table_.endUpdate(); }
        UpdateBatch(const UpdateBatch&) = delete;
        UpdateBatch& operator=(const UpdateBatch&) = delete;

    private:
        GridTable& table_;
    };

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // Keeps existing cells; new rows/columns are empty with default looks.
    void setRows(int rows);
    void setCols(int cols);
    // Empties every cell (texts only).
    void clear();

    const std::string& text(int row, int col) const;
    void setText(int row, int col, std::string text);
    // Copies `text` into the cell's own storage, which a rebuilt table reuses
    // instead of allocating anew.
    void assignText(int row, int col, std::string_view text);
    // Exchanges the cell's text with `text`, storage and all, without a copy;
    // `text` receives the cell's old text.
    void swapText(int row, int col, std::string& text);
    // The cell's own text, for a loader that decodes straight into its
    // storage. Counted as changed; what is written through the reference
    // must be written before the listener hears of it (inside a batch).
    std::string& textForWrite(int row, int col);
    // Asks the memory for a row's cells ahead of use: after a sort the rows
    // lie scattered over the storage, and a pass over them in order would
    // otherwise wait for every row.
    void prefetchRow(int row) const;
    // The leading number of a cell's text (LeadingNumber), 0 when not a number.
    long number(int row, int col) const;

    Rgb foreColor(int row, int col) const;
    Rgb backColor(int row, int col) const;
    bool bold(int row, int col) const;
    CheckState checkState(int row, int col) const;
    void setForeColor(int row, int col, Rgb color);
    void setBackColor(int row, int col, Rgb color);
    void setBold(int row, int col, bool bold);
    void setCheckState(int row, int col, CheckState state);
    // Block operations (inclusive bounds, clipped to the table).
    void fillForeColor(int row1, int col1, int row2, int col2, Rgb color);
    void fillBackColor(int row1, int col1, int row2, int col2, Rgb color);
    void fillBold(int row1, int col1, int row2, int col2, bool bold);

    bool rowHidden(int row) const;
    void setRowHidden(int row, bool hidden);
    void showAllRows();
    // Hides every data row whose flag is true; one notification.
    void hideRows(const std::vector<int>& rowsToHide);
    int visibleDataRows() const;

    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);  // row -1: every row
    int colWidth(int col) const;
    void setColWidth(int col, int twips);   // col -1: every column
    bool colHidden(int col) const;
    void setColHidden(int col, bool hidden);
    Align colAlign(int col) const;
    void setColAlign(int col, Align align); // col -1: every column
    Align headerAlign(int col) const;
    void setHeaderAlign(int col, Align align);
    Rgb headerBackColor() const { return headerBack_; }
    Rgb headerForeColor() const { return headerFore_; }
    void setHeaderColors(Rgb back, Rgb fore);
    bool checkCentered() const { return checkCentered_; }
    void setCheckCentered(bool centered);
    bool mergeCol(int col) const;
    void setMergeCol(int col, bool merge);

    // Inserts an empty row before `row` (rows below move down); removes a row.
    void insertRow(int row);
    void removeRow(int row);

    // Sorts data rows 1..rows-1 by a column: numbers by value before texts,
    // texts by their characters. Stable. The header row stays in place. Only
    // the row map changes: the cells stay where they are stored.
    void sortByColumn(int col, bool ascending);

    // ---- for a loader that brings a loaded table up to date ----------------
    // Counts every change of a text or a check state and every move of rows
    // in storage; a sort, a search or a change of looks does not count.
    uint64_t contentVersion() const { return contentVersion_; }
    // Where each row is stored. A map taken earlier, while the version has
    // not moved, can be put back: the rows return to that order (undoing a
    // sort).
    const std::vector<int>& rowSlots() const { return order_; }
    void restoreRowSlots(const std::vector<int>& slots);
    // Rows row .. row + count - 1 make way for newCount rows in their place;
    // the first of them keep their cells, the added ones are empty. The rows
    // around them keep their storage: only the row map moves.
    void replaceRows(int row, int count, int newCount);
    // Every data row in the default colours, not bold; check states stay.
    // Costs what was marked since the last reset, not the table's size.
    void resetDataLooks();
    // A cell's own text for a loader that rebuilds the table: the batch it
    // runs in must count as rebuilt (markRebuilt, or rows dropped and made
    // again), whose end tells the listener of every cell, so that no cell
    // is noted one by one.
    std::string& textForRebuild(int row, int col);
    // The batch counts as a rebuilt table, as a reload that drops every row
    // and makes it again: the listener hears every cell changed.
    void markRebuilt() { notifyShape(); }

    // Editing allowed by keyboard and mouse.
    bool editable() const { return editable_; }
    void setEditable(bool editable);

    int currentRow = 0;
    int currentCol = 0;

private:
    struct CellLook {
        Rgb fore = 0x000000;
        Rgb back = 0xFFFFFF;
        CheckState check = NoCheck;
        bool bold = false;
    };
    struct ColumnLook {
        int width = 960;
        bool hidden = false;
        Align align = Align::Left;
        Align headerAlign = Align::Left;
        bool merge = false;
    };

    // A block of changed cells, grown by each change of a batch.
    struct Block {
        int row1 = 0, col1 = 0, row2 = -1, col2 = -1;
        bool empty() const { return row2 < 0; }
        void add(int r1, int c1, int r2, int c2) {
            if (empty()) {
                row1 = r1, col1 = c1, row2 = r2, col2 = c2;
                return;
            }
            row1 = r1 < row1 ? r1 : row1, col1 = c1 < col1 ? c1 : col1;
            row2 = r2 > row2 ? r2 : row2, col2 = c2 > col2 ? c2 : col2;
        }
    };
    enum Pending : uint8_t {
        PendingReset = 1,   // rows inserted or removed, columns changed
        PendingShape = 2,   // the row count changed (a reset unless it comes back)
        PendingRows = 4,    // hidden rows or the order changed
        PendingLayout = 8,
    };

    // Rows are stored in slots; order_[row] is the slot of a row, so that a
    // sort moves numbers, not cells. Slots 0..rows_-1 are always in use.
    std::size_t index(int row, int col) const { return std::size_t(order_[row]) * cols_ + col; }
    bool valid(int row, int col) const {
        return row >= 0 && row < rows_ && col >= 0 && col < cols_;
    }
    // Stores the rows in their own slots again (for the operations that
    // shift rows in storage).
    void putRowsInOrder();
    // Before the rows from `rows` on are dropped: the kept rows move into
    // the slots below `rows`.
    void keepSlotsBelow(int rows);
    void notifyReset();
    void notifyShape();
    void notifyCells(int row1, int col1, int row2, int col2);
    void notifyLooks(int row1, int col1, int row2, int col2, Look what);
    void notifyRows(std::vector<int> newRowOf);
    void notifyLayout();

    int rows_ = 0;
    int cols_ = 0;
    std::vector<int> order_;
    bool inOrder_ = true;  // order_[r] == r for every row
    // By slot:
    std::vector<std::string> texts_;
    std::vector<CellLook> looks_;
    std::vector<uint8_t> hidden_;
    std::vector<int> heights_;
    std::vector<ColumnLook> columns_;
    Rgb headerBack_ = 0xC0C0C0;
    Rgb headerFore_ = 0x000000;
    bool checkCentered_ = false;
    bool editable_ = false;
    int defaultHeight_ = 300;
    Listener* listener_ = nullptr;
    uint64_t contentVersion_ = 0;
    // Counts the changes a sort key can see: every change of contentVersion_
    // but the header row's texts (a sort writes its arrow there).
    uint64_t keysVersion_ = 0;
    void touch(int row = -1) {
        ++contentVersion_;
        if (row != 0) ++keysVersion_;
    }
    // The sort keys of one column by slot, kept for the next sort while no
    // text changes: a sort again, after a search, or the other way round
    // reads them in one small array instead of from the scattered cells.
    struct SortKey {
        uint64_t hi, lo;
        uint8_t kind;
        uint8_t length;  // of a short text
    };
    std::vector<SortKey> sortKeys_;
    int sortKeysCol_ = -1;
    uint64_t sortKeysVersion_ = 0;
    // The slots whose colours or bold changed since resetDataLooks(), or
    // all of them.
    std::vector<int> lookedSlots_;
    bool allLooked_ = true;
    void noteLooked(int row1, int row2);
    // Rows moved between slots: the noted slots no longer say where.
    void lookedSlotsMoved() {
        if (!lookedSlots_.empty()) allLooked_ = true;
        lookedSlots_.clear();
    }
    int updateDepth_ = 0;
    uint8_t pending_ = 0;
    int batchRows_ = 0;  // the shape when the outermost batch began
    int batchCols_ = 0;
    Block pendingTexts_, pendingColors_, pendingChecks_;
    std::vector<int> pendingMoves_;  // row at the batch's start -> row now; empty: none moved
};

}  // namespace mk
