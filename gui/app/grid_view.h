#pragma once
// The grid control: a QTableView over a GridModel of a core mk::GridTable.
// Rows and columns in this API are rows/columns of the whole table (row 0 is
// the header, shown as the horizontal header; column 0 the fixed column),
// hidden or not; mapping to the view's rows (the shown rows) happens only in
// here and in the model.
#include <QTableView>

#include "core/store/grid_table.h"

namespace mk::gui {

class GridModel;

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);
    ~GridView() override;

    // The table shown; not owned. Re-attaching resets the view.
    void setTable(mk::GridTable* table);
    mk::GridTable* table() const { return table_; }
    GridModel* gridModel() const { return model_; }

    // Current cell in table coordinates (mirrors table()->currentRow/Col).
    int row() const;
    int col() const;
    void setCurrentCell(int row, int col);  // selects and scrolls to it
    // The cell under a point of the viewport, in table coordinates; -1 none.
    int rowAt(const QPoint& viewportPos) const;
    int colAt(const QPoint& viewportPos) const;
    int mouseRow() const { return mouseRow_; }  // under the mouse, as of the last event
    int mouseCol() const { return mouseCol_; }
    int topRow() const;            // first visible data row
    void setTopRow(int row);

    // Editing by keyboard and mouse (the table's editable flag).
    void setEditable(bool editable);
    bool isEditable() const;
    // Ends an open in-place edit as Enter would: its text goes into the
    // table (cellEdited follows) and the editor closes. Every command runs
    // this first, so that nothing typed is lost. False when none was open.
    bool commitOpenEditor();

    // Applies the table's column widths, hidden columns and row heights.
    void applyLayout();

    // Row mapping between the table and the view (the shown rows); -1 when
    // the table row is the header, out of range or hidden.
    int viewRowOf(int tableRow) const;
    int tableRowOf(int viewRow) const;

signals:
    // Mouse button pressed over a cell (row 0 = header, col may be 0).
    void cellMouseDown(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void cellDoubleClicked(int row, int col);
    // Pointer moved; x/y in twips relative to the grid; row/col under it or -1.
    void gridMouseMove(int xTwips, int yTwips, int row, int col);
    void currentCellChanged(int row, int col);
    // An in-place edit was committed (the table already holds the new text or
    // check state).
    void cellEdited(int row, int col);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void headerMouse(QMouseEvent* event, bool press);
    void applyHeaderLook();
    // After a reset or a rearrangement of the rows: the current cell is the
    // one the table names, as after a rebuild.
    void takeTablesCurrentCell();

    mk::GridTable* table_ = nullptr;
    GridModel* model_ = nullptr;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
};

}  // namespace mk::gui
