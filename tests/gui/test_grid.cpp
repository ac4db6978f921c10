// The grid control over a core table: row mapping with hidden rows, one
// notification per bulk operation, the merged look at the table's largest
// size, in-place edits and check toggles reported in table coordinates.
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QAbstractItemModelTester>
#include <QtTest>

#include "core/store/grid_table.h"
#include "core/store/records.h"
#include "gui/app/grid_model.h"
#include "gui/app/grid_view.h"

using mk::GridTable;
using mk::gui::GridView;

class TestGrid : public QObject {
    Q_OBJECT

private:
    // A table of `rows` rows (header included) and 5 columns; column 1 holds
    // runs of three equal titles, column 2 check boxes.
    static void fill(GridTable& table, int rows) {
        table.beginUpdate();
        table.setCols(5);
        table.setRows(rows);
        for (int c = 1; c < 5; ++c) table.setText(0, c, "H" + std::to_string(c));
        for (int r = 1; r < rows; ++r) {
            table.setText(r, 0, std::to_string((r - 1) / 3 + 1));
            table.setText(r, 1, "title " + std::to_string((r - 1) / 3 + 1));
            table.setCheckState(r, 2, mk::Unchecked);
            table.setText(r, 3, "item " + std::to_string(r));
        }
        table.setMergeCol(0, true);
        table.setMergeCol(1, true);
        table.setRowHeight(-1, 550);
        table.setRowHeight(0, 300);
        table.endUpdate();
    }

private slots:
    void hiddenRowsLeaveTheModelAndMapBack() {
        GridTable table;
        fill(table, 10);
        GridView view;
        view.setTable(&table);
        QSignalSpy hidden(view.model(), &QAbstractItemModel::layoutChanged);

        table.setRowHidden(2, true);
        table.setRowHidden(4, true);
        QCOMPARE(hidden.count(), 2);
        QCOMPARE(view.model()->rowCount(), 7);
        QCOMPARE(view.verticalHeader()->count(), 7);
        QCOMPARE(view.viewRowOf(2), -1);
        QCOMPARE(view.viewRowOf(3), 1);
        QCOMPARE(view.tableRowOf(1), 3);
        QCOMPARE(view.tableRowOf(3), 6);
        QCOMPARE(view.viewRowOf(0), -1);  // the header is not a view row

        view.setCurrentCell(5, 3);
        QCOMPARE(view.currentIndex().row(), 2);
        QCOMPARE(view.row(), 5);
        QCOMPARE(table.currentRow, 5);

        table.showAllRows();
        QCOMPARE(hidden.count(), 3);
        QCOMPARE(view.model()->rowCount(), 9);
        QCOMPARE(view.viewRowOf(5), 4);
    }

    // The model under Qt's own checker through every kind of change, and the
    // view's persistent indexes follow their rows through a sort.
    void modelPassesTheModelTester() {
        GridTable table;
        fill(table, 12);
        GridView view;
        view.setTable(&table);
        QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
        QSignalSpy layouts(view.model(), &QAbstractItemModel::layoutChanged);

        const QPersistentModelIndex item3 = view.model()->index(view.viewRowOf(3), 3);
        {
            GridTable::UpdateBatch batch(table);  // a search
            table.fillForeColor(1, 1, 11, 4, mk::palette::LightRed);
            table.setRowHidden(2, true);
            table.setRowHidden(9, true);
        }
        QCOMPARE(view.model()->rowCount(), 9);
        QCOMPARE(item3.data().toString(), QString("item 3"));
        {
            GridTable::UpdateBatch batch(table);  // a header sort
            table.sortByColumn(3, false);
            table.setText(0, 0, "▼");
        }
        QCOMPARE(resets.count(), 0);
        QCOMPARE(layouts.count(), 2);
        QCOMPARE(item3.data().toString(), QString("item 3"));
        QCOMPARE(view.tableRowOf(item3.row()), 7);  // "item 9" down to "item 4" above it
        QVERIFY(table.rowHidden(1));  // "item 9", hidden, went first

        table.showAllRows();
        table.setText(3, 3, "x");
        table.setCheckState(3, 2, mk::Checked);
        table.setColHidden(4, true);
        {
            GridTable::UpdateBatch batch(table);  // a reload to as many rows
            table.setRows(1);
            table.setRows(12);
            for (int r = 1; r < 12; ++r) table.setText(r, 3, "new " + std::to_string(r));
        }
        QCOMPARE(resets.count(), 0);
        QCOMPARE(view.model()->index(0, 3).data().toString(), QString("new 1"));
        table.insertRow(4);
        table.removeRow(1);
        table.setRows(5);
        QCOMPARE(resets.count(), 3);
        QCOMPARE(view.model()->rowCount(), 4);
    }

