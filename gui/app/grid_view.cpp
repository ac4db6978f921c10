#include "gui/app/grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "gui/app/grid_model.h"
#include "gui/app/twips.h"

namespace mk::gui {

namespace {

const QColor kGridLine(192, 192, 192);
const QColor kCurrentFrame(0, 0, 128);

// Paints the cells: the merged look of merging columns (the text once per run
// of equal cells, no line between the rows of a run), centred check boxes,
// and the current cell as a frame so that the cells' own back colours stay
// visible. Only the painted cells look at their neighbours, so the cost does
// not grow with the number of rows.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(GridView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();

        // The current cell shows its text even inside a run: a cell marked
        // as current must not look empty.
        const bool merging = isMerging(index.column());
        if (merging && !startsRun(index, option.rect) && index != view_->currentIndex())
            opt.text.clear();

        mk::GridTable* table = view_->table();
        const bool centredCheck = table && table->checkCentered() &&
                                  (opt.features & QStyleOptionViewItem::HasCheckIndicator);
        if (centredCheck) {
            const Qt::CheckState state = opt.checkState;
            opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
            QStyleOptionViewItem check = opt;
            const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, widget);
            const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, widget);
            check.rect = QRect(option.rect.center() - QPoint(w / 2, h / 2), QSize(w, h));
            check.state = check.state & ~QStyle::State_HasFocus;
            check.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
        } else {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        }

        painter->save();
        painter->setPen(kGridLine);
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        if (!(merging && continuesBelow(index))) painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (index == view_->currentIndex()) {
            painter->setPen(QPen(kCurrentFrame, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(r.adjusted(1, 1, -1, -1));
        }
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        // A check cell toggles on a click anywhere in it, or on the space key.
        if (!(model->flags(index) & Qt::ItemIsUserCheckable))
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        bool toggle = false;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            toggle =
                me->button() == Qt::LeftButton && option.rect.contains(me->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            toggle = key == Qt::Key_Space || key == Qt::Key_Select;
        } else if (event->type() == QEvent::MouseButtonPress ||
                   event->type() == QEvent::MouseButtonDblClick) {
            return false;
        }
        if (!toggle) return false;
        const auto state = Qt::CheckState(index.data(Qt::CheckStateRole).toInt());
        return model->setData(index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                              Qt::CheckStateRole);
    }

private:
    bool isMerging(int col) const {
        mk::GridTable* table = view_->table();
        return table && table->mergeCol(col);
    }

    // View rows belong to one run when their texts are equal in this column
    // and, where the column to the left merges too, in that column as well:
    // two neighbouring entries with the same title but different numbers stay
    // apart. The texts are compared in the table, without a copy.
    bool sameRun(int viewRowA, int viewRowB, int col) const {
        mk::GridTable* table = view_->table();
        const int a = view_->tableRowOf(viewRowA);
        const int b = view_->tableRowOf(viewRowB);
        if (!table || a < 1 || b < 1) return false;
        for (int c = col; c >= 0; --c) {
            if (c != col && !table->mergeCol(c)) break;
            if (table->text(a, c) != table->text(b, c)) return false;
        }
        return true;
    }

    bool startsRun(const QModelIndex& index, const QRect& rect) const {
        if (index.row() == 0) return true;
        // The topmost row in sight shows the text even inside a run, so a
        // scrolled run is never left without its title.
        if (rect.top() <= 0) return true;
        return !sameRun(index.row(), index.row() - 1, index.column());
    }

    bool continuesBelow(const QModelIndex& index) const {
        return index.row() + 1 < index.model()->rowCount() &&
               sameRun(index.row(), index.row() + 1, index.column());
    }

    GridView* view_;
};

}  // namespace

GridView::GridView(QWidget* parent) : QTableView(parent) {
    model_ = new GridModel(this);
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::EditKeyPressed);
    setMouseTracking(true);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->setMouseTracking(true);

    connect(model_, &GridModel::tableLayoutChanged, this, &GridView::applyLayout);
    connect(model_, &GridModel::cellCommitted, this, &GridView::cellEdited);
    connect(model_, &QAbstractItemModel::modelReset, this, &GridView::takeTablesCurrentCell);
    connect(model_, &GridModel::rearrangementDone, this, &GridView::takeTablesCurrentCell);
    applyHeaderLook();
}

