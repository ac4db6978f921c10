#pragma once
// The Qt side of a core mk::GridTable: a table model whose rows are the
// table's shown data rows, in the table's order (the table's row 0 is shown
// as the horizontal header). One row map, rebuilt once per operation, and a
// layout change rather than a reset when rows are hidden, shown or sorted.
#include <QAbstractTableModel>
#include <QColor>

#include <vector>

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

    // Table row of a model row and back; -1 for the header, a hidden row or
    // a row out of range.
    int tableRow(int modelRow) const;
    int modelRow(int tableRow) const;

signals:
    // A search, a sort or a reload has rearranged the rows, and the view
    // has heard of every change it made.
    void rearrangementDone();
    // Widths, hidden columns, row heights, alignment or merging changed.
    void tableLayoutChanged();
    // An in-place edit or a check toggle was written into the table.
    void cellCommitted(int row, int col);

private:
    void tableReset() override;
    void cellsChanged(int row1, int col1, int row2, int col2) override;
    void looksChanged(int row1, int col1, int row2, int col2, mk::GridTable::Look what) override;
    void notifyBlock(int row1, int col1, int row2, int col2, const QList<int>& roles);
    void rowsRearranged(const std::vector<int>& newRowOf) override;
    void layoutChanged() override;
    void rowsSettled() override { emit rearrangementDone(); }
    void rebuildRowMap();

    mk::GridTable* table_ = nullptr;
    std::vector<int> shown_;       // model row -> table row, ascending
    std::vector<int> modelRowOf_;  // table row -> model row, -1 when not shown
};

}  // namespace mk::gui