    void aBulkOperationTellsTheViewOnce() {
        GridTable table;
        fill(table, 200);
        GridView view;
        view.setTable(&table);
        QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
        QSignalSpy changes(view.model(), &QAbstractItemModel::dataChanged);

        table.beginUpdate();
        for (int r = 1; r < 200; ++r) {
            table.setText(r, 4, "x");
            table.setForeColor(r, 4, mk::palette::LightRed);
            table.setRowHidden(r, r % 2 == 0);
        }
        table.endUpdate();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(changes.count(), 0);

        // A block colour outside an update is one change over the block.
        table.fillBackColor(1, 1, 199, 4, mk::palette::White);
        QCOMPARE(changes.count(), 1);
        const QModelIndex shown = view.model()->index(0, 4);
        QCOMPARE(shown.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QCOMPARE(shown.data().toString(), QString("x"));
    }

    void cellLooksReachTheView() {
        GridTable table;
        fill(table, 5);
        table.setColAlign(0, mk::Align::Right);
        table.setHeaderColors(mk::kTeal, mk::palette::White);
        table.setBold(2, 3, true);
        table.setCheckState(3, 2, mk::Checked);
        GridView view;
        view.setTable(&table);
        QAbstractItemModel* m = view.model();
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("H1"));
        QCOMPARE(m->headerData(1, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(0, 128, 128));
        QCOMPARE(m->headerData(1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
        QVERIFY(Qt::Alignment(m->index(0, 0).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight);
        QVERIFY(m->index(1, 3).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!m->index(0, 3).data(Qt::FontRole).isValid());
        QCOMPARE(m->index(2, 2).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(m->index(1, 2).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!m->index(1, 3).data(Qt::CheckStateRole).isValid());

        // Widths in twips, hidden columns, row heights.
        table.setColWidth(3, 3000);
        table.setColHidden(4, true);
        QCOMPARE(view.columnWidth(3), 200);
        QVERIFY(view.isColumnHidden(4));
        QCOMPARE(view.verticalHeader()->defaultSectionSize(), 550 / 15);
        QCOMPARE(view.horizontalHeader()->height(), 300 / 15);
    }

    void editingCommitsIntoTheTableWithTableCoordinates() {
        GridTable table;
        fill(table, 8);
        table.setRowHidden(2, true);
        GridView view;
        view.setTable(&table);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy edited(&view, &GridView::cellEdited);

        // Read-only: a double-click opens no editor.
        view.setEditable(false);
        const QModelIndex cell = view.model()->index(view.viewRowOf(3), 3);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(cell).center());
        QVERIFY(!view.findChild<QLineEdit*>());

        view.setEditable(true);
        view.setCurrentCell(3, 3);
        view.edit(cell);
        auto* editor = view.findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QString("新しい値"));
        // A repaint of the cell's looks leaves what is being typed alone.
        table.fillBackColor(1, 1, 7, 4, mk::palette::LightCyan);
        table.setForeColor(3, 3, mk::palette::LightRed);
        table.setEditable(true);
        QCOMPARE(editor->text(), QString("新しい値"));
        QTest::keyClick(editor, Qt::Key_Return);  // commits through a queued call
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(edited.at(0).at(0).toInt(), 3);
        QCOMPARE(edited.at(0).at(1).toInt(), 3);
        QCOMPARE(QString::fromStdString(table.text(3, 3)), QString("新しい値"));

        // A check cell toggles on a click.
        const QModelIndex check = view.model()->index(view.viewRowOf(4), 2);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(check).center());
        QCOMPARE(table.checkState(4, 2), mk::Checked);
        QCOMPARE(edited.count(), 2);
        QCOMPARE(edited.at(1).at(0).toInt(), 4);
        QCOMPARE(edited.at(1).at(1).toInt(), 2);

        // The fixed column is never edited.
        QVERIFY(!(view.model()->flags(view.model()->index(0, 0)) & Qt::ItemIsEditable));
    }

    void mouseEventsNameTableCells() {
        GridTable table;
        fill(table, 8);
        table.setRowHidden(1, true);
        GridView view;
        view.setTable(&table);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy down(&view, &GridView::cellMouseDown);
        QSignalSpy current(&view, &GridView::currentCellChanged);

        const QRect rect = view.visualRect(view.model()->index(0, 3));
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(0).toInt(), 2);  // view row 0 is table row 2
        QCOMPARE(down.at(0).at(1).toInt(), 3);
        QVERIFY(current.count() >= 1);
        QCOMPARE(current.last().at(0).toInt(), 2);
        QCOMPARE(view.mouseRow(), 2);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, rect.center());

        // The header reports row 0.
        QHeaderView* header = view.horizontalHeader();
        const QPoint inHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, inHeader);
        QCOMPARE(down.count(), 2);
        QCOMPARE(down.at(1).at(0).toInt(), 0);
        QCOMPARE(down.at(1).at(1).toInt(), 1);
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, inHeader);
    }

    void mergedRunsShowTheirTextOnce() {
        GridTable table;
        fill(table, 40);  // runs of three rows in columns 0 and 1
        GridView view;
        view.setTable(&table);
        view.resize(700, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setCurrentCell(20, 4);  // keeps the current frame out of the way
        view.setTopRow(1);

        // Dark (text) pixels inside a cell, away from its lines.
        auto inked = [&](int tableRow, int col) {
            const QImage shot = view.viewport()->grab().toImage();
            const QRect r = view.visualRect(view.model()->index(view.viewRowOf(tableRow), col)).adjusted(3, 3, -3, -3);
            int dark = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    dark += qGray(shot.pixel(x, y)) < 100;
            return dark;
        };
        QVERIFY(inked(1, 1) > 0);
        QCOMPARE(inked(2, 1), 0);
        QCOMPARE(inked(3, 1), 0);
        QVERIFY(inked(4, 1) > 0);
        QVERIFY(inked(2, 3) > 0);  // other columns do not merge

        // Scrolled into the middle of a run, the top row shows its text.
        view.setTopRow(5);
        QCOMPARE(view.topRow(), 5);
        QVERIFY(inked(5, 1) > 0);
        QCOMPARE(inked(6, 1), 0);
        QVERIFY(inked(7, 1) > 0);

        // A hidden first row hands the text to the next visible row.
        view.setTopRow(1);
        table.setRowHidden(7, true);
        QVERIFY(inked(8, 1) > 0);
        QCOMPARE(inked(9, 1), 0);

        // Two entries with one title: the title merges within each entry.
        for (int r = 4; r <= 6; ++r) table.setText(r, 1, "title 1");
        view.setTopRow(1);
        QCOMPARE(inked(2, 1), 0);
        QVERIFY(inked(4, 1) > 0);
        QCOMPARE(inked(5, 1), 0);

        // The current cell inside a run shows its text; its frame alone
        // leaves no ink there (an empty current cell stays clean).
        view.setCurrentCell(5, 4);
        QCOMPARE(inked(5, 4), 0);
        view.setCurrentCell(5, 1);
        QVERIFY(inked(5, 1) > 0);
    }

    void mergedLookPaintsTheLargestTable() {
        GridTable table;
        fill(table, 32768);
        table.setCheckCentered(true);
        GridView view;
        view.setTable(&table);
        view.resize(800, 600);
        QCOMPARE(view.model()->rowCount(), mk::kMaxRecordNumber);
        view.setTopRow(1);
        QVERIFY(!view.grab().isNull());
        view.setTopRow(16000);
        QVERIFY(view.topRow() >= 15900);
        QVERIFY(!view.grab().isNull());
        view.setTopRow(mk::kMaxRecordNumber);
        QVERIFY(!view.grab().isNull());

        // Hide every other row at the largest size: one refilter, then paint.
        std::vector<int> flags(32768, 0);
        for (int r = 1; r < 32768; r += 2) flags[r] = 1;
        table.hideRows(flags);
        QCOMPARE(view.model()->rowCount(), mk::kMaxRecordNumber / 2);
        QCOMPARE(view.verticalHeader()->count(), mk::kMaxRecordNumber / 2);
        view.setTopRow(20000);
        QVERIFY(!view.grab().isNull());
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
