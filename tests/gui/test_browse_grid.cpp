// The browse grid's interactions: sort, cell transfer, edit lock, in-place
// writes checked in the data files, web addresses, the current-cell timer,
// the resize rule and the help zones.
#include <QCheckBox>
#include <QClipboard>
#include <QMimeData>
#include <QDesktopServices>
#include <QFrame>
#include <QPushButton>
#include <functional>

#include "core/browse/grid_actions.h"
#include "gui/app/grid_model.h"
#include "gui/app/twips.h"
#include "gui/browse/label_button.h"
#include "tests/gui/browse_test_support.h"
#include "tests/support/test_support.h"

using namespace browse_test;

namespace {

// Shown order: rows 1-2 "Shop" (contents 6, 7), rows 3-4 "Mail" (4, 5),
// rows 5-7 "Bank" (1, 2, 3; a sample entry).
const std::vector<Entry> kEntries = {
    {"Bank", {{"ID", "taro"}, {"PW", "abc123"}, {"memo", "x"}}, 9},
    {"Mail", {{"ID", "hanako"}, {"URL", "https://mail.example.jp"}}},
    {"Shop", {{"Web", "www.example.jp"}, {"memo", "echo hi & calc"}}},
};

// Records as the files hold them, read without the code under test.
mk::test::PairEntry titleRecord(Harness& h, int n) {
    return mk::test::readPair(h.program->store.titlePath(), h.program->store.contentPath()).at(n - 1);
}
mk::test::PairRow contentRecord(Harness& h, int n) {
    return mk::test::readContentRecord(h.program->store.contentPath(), n);
}
// Double-clicks a cell of the grid and returns the editor that opened, all
// its text selected, so that typing replaces it.
QWidget* openEditor(Harness& h, int row, int col) {
    QApplication::setActiveWindow(h.window.get());
    h.clickCell(row, col);
    QTest::mouseDClick(h.grid()->viewport(), Qt::LeftButton, {}, h.cellRect(row, col).center());
    QWidget* editor = QApplication::focusWidget();
    if (!editor || editor == h.grid()) return nullptr;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    return editor;
}

}  // namespace

// Catches the addresses handed to the desktop, and what the window showed
// at that moment.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    Harness* h = nullptr;
    QList<QUrl> urls;
    bool noticeShown = false;
    QString noticeText;
    mk::Rgb cellBack = 0;
public slots:
    void open(const QUrl& url) {
        urls.append(url);
        auto* notice = h->child<QLineEdit>("コメント表示");
        noticeShown = notice->isVisible();
        noticeText = notice->text();
        cellBack = h->table().backColor(h->table().currentRow, h->table().currentCol);
    }
};

class TestBrowseGrid : public QObject {
    Q_OBJECT
private slots:
    void headerSortToggles() {
        Harness h(kEntries);
        h.clickHeader(mk::bcol::Item);
        QCOMPARE(h.table().text(0, 0), std::string("▲"));
        QCOMPARE(h.grid()->model()->headerData(0, Qt::Horizontal).toString(), QString("▲"));
        QCOMPARE(h.table().text(1, mk::bcol::Item), std::string("ID"));
        QCOMPARE(h.table().text(7, mk::bcol::Item), std::string("memo"));
        QVERIFY(h.grid()->isVisible());
        h.clickHeader(mk::bcol::Title);  // another column: descending
        QCOMPARE(h.table().text(0, 0), std::string("▼"));
        QCOMPARE(h.table().text(1, mk::bcol::Title), std::string("Shop"));
        h.clickHeader(mk::bcol::Title);
        QCOMPARE(h.table().text(0, 0), std::string("▲"));
        QCOMPARE(h.table().text(1, mk::bcol::Title), std::string("Bank"));
        QVERIFY(h.table().mergeCol(mk::bcol::Title));
    }

    void cellTransferAndEditContext() {
        Harness h(kEntries);
        h.window->setDeveloperMode(true);
        h.clickCell(6, mk::bcol::Content);
        QCOMPARE(h.box()->text(), QString("abc123"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("abc123"));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("x-kde-passwordManagerHint"),
                 QByteArray("secret"));
        QCOMPARE(h.table().backColor(6, mk::bcol::Content), mk::palette::LightCyan);
        QCOMPARE(h.table().backColor(5, mk::bcol::Content), mk::palette::White);
        QCOMPARE(h.program->editContext.blockFirst, std::string("5"));
        QCOMPARE(h.program->editContext.blockLast, std::string("7"));
        QCOMPARE(h.program->editContext.currentRow, 6);
        QCOMPARE(h.child<QLabel>("Label2_1")->text(), QString("5"));
        QCOMPARE(h.child<QLabel>("Label2_2")->text(), QString("7"));
        QCOMPARE(h.child<QLabel>("Label3")->text(), QString("6"));

        // The timer marks the edit context's cell, and only that one.
        h.window->startCurrentCellTimer();
        h.clickCell(3, mk::bcol::Item);
        h.table().setBackColor(6, mk::bcol::Content, mk::palette::LightCyan);
        QTRY_COMPARE_WITH_TIMEOUT(h.table().backColor(6, mk::bcol::Content), mk::palette::White, 1500);
        QCOMPARE(h.table().backColor(3, mk::bcol::Item), mk::palette::LightCyan);
    }

