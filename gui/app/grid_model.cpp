#include "gui/app/grid_model.h"

#include <QFont>

#include <algorithm>

namespace mk::gui {

QColor toQColor(mk::Rgb rgb) {
    return QColor(int((rgb >> 16) & 255), int((rgb >> 8) & 255), int(rgb & 255));
}

Qt::Alignment toQtAlignment(mk::Align align) {
    switch (align) {
    case mk::Align::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case mk::Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case mk::Align::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// ---- GridModel --------------------------------------------------------------

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

GridModel::~GridModel() {
    if (table_) table_->setListener(nullptr);
}

void GridModel::setTable(mk::GridTable* table) {
    beginResetModel();
    if (table_) table_->setListener(nullptr);
    table_ = table;
    if (table_) table_->setListener(this);
    rebuildRowMap();
    endResetModel();
    emit tableLayoutChanged();
}

void GridModel::rebuildRowMap() {
    shown_.clear();
    modelRowOf_.assign(table_ ? std::size_t(std::max(table_->rows(), 0)) : 0, -1);
    if (!table_) return;
    for (int r = 1; r < table_->rows(); ++r) {
        if (table_->rowHidden(r)) continue;
        modelRowOf_[r] = int(shown_.size());
        shown_.push_back(r);
    }
}

int GridModel::tableRow(int modelRow) const {
    return modelRow >= 0 && modelRow < int(shown_.size()) ? shown_[modelRow] : -1;
}

int GridModel::modelRow(int tableRow) const {
    return tableRow >= 0 && tableRow < int(modelRowOf_.size()) ? modelRowOf_[tableRow] : -1;
}

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return int(shown_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return table_->cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    const int row = tableRow(index.row());
    if (row < 0) return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(table_->text(row, col));
    case Qt::ForegroundRole:
        return toQColor(table_->foreColor(row, col));
    case Qt::BackgroundRole:
        return toQColor(table_->backColor(row, col));
    case Qt::FontRole:
        if (table_->bold(row, col)) {
            QFont font;  // only the weight is set, the rest comes from the view
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::CheckStateRole:
        switch (table_->checkState(row, col)) {
        case mk::Checked: return int(Qt::Checked);
        case mk::Unchecked: return int(Qt::Unchecked);
        case mk::NoCheck: break;
        }
        return {};
    case Qt::TextAlignmentRole:
        return int(toQtAlignment(table_->colAlign(col)));
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!table_) return {};
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole) return section + 1;
        return {};
    }
    if (section < 0 || section >= table_->cols()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(table_->text(0, section));
    case Qt::ForegroundRole:
        return toQColor(table_->headerForeColor());
    case Qt::BackgroundRole:
        return toQColor(table_->headerBackColor());
    case Qt::TextAlignmentRole:
        return int(toQtAlignment(table_->headerAlign(section)));
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!table_ || !index.isValid() || tableRow(index.row()) < 0) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Column 0 is the fixed column: it is never edited in place.
    if (table_->editable() && index.column() > 0) {
        if (table_->checkState(tableRow(index.row()), index.column()) != mk::NoCheck)
            f |= Qt::ItemIsUserCheckable;
        else
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!table_ || !index.isValid()) return false;
    const int row = tableRow(index.row());
    if (row < 0) return false;
    const int col = index.column();
    if (role == Qt::EditRole) {
        table_->setText(row, col, value.toString().toStdString());
    } else if (role == Qt::CheckStateRole) {
        const auto state = Qt::CheckState(value.toInt());
        table_->setCheckState(row, col, state == Qt::Checked ? mk::Checked : mk::Unchecked);
    } else {
        return false;
    }
    emit cellCommitted(row, col);
    return true;
}

void GridModel::tableReset() {
    // The table has already changed; a reset is all a view can rely on.
    beginResetModel();
    rebuildRowMap();
    endResetModel();
    emit tableLayoutChanged();
}

// The view's persistent indexes (current cell, selection, an open editor)
// follow their rows to where the table put them, or go when the row is
// hidden now.
void GridModel::rowsRearranged(const std::vector<int>& newRowOf) {
    emit layoutAboutToBeChanged();
    const QModelIndexList from = persistentIndexList();
    std::vector<int> oldTableRows(std::size_t(from.size()));
    for (int i = 0; i < from.size(); ++i) oldTableRows[std::size_t(i)] = tableRow(from[i].row());
    rebuildRowMap();
    QModelIndexList to;
    to.reserve(from.size());
    for (int i = 0; i < from.size(); ++i) {
        int row = oldTableRows[std::size_t(i)];
        if (row >= 0 && row < int(newRowOf.size())) row = newRowOf[std::size_t(row)];
        const int shown = modelRow(row);
        to.append(shown >= 0 ? index(shown, from[i].column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    // The signal, not the table's layout notice of the same name.
    emit QAbstractItemModel::layoutChanged();
}

void GridModel::cellsChanged(int row1, int col1, int row2, int col2) {
    notifyBlock(row1, col1, row2, col2, {Qt::DisplayRole, Qt::EditRole});
}

// Only the roles that changed are named: a view resets an open editor's text
// on a change of the text roles, and must not on a mere repaint.
void GridModel::looksChanged(int row1, int col1, int row2, int col2, mk::GridTable::Look what) {
    if (what == mk::GridTable::Look::Checks)
        notifyBlock(row1, col1, row2, col2, {Qt::CheckStateRole});
    else
        notifyBlock(row1, col1, row2, col2, {Qt::ForegroundRole, Qt::BackgroundRole, Qt::FontRole});
}

// A block of table rows is a run of model rows: the shown rows keep the
// table's order.
void GridModel::notifyBlock(int row1, int col1, int row2, int col2, const QList<int>& roles) {
    if (!table_) return;
    col1 = std::max(col1, 0);
    col2 = std::min(col2, table_->cols() - 1);
    if (col1 > col2) return;
    if (row1 <= 0 && row2 >= 0) emit headerDataChanged(Qt::Horizontal, col1, col2);
    const auto first = std::lower_bound(shown_.begin(), shown_.end(), std::max(row1, 1));
    const auto last = std::upper_bound(first, shown_.end(), row2);
    if (first == last) return;
    emit dataChanged(index(int(first - shown_.begin()), col1),
                     index(int(last - shown_.begin()) - 1, col2), roles);
}

void GridModel::layoutChanged() {
    if (!table_) return;
    emit headerDataChanged(Qt::Horizontal, 0, table_->cols() - 1);
    if (!shown_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, table_->cols() - 1),
                         {Qt::TextAlignmentRole});
    emit tableLayoutChanged();
}

}  // namespace mk::gui
