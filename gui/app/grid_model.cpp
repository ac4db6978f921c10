#include "gui/app/grid_model.h"

#include <QFont>

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
    endResetModel();
    emit tableLayoutChanged();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return std::max(0, table_->rows() - 1);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return table_->cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    const int row = tableRow(index.row());
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
    if (!table_ || !index.isValid()) return Qt::NoItemFlags;
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
    endResetModel();
    emit tableLayoutChanged();
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

void GridModel::notifyBlock(int row1, int col1, int row2, int col2, const QList<int>& roles) {
    if (!table_) return;
    col1 = std::max(col1, 0);
    col2 = std::min(col2, table_->cols() - 1);
    if (col1 > col2) return;
    if (row1 <= 0 && row2 >= 0) emit headerDataChanged(Qt::Horizontal, col1, col2);
    const int first = std::max(row1, 1);
    const int last = std::min(row2, table_->rows() - 1);
    if (first <= last)
        emit dataChanged(index(modelRow(first), col1), index(modelRow(last), col2), roles);
}

void GridModel::rowsHiddenChanged() { emit hiddenRowsChanged(); }

void GridModel::layoutChanged() {
    if (!table_) return;
    emit headerDataChanged(Qt::Horizontal, 0, table_->cols() - 1);
    if (table_->rows() > 1)
        emit dataChanged(index(0, 0), index(table_->rows() - 2, table_->cols() - 1),
                         {Qt::TextAlignmentRole});
    emit tableLayoutChanged();
}

// ---- VisibleRowsProxy -------------------------------------------------------

VisibleRowsProxy::VisibleRowsProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    // Hiding is told explicitly; re-filtering on every data change would
    // cost a pass over the rows for each coloured block.
    setDynamicSortFilter(false);
}

void VisibleRowsProxy::setGridModel(GridModel* model) {
    grid_ = model;
    setSourceModel(model);
}

// invalidate() drops the mapping and sends one layout change; invalidateFilter()
// would send a removal or insertion per run of rows, thousands for a search.
void VisibleRowsProxy::refilter() { invalidate(); }

bool VisibleRowsProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const mk::GridTable* table = grid_ ? grid_->table() : nullptr;
    return !table || !table->rowHidden(GridModel::tableRow(sourceRow));
}

}  // namespace mk::gui