    void editLockAndInPlaceWrites() {
        Harness h(kEntries);
        auto* lock = h.child<QCheckBox>("Check1");
        QAbstractItemModel* model = h.grid()->model();
        auto index = [&](int row, int col) { return model->index(h.grid()->viewRowOf(row), col); };
        QVERIFY(!(model->flags(index(6, mk::bcol::Content)) & Qt::ItemIsEditable));
        QTest::mouseClick(lock, Qt::LeftButton);
        QVERIFY(!lock->isChecked());
        QVERIFY(model->flags(index(6, mk::bcol::Content)) & Qt::ItemIsEditable);

        // A content: cut to 82 characters, the title's status back to 0.
        h.clickCell(6, mk::bcol::Content);
        QVERIFY(model->setData(index(6, mk::bcol::Content), QString(90, 'p'), Qt::EditRole));
        const mk::test::PairRow record = contentRecord(h, 2);
        QCOMPARE(record.item, std::string("PW"));
        QCOMPARE(record.content, std::string(82, 'p'));
        QCOMPARE(titleRecord(h, 1).status, 0);
        QCOMPARE(h.counter(), QString("-*-"));
        QCOMPARE(mk::gui::textColor(h.window->counter()), QColor(0, 0, 0));

        // A title: every row of the block, written to its title record.
        h.clickCell(3, mk::bcol::Title);
        QVERIFY(model->setData(index(3, mk::bcol::Title), QString("Webmail"), Qt::EditRole));
        QCOMPARE(titleRecord(h, 2).title, std::string("Webmail"));
        QCOMPARE(h.table().text(4, mk::bcol::Title), std::string("Webmail"));
        QCOMPARE(titleRecord(h, 3).title, std::string("Shop"));

        // An output check leaves "Saved" in red.
        h.window->setDeveloperMode(true);
        h.child<QPushButton>("Command2")->click();  // shows the check column
        int checkColumn = 0;
        h.window->setCheckColumnAction([&] { ++checkColumn; });
        h.clickCell(7, mk::bcol::Output);
        QCOMPARE(checkColumn, 1);
        QVERIFY(model->setData(index(7, mk::bcol::Output), int(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(contentRecord(h, 3).output, std::string("1"));
        QCOMPARE(h.counter(), QString("Saved"));
        QCOMPARE(mk::gui::textColor(h.window->counter()), QColor(255, 0, 0));
        QVERIFY(h.messages.messages.empty());
    }

    void mismatchedRowRestoresTheCounter() {
        Harness h(kEntries);
        h.window->setEditLock(false);
        h.clickCell(6, mk::bcol::Item);
        const std::string before = h.readFile(h.program->store.contentPath());
        QAbstractItemModel* model = h.grid()->model();
        QVERIFY(model->setData(model->index(h.grid()->viewRowOf(5), mk::bcol::Item), QString("changed"),
                               Qt::EditRole));
        QCOMPARE(h.messages.messages.size(), size_t(1));
        QCOMPARE(h.messages.last().text, std::string("行読込が異常です。 6 <>  5"));
        QCOMPARE(h.readFile(h.program->store.contentPath()), before);
        QCOMPARE(h.counter(), QString("-*-"));
        QCOMPARE(mk::gui::textColor(h.window->counter()), QColor(0, 0, 0));
    }

    void webAddressesOpenThroughTheDesktop() {
        Harness h(kEntries);
        UrlCatcher catcher;
        catcher.h = &h;
        QDesktopServices::setUrlHandler("http", &catcher, "open");
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        struct Unset {
            ~Unset() {
                QDesktopServices::unsetUrlHandler("http");
                QDesktopServices::unsetUrlHandler("https");
            }
        } unset;

        QTest::mouseDClick(h.grid()->viewport(), Qt::LeftButton, {}, h.cellRect(1, mk::bcol::Content).center());
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0], QUrl("http://www.example.jp"));
        QVERIFY(catcher.noticeShown);
        QCOMPARE(catcher.noticeText, QString("インターネットエクスプローラーを開きます"));
        QCOMPARE(catcher.cellBack, mk::palette::LightYellow);
        QVERIFY(h.child<QLineEdit>("コメント表示")->isHidden());
        QCOMPARE(h.table().backColor(1, mk::bcol::Content), mk::palette::LightCyan);
        // The lock holds: a click on the same cell (no cell change) and a
        // typed key reach no file.
        QVERIFY(!h.grid()->isEditable());
        QApplication::setActiveWindow(h.window.get());
        h.clickCell(1, mk::bcol::Content);
        QTest::keyClicks(h.grid(), "x");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::qWait(100);  // an edit is committed queued
        QCOMPARE(contentRecord(h, 6).content, std::string("www.example.jp"));
        h.window->setEditLock(false);

        QTest::mouseDClick(h.grid()->viewport(), Qt::LeftButton, {}, h.cellRect(4, mk::bcol::Content).center());
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[1], QUrl("https://mail.example.jp"));
        QVERIFY(h.grid()->isEditable());  // unlocked, it stays editable

        // Not an address: nothing opens, nothing is run.
        h.window->setEditLock(true);
        QTest::mouseDClick(h.grid()->viewport(), Qt::LeftButton, {}, h.cellRect(2, mk::bcol::Content).center());
        QCOMPARE(catcher.urls.size(), 2);
        QVERIFY(!h.grid()->isEditable());
    }