GridView::~GridView() {
    // The model detaches from the table before the table may go away.
    setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

void GridView::setTable(mk::GridTable* table) {
    table_ = table;
    model_->setTable(table);
    if (table_) setCurrentCell(table_->currentRow, table_->currentCol);
}

// A rebuilt table keeps the current cell that it names; so does a searched
// or sorted one, whose current row is the row number it was, whatever row
// now stands there. Its edit context is worked out again as after a rebuild.
void GridView::takeTablesCurrentCell() {
    if (!table_) return;
    const int viewRow = viewRowOf(table_->currentRow);
    const int col = table_->currentCol;
    if (viewRow < 0 || col < 0 || col >= table_->cols()) return;
    const QModelIndex index = model_->index(viewRow, col);
    if (index == currentIndex()) {
        // The view keeps its current cell, so it reports no change itself.
        emit currentCellChanged(table_->currentRow, col);
        scrollTo(index);
        return;
    }
    setCurrentCell(table_->currentRow, col);
}

int GridView::viewRowOf(int tableRow) const { return model_->modelRow(tableRow); }

int GridView::tableRowOf(int viewRow) const { return model_->tableRow(viewRow); }

int GridView::row() const { return table_ ? table_->currentRow : 0; }
int GridView::col() const { return table_ ? table_->currentCol : 0; }

void GridView::setCurrentCell(int row, int col) {
    if (!table_) return;
    table_->currentRow = row;
    table_->currentCol = col;
    const int viewRow = viewRowOf(row);
    if (viewRow < 0 || col < 0 || col >= table_->cols()) return;
    const QModelIndex index = model_->index(viewRow, col);
    setCurrentIndex(index);
    scrollTo(index);
}

int GridView::rowAt(const QPoint& viewportPos) const {
    return tableRowOf(QTableView::rowAt(viewportPos.y()));
}

int GridView::colAt(const QPoint& viewportPos) const {
    return QTableView::columnAt(viewportPos.x());
}

int GridView::topRow() const {
    const int first = tableRowOf(QTableView::rowAt(0));
    return first < 0 ? 1 : first;
}

void GridView::setTopRow(int row) {
    const int viewRow = viewRowOf(row);
    if (viewRow < 0) return;
    scrollTo(model_->index(viewRow, 0), QAbstractItemView::PositionAtTop);
}

void GridView::setEditable(bool editable) {
    if (table_) table_->setEditable(editable);
    // The model's flags follow the table; a running edit ends when locked.
    if (!editable && state() == QAbstractItemView::EditingState) {
        if (QWidget* editor = indexWidget(currentIndex()))
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

bool GridView::isEditable() const { return table_ && table_->editable(); }

bool GridView::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) return false;
    QPointer<QWidget> editor = indexWidget(currentIndex());
    if (!editor) return false;
    commitData(editor);
    // The write behind cellEdited lets events run; they may have closed it.
    if (editor && state() == QAbstractItemView::EditingState)
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void GridView::applyHeaderLook() {
    const QColor back = table_ ? toQColor(table_->headerBackColor()) : QColor(0, 128, 128);
    const QColor fore = table_ ? toQColor(table_->headerForeColor()) : QColor(Qt::white);
    const QString sheet =
        QString(
            "QHeaderView::section { background-color: %1; color: %2; border: none;"
            " border-right: 1px solid %3; border-bottom: 1px solid %3; padding: 0px 3px; }")
            .arg(back.name(), fore.name(), kGridLine.name());
    // Setting a style sheet polishes the header anew, which costs more than
    // the whole repaint: only a changed look is worth it.
    if (horizontalHeader()->styleSheet() != sheet) horizontalHeader()->setStyleSheet(sheet);
}

void GridView::applyLayout() {
    if (!table_) return;
    QHeaderView* header = horizontalHeader();
    for (int c = 0; c < table_->cols(); ++c) {
        setColumnHidden(c, table_->colHidden(c));
        if (!table_->colHidden(c)) setColumnWidth(c, px(table_->colWidth(c)));
    }
    header->setFixedHeight(std::max(px(table_->rowHeight(0)), 1));
    // All data rows share one height: the header's default section size
    // keeps that cheap at any row count.
    const int dataHeight = table_->rows() > 1 ? table_->rowHeight(1) : table_->rowHeight(0);
    verticalHeader()->setDefaultSectionSize(std::max(px(dataHeight), 1));
    applyHeaderLook();
    viewport()->update();
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            headerMouse(static_cast<QMouseEvent*>(event), true);
        else if (event->type() == QEvent::MouseMove)
            headerMouse(static_cast<QMouseEvent*>(event), false);
    }
    return QTableView::eventFilter(watched, event);
}

void GridView::headerMouse(QMouseEvent* event, bool press) {
    const QPoint pos = event->position().toPoint();
    const int col = horizontalHeader()->logicalIndexAt(pos);
    mouseRow_ = 0;
    mouseCol_ = col;
    if (press) {
        emit cellMouseDown(0, col, event->button(), event->modifiers());
    } else {
        const QPoint inGrid = horizontalHeader()->viewport()->mapTo(this, pos);
        emit gridMouseMove(twips(inGrid.x()), twips(inGrid.y()), 0, col);
    }
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    mouseRow_ = rowAt(pos);
    mouseCol_ = mouseRow_ < 0 ? -1 : colAt(pos);
    QTableView::mousePressEvent(event);
    emit cellMouseDown(mouseRow_, mouseCol_, event->button(), event->modifiers());
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    mouseRow_ = rowAt(pos);
    mouseCol_ = mouseRow_ < 0 ? -1 : colAt(pos);
    QTableView::mouseDoubleClickEvent(event);
    emit cellDoubleClicked(mouseRow_, mouseCol_);
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    mouseRow_ = rowAt(pos);
    mouseCol_ = mouseRow_ < 0 ? -1 : colAt(pos);
    QTableView::mouseMoveEvent(event);
    const QPoint inGrid = viewport()->mapTo(this, pos);
    emit gridMouseMove(twips(inGrid.x()), twips(inGrid.y()), mouseRow_, mouseCol_);
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // A scrolled view is copied, not repainted; the row that comes to the top
    // of a merged run must draw the run's text it did not draw before.
    if (dy != 0) viewport()->update();
}

void GridView::inputMethodEvent(QInputMethodEvent* event) {
    // Japanese reaches a cell that is not being edited as an input method's
    // text, not as a key. The item view opens the editor for it but drops
    // the text, so the first characters typed would be lost: the text goes
    // on to the new editor, over its old text as a typed key would.
    const bool typed = !event->commitString().isEmpty() || !event->preeditString().isEmpty();
    if (typed && state() != QAbstractItemView::EditingState &&
        edit(currentIndex(), QAbstractItemView::AnyKeyPressed, event)) {
        if (QWidget* editor = indexWidget(currentIndex())) {
            if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
            QApplication::sendEvent(editor, event);
            event->accept();
            return;
        }
    }
    QTableView::inputMethodEvent(event);
}

bool GridView::focusNextPrevChild(bool next) {
    // Hiding the view while it has the focus (a sort and a search do, so that
    // it does not repaint) hands the focus on through here; the item view
    // would take that for a Tab key and move the current cell one further.
    if (isHidden()) return QAbstractScrollArea::focusNextPrevChild(next);
    return QTableView::focusNextPrevChild(next);
}

// Tab and Shift+Tab pass over the fixed column 0 (the title number): it is
// never a cell to type into.
QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if ((action != MoveNext && action != MovePrevious) || !next.isValid() || next.column() != 0)
        return next;
    const int cols = model()->columnCount();
    int first = 1;
    while (first < cols && isColumnHidden(first)) ++first;
    int last = cols - 1;
    while (last > 0 && isColumnHidden(last)) --last;
    if (first >= cols || last < 1) return next;  // column 0 is all there is
    if (action == MoveNext) return model()->index(next.row(), first);
    // Backwards from column 1: the last cell of the row above, or of the
    // last row from the first, as the plain Tab wraps.
    const int row = next.row() > 0 ? next.row() - 1 : model()->rowCount() - 1;
    return model()->index(row, last);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    // Tab moves from cell to cell; Ctrl+Tab leaves the grid for the next
    // control, so that the keyboard is never caught in it.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        (event->modifiers() & Qt::ControlModifier)) {
        const bool forward =
            event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
        QAbstractScrollArea::focusNextPrevChild(forward);
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
    const bool texts =
        roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
    if (texts) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // Colours, bold or check marks only. The base class would also load the
    // model's text into an open editor in the block, putting back what the
    // user is typing over; a repaint is all a look needs.
    if (!isVisible()) return;
    if (topLeft == bottomRight)
        update(topLeft);
    else
        viewport()->update();
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!table_ || !current.isValid()) return;
    const int row = tableRowOf(current.row());
    const int col = current.column();
    table_->currentRow = row;
    table_->currentCol = col;
    emit currentCellChanged(row, col);
}

}  // namespace mk::gui
