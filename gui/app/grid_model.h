#pragma once
// The Qt side of a core mk::GridTable: a table model whose row r is the
// table's data row r + 1 (the table's row 0 is shown as the horizontal
// header), and a proxy that leaves out the table's hidden rows.
#include <QAbstractTableModel>
#include <QColor>
#include <QSortFilterProxyModel>

#include "core/store/grid_table.h"

namespace mk::gui {

QColor toQColor(mk::Rgb rgb);
Qt::Alignment toQtAlignment(mk::Align align);

class GridModel : public QAbstractTableModel, private mk::GridTable::Listener {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    // Attaches to the table (not owned); nullptr detaches.
    void setTable(mk::GridTable* table);
    mk::GridTable* table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Table row of a model row and back (the header is table row 0).
    static int tableRow(int modelRow) { return modelRow + 1; }
    static int modelRow(int tableRow) { return tableRow - 1; }

signals:
    // The table's hidden flags changed (once per operation).
    void hiddenRowsChanged();
    // Widths, hidden columns, row heights, alignment or merging changed.
    void tableLayoutChanged();
    // An in-place edit or a check toggle was written into the table.
    void cellCommitted(int row, int col);

private:
    void tableReset() override;
    void cellsChanged(int row1, int col1, int row2, int col2) override;
    void looksChanged(int row1, int col1, int row2, int col2, mk::GridTable::Look what) override;
    void notifyBlock(int row1, int col1, int row2, int col2, const QList<int>& roles);
    void rowsHiddenChanged() override;
    void layoutChanged() override;

    mk::GridTable* table_ = nullptr;
};

// Shows only the rows that the table does not hide. It is told to filter
// again once per hiding operation, never per row.
class VisibleRowsProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit VisibleRowsProxy(QObject* parent = nullptr);
    void setGridModel(GridModel* model);
    void refilter();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    GridModel* grid_ = nullptr;
};

}  // namespace mk::gui