    // A row deleted since the table was loaded (as the edit screen's row
    // delete does) is not written in place: its record is free now. Nothing
    // changes on disk, no "Saved", and the table is loaded again.
    void staleRowsAreNotWritten() {
        struct Case {
            int row, col;
        } cases[] = {{3, mk::bcol::Content}, {3, mk::bcol::Item}, {4, mk::bcol::Title}};
        for (const Case& c : cases) {
            Harness h(kEntries);
            h.window->setEditLock(false);
            h.program->store.deleteRow(2, 4);  // "Mail" loses its ID row
            const std::string before = h.readFile(h.program->store.titlePath()) +
                                       h.readFile(h.program->store.contentPath());
            QWidget* editor = openEditor(h, c.row, c.col);
            QVERIFY(editor);
            QTest::keyClicks(editor, "typed");
            QTest::keyClick(editor, Qt::Key_Return);  // the view commits it queued
            QTRY_COMPARE(h.messages.messages.size(), size_t(1));
            QCOMPARE(h.messages.last().text,
                     std::string("この行は　表示した後に新規登録・編集画面で削除または変更されてい"
                                 "ます。\r  \r修正は保存していません。\r  \r"
                                 "最新のデータを表示し直します。\r  \r"));
            QCOMPARE(h.readFile(h.program->store.titlePath()) +
                         h.readFile(h.program->store.contentPath()),
                     before);
            QCOMPARE(h.counter(), QString("-*-"));
            QTRY_COMPARE(h.table().rows(), 1 + 6);  // the deleted row is gone
        }
    }

    // An in-place edit writes the cell that was edited and nothing else: an
    // empty title, shown as "空白", stays empty when it is committed as it
    // stands, and a block the edit screen moved since the cell became
    // current does not turn the edit away.
    void inPlaceEditsWriteOnlyWhatWasEdited() {
        struct Case {
            int row, col;
            const char* typed;  // nullptr: committed as it stands
            bool blockMoved;
        } cases[] = {{1, mk::bcol::Title, nullptr, false}, {6, mk::bcol::Content, "new", true}};
        for (const Case& c : cases) {
            Harness h({{"", {{"ID", "e1"}}}, {"Mail", {{"ID", "m1"}, {"PW", "m2"}}},
                       {"Shop", {{"Web", "w1"}, {"memo", "w2"}, {"URL", "w3"}}}});
            h.window->setEditLock(false);
            h.clickCell(c.row, c.col);
            if (c.blockMoved) {  // as the edit screen's row delete leaves it
                h.program->editContext.setBlock(1, 1);
                h.program->editContext.currentRow = 1;
            }
            QWidget* editor = openEditor(h, c.row, c.col);
            QVERIFY(editor);
            if (c.typed) QTest::keyClicks(editor, c.typed);
            QTest::keyClick(editor, Qt::Key_Return);
            QTest::qWait(50);
            QVERIFY(h.messages.messages.empty());
            const auto entries =
                mk::test::readPair(h.program->store.titlePath(), h.program->store.contentPath());
            QCOMPARE(entries.at(0).title, std::string());
            QCOMPARE(contentRecord(h, int(h.table().number(c.row, mk::bcol::Child))).content,
                     std::string(c.typed ? c.typed : h.table().text(c.row, mk::bcol::Content)));
        }
    }

    // Typing into a cell over several timer ticks: the ticks repaint the
    // current cell but leave the open editor's text alone.
    void slowTypingSurvivesTheTimer() {
        Harness h(kEntries);
        h.window->setEditLock(false);
        h.window->startCurrentCellTimer();
        QWidget* editor = openEditor(h, 6, mk::bcol::Content);
        QVERIFY(editor);
        const QStringList pieces = {"taro_", "denki_", "NEW_", "0123456789"};
        for (const QString& piece : pieces) {
            QTest::keyClicks(editor, piece);
            QTest::qWait(600);
            QCOMPARE(QApplication::focusWidget(), editor);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(contentRecord(h, 2).content, std::string("taro_denki_NEW_0123456789"));
        QCOMPARE(h.table().backColor(6, mk::bcol::Content), mk::palette::LightCyan);
    }

    // What is typed and not yet committed with Enter is written before any
    // command of the window runs.
    void commandsCommitWhatWasTyped() {
        struct Case {
            const char* name;
            std::function<void(Harness&)> command;
        };
        const std::vector<Case> cases = {
            {"Label1_1", [](Harness& h) { h.search("x", "Label1_1"); }},
            {"Label1_2", [](Harness& h) { h.search("x", "Label1_2"); }},
            {"Label1_4", [](Harness& h) { h.press(h.child<QLabel>("Label1_4")); }},
            {"Option1_2",
             [](Harness& h) {
                 h.box()->setText("x");
                 QTest::mouseClick(h.child("Option1_2"), Qt::LeftButton);
             }},
            {"Label5",
             [](Harness& h) {
                 int opened = 0;
                 h.window->setOutputSelectionAction([&] { ++opened; });
                 h.press(h.child<QLabel>("Label5"));
                 QCOMPARE(opened, 1);
             }},
            {"Label7",
             [](Harness& h) {
                 int opened = 0;
                 h.window->setGeneratorAction([&] { ++opened; });
                 h.press(h.child<QLabel>("Label7"));
                 QCOMPARE(opened, 1);
             }},
            {"Check1", [](Harness& h) { QTest::mouseClick(h.child("Check1"), Qt::LeftButton); }},
            {"header", [](Harness& h) { h.clickHeader(mk::bcol::Item); }},
            {"commitOpenEdit", [](Harness& h) { QVERIFY(h.window->commitOpenEdit()); }},
        };
        for (const Case& c : cases) {
            Harness h(kEntries);
            h.window->setEditLock(false);
            QWidget* editor = openEditor(h, 6, mk::bcol::Content);
            QVERIFY2(editor, c.name);
            QTest::keyClicks(editor, QString("typed ") + c.name);
            c.command(h);
            QVERIFY2(
                contentRecord(h, 2).content == std::string("typed ") + c.name,
                c.name);
            QVERIFY2(h.messages.messages.empty(), c.name);
        }
    }

    // A header click changes the order and the current column; the current
    // row stays the table row it was.
    void headerSortKeepsTheCurrentRow() {
        Harness h(kEntries);
        h.clickCell(3, mk::bcol::Content);
        h.clickHeader(mk::bcol::Item);
        QCOMPARE(h.grid()->row(), 3);
        QCOMPARE(h.grid()->col(), mk::bcol::Item);
        QCOMPARE(h.grid()->currentIndex().row(), h.grid()->viewRowOf(3));
        QCOMPARE(h.program->editContext.currentRow, 3);
        QCOMPARE(h.program->editContext.currentCol, mk::bcol::Item);
    }

    void resizeRuleAndHelpZones() {
        Harness h(kEntries);
        h.window->resize(800, 500);
        QCOMPARE(h.grid()->size(), QSize(mk::gui::px(800 * 15 - 820), mk::gui::px(500 * 15 - 1720)));
        const QSize before = h.grid()->size();
        h.window->resize(50, 400);  // too narrow: the width stays
        QCOMPARE(h.grid()->width(), before.width());
        QCOMPARE(h.grid()->height(), mk::gui::px(400 * 15 - 1720));

        h.hover(h.grid()->viewport(), QPoint(10, 10));
        QCOMPARE(h.messages.mouseHelp.back(), mk::gridHelpText(mk::gui::twips(10 + h.grid()->viewport()->x()),
                                                               mk::gui::twips(10 + h.grid()->viewport()->y()), 0));
        QVERIFY(h.messages.mouseHelp.back().rfind("セルをクリックすると", 0) == 0);
    }
};

QTEST_MAIN(TestBrowseGrid)
#include "test_browse_grid.moc"
