// The edit screen driven through its widgets inside the real main window:
// typing a new entry, both saves, the edit menu's row and cell commands, the
// undo/redo walk, the duplicate-title question, deleting entries, and the
// screen's own looks, with the data files read back byte by byte after each
// step.
#include <QClipboard>
#include <QMimeData>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <QWindow>

#include <deque>
#include <functional>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "gui/app/grid_view.h"
#include "gui/app/main_window.h"
#include "gui/app/progress_window.h"
#include "gui/browse/browse_window.h"
#include "gui/edit/edit_menu.h"
#include "gui/edit/edit_screen.h"
#include "gui/generator/generator_screen.h"
#include "tests/support/test_support.h"

using mk::gui::EditScreen;
using mk::gui::MainWindow;
namespace ecol = mk::ecol;

namespace {

// ---- an independent writer and reader of the two data files (ASCII) --------
const QByteArray kMark("<\x8d\xed\x8f\x9c<");  // "<削除<" in CP932

QByteArray padded(const QByteArray& text, int width) {
    QByteArray out = text.left(width);
    return out + QByteArray(width - out.size(), ' ');
}
QByteArray int16(int v) {
    QByteArray b(2, 0);
    b[0] = char(v & 0xFF);
    b[1] = char((v >> 8) & 0xFF);
    return b;
}
QByteArray title(const QByteArray& text, QList<int> refs, int self) {
    QByteArray out = padded(text, 50);
    for (int i = 0; i < 50; ++i) out += int16(i < refs.size() ? refs[i] : 0);
    return out + int16(self) + int16(0);
}
QByteArray content(const QByteArray& item, const QByteArray& text, int parent, int self) {
    return padded("2", 2) + padded(item, 50) + padded(text, 90) + int16(parent) + int16(self);
}
int int16At(const QByteArray& b, int offset) {
    return qint16(quint16(quint8(b[offset])) | quint16(quint8(b[offset + 1]) << 8));
}
QByteArray field(const QByteArray& b, int offset, int width) {
    QByteArray f = b.mid(offset, width);
    while (f.endsWith(' ')) f.chop(1);
    return f;
}

struct Title {
    QByteArray text;
    QList<int> refs;
    int self = 0;
    bool zero = false;
};
struct Content {
    QByteArray output, item, text;
    int parent = 0, self = 0;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestEditScreen : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<mk::Program> program;
    std::unique_ptr<mk::ScriptedMessages> messages;
    std::unique_ptr<MainWindow> window;
    EditScreen* screen = nullptr;

    QString dataPath(const char* name) const {
        return QString::fromStdString(program->dataFolder()) + QString::fromUtf8(name);
    }
    QByteArray titles() const { return readAll(dataPath(mk::kTitleFileName)); }
    QByteArray contents() const { return readAll(dataPath(mk::kContentFileName)); }
    Title titleAt(int n) const {
        const QByteArray b = titles().mid((n - 1) * 154, 154);
        Title t;
        t.zero = b.count('\0') == 154;
        t.text = field(b, 0, 50);
        for (int i = 0; i < 50; ++i) t.refs << int16At(b, 50 + 2 * i);
        t.self = int16At(b, 150);
        return t;
    }
    Content contentAt(int n) const {
        const QByteArray b = contents().mid((n - 1) * 146, 146);
        return {field(b, 0, 2), field(b, 2, 50), field(b, 52, 90), int16At(b, 142), int16At(b, 144)};
    }
    void writeFiles(const QByteArray& t, const QByteArray& c) {
        QDir().mkpath(QString::fromStdString(program->dataFolder()));
        QFile ft(dataPath(mk::kTitleFileName));
        QVERIFY(ft.open(QIODevice::WriteOnly));
        ft.write(t);
        ft.close();
        QFile fc(dataPath(mk::kContentFileName));
        QVERIFY(fc.open(QIODevice::WriteOnly));
        fc.write(c);
        fc.close();
        window->browseWindow()->reload();
    }
    // A (title 1: rows 1..3), B (title 2: rows 4..5), C (title 3: row 6).
    void writeThree() {
        writeFiles(title("A", {1, 2, 3}, 1) + title("B", {4, 5}, 2) + title("C", {6}, 3),
                   content("ID", "a1", 1, 1) + content("PW", "a2", 1, 2) + content("URL", "a3", 1, 3) +
                       content("ID", "b1", 2, 4) + content("PW", "b2", 2, 5) + content("ID", "c1", 3, 6));
    }

    mk::EditSession& s() { return screen->session(); }
    mk::GridTable& table() { return s().table; }
    mk::gui::GridView* grid() { return screen->grid(); }
    QLabel* label(const char* name) { return screen->findChild<QLabel*>(name); }

    void openPage2(int first = 0, int last = 0) {
        if (first > 0) {
            program->editContext.setBlock(first, last);
            program->editContext.currentRow = first;
        } else {
            program->editContext.reset();
        }
        window->頁切換(2);
        QVERIFY(screen->isVisible());
    }
    QPoint cellCenter(mk::gui::GridView* g, int row, int col) {
        const QModelIndex index = g->model()->index(g->viewRowOf(row), col);
        g->scrollTo(index);
        return g->visualRect(index).center();
    }
    // Double-clicks the cell and types over its text; the editor stays open.
    QLineEdit* typeOpen(int row, int col, const QString& text) {
        // QTest's double-click is the second click only; the first comes before.
        const QPoint at = cellCenter(grid(), row, col);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        auto* editor = qobject_cast<QLineEdit*>(grid()->indexWidget(grid()->currentIndex()));
        if (!editor) return nullptr;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        typeText(editor, text);
        return editor;
    }
    // Key by key; text beyond ASCII comes as one key event with the whole
    // text, as an input method commits it.
    static void typeText(QWidget* w, const QString& text) {
        bool ascii = true;
        for (const QChar ch : text) ascii = ascii && ch.unicode() < 128;
        if (ascii)
            QTest::keyClicks(w, text);
        else
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, text, Qt::NoModifier);
    }
    // Types into the cell and commits with Enter.
    void type(int row, int col, const QString& text) {
        QLineEdit* editor = typeOpen(row, col, text);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits through a queued call, the screen follows up in
        // another.
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(5, 5)) {
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(QPointF(at)), button, button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(w, &press);
    }
    void moveOver(QWidget* w, QPoint at = QPoint(5, 5), Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(QPointF(at)), Qt::NoButton, buttons,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }
    void rightClick(int row, int col) {
        QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, cellCenter(grid(), row, col));
    }
    void menuItem(int item) {
        QListWidget* list = screen->editMenu()->list();
        const QRect r = list->visualItemRect(list->item(item - 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }
    QString lastHelp() const {
        return messages->mouseHelp.empty() ? QString()
                                           : QString::fromStdString(messages->mouseHelp.back());
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        program = std::make_unique<mk::Program>(dir->path().toStdString() + "/");
        messages = std::make_unique<mk::ScriptedMessages>();
        window = std::make_unique<MainWindow>(*program);
        window->resize(1100, 800);
        window->show();
        screen = window->editScreen();
        writeThree();
    }
    void cleanup() {
        window.reset();
        messages.reset();
        program.reset();
        dir.reset();
    }

    // A copy made by the title box's own Ctrl+C carries the hint too.
    void widgetCopiesCarryThePasswordManagerHint() {
        openPage2();
        QLineEdit* box = screen->findChild<QLineEdit*>("Text1");
        QTest::keyClicks(box, "Shop");
        box->selectAll();
        QTest::keySequence(box, QKeySequence::Copy);
        QCoreApplication::processEvents();
        QClipboard* clipboard = QGuiApplication::clipboard();
        QCOMPARE(clipboard->text(), QString("Shop"));
        QCOMPARE(clipboard->mimeData()->data("x-kde-passwordManagerHint"), QByteArray("secret"));
    }

    void newEntryTypedIntoTheLastRowThenBothSaves() {
        openPage2();
        QCOMPARE(table().rows(), 8);
        QLineEdit* box = screen->findChild<QLineEdit*>("Text1");
        QTest::keyClicks(box, "Shop");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(grid()->row(), 1);
        QCOMPARE(grid()->col(), 1);
        for (int r = 1; r <= 8; ++r) {
            const int rowsBefore = table().rows();
            type(r, ecol::Item, QString("item%1").arg(r));
            QCOMPARE(grid()->col(), ecol::Content);  // the cursor moves to the content
            type(r, ecol::Content, QString("v%1").arg(r));
            // Filling the last row adds one; the cursor goes to the next item.
            QCOMPARE(table().rows(), r == rowsBefore - 1 ? rowsBefore + 1 : rowsBefore);
            QCOMPARE(grid()->row(), r + 1);
        }
        QCOMPARE(table().rows(), 10);
        QCOMPARE(s().ChangeCount, 4 + 16);  // the title's keys and the cells

        messages->answers = {mk::AnswerYes};
        click(label("Label1_1"));
        QCOMPARE(QString::fromStdString(messages->last().text), QString("新規保存が完了しました。"));
        QCOMPARE(s().ChangeCount, 0);
        QCOMPARE(titles().size(), 4 * 154);
        QCOMPARE(contents().size(), 14 * 146);
        const Title t = titleAt(4);
        QCOMPARE(t.text, QByteArray("Shop"));
        QCOMPARE(t.refs.mid(0, 9), (QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 0}));
        QCOMPARE(t.self, 4);
        QCOMPARE(contentAt(14).item, QByteArray("item8"));
        QCOMPARE(contentAt(14).parent, 4);
        QCOMPARE(contentAt(14).self, 14);
        QCOMPARE(contentAt(7).output, QByteArray("0"));
        QCOMPARE(program->browse.rows(), 1 + 6 + 8);
        QCOMPARE(program->editContext.blockFirst, std::string("MainR1"));
        QCOMPARE(table().text(8, ecol::Child), std::string("14"));

        // Changed and saved over its records; an added row gets a record.
        type(2, ecol::Content, "changed");
        type(9, ecol::Item, "extra");
        click(label("Label1_2"));
        QCOMPARE(s().ChangeCount, 0);
        QCOMPARE(contentAt(8).text, QByteArray("changed"));
        QCOMPARE(contentAt(15).item, QByteArray("extra"));
        QCOMPARE(contentAt(15).parent, 4);
        QCOMPARE(titleAt(4).refs.mid(0, 10), (QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 0}));
        QCOMPARE(contents().size(), 15 * 146);
        QCOMPARE(program->browse.rows(), 1 + 6 + 9);
    }

    void keyboardEditThroughTheGridEditor() {
        openPage2(4, 6);
        grid()->setCurrentCell(4, ecol::Item);  // the input row
        grid()->edit(grid()->currentIndex());
        auto* editor = grid()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "Memo");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(table().rows(), 6);  // a new input row
        QCOMPARE(table().text(4, ecol::Item), std::string("Memo"));
        QCOMPARE(grid()->row(), 4);
        QCOMPARE(grid()->col(), ecol::Content);
        QCOMPARE(s().undo.top(), 2);
    }

    void duplicateTitleAnsweredBothWays() {
        openPage2();
        screen->titleBox()->setText("ａ");  // the same key as "A"
        emit screen->titleBox()->textEdited("ａ");
        type(1, ecol::Item, "ID");
        const QByteArray t0 = titles();
        messages->answers = {mk::AnswerNo};
        click(label("Label1_1"));
        QVERIFY(QString::fromStdString(messages->last().text).startsWith("新規保存の表題は"));
        QCOMPARE(screen->titleBox()->palette().color(QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(titles(), t0);
        messages->answers = {mk::AnswerYes, mk::AnswerYes};
        click(label("Label1_1"));
        QCOMPARE(titles().size(), 4 * 154);
        QCOMPARE(titleAt(4).text, QByteArray("\x82\x81"));
    }

    void menuAddsDeletesCutsAndPastes() {
        openPage2(4, 6);  // A
        QCOMPARE(table().rows(), 5);
        rightClick(2, ecol::Content);
        QVERIFY(screen->editMenu()->isVisible());
        QCOMPARE(grid()->row(), 2);
        QCOMPARE(grid()->col(), ecol::Content);

        menuItem(2);  // add a row at 2
        QCOMPARE(table().rows(), 6);
        QCOMPARE(table().text(2, ecol::Item), std::string());
        QCOMPARE(table().text(2, ecol::Number), std::string("3"));
        QCOMPARE(table().backColor(2, ecol::Item), mk::palette::LightCyan);
        QVERIFY(screen->editMenu()->isVisible());

        rightClick(3, ecol::Content);  // "a2": delete it
        menuItem(3);
        QCOMPARE(contentAt(2).item, kMark);
        QCOMPARE(titleAt(1).refs.mid(0, 3), (QList<int>{1, 3, 0}));
        QCOMPARE(titles().size(), 3 * 154);
        QCOMPARE(table().rows(), 5);
        QCOMPARE(table().text(3, ecol::Item), std::string("URL"));

        rightClick(1, ecol::Content);  // cut "a1" and paste it into the new row
        menuItem(5);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("a1"));
        QCOMPARE(table().text(1, ecol::Content), std::string());
        QCOMPARE(table().backColor(1, ecol::Content), mk::palette::LightRed);
        rightClick(2, ecol::Content);
        menuItem(6);
        QCOMPARE(table().text(2, ecol::Content), std::string("a1"));
        QCOMPARE(table().backColor(1, ecol::Content), mk::palette::White);
        QCOMPARE(s().ChangeCount, 4);  // add, delete, cut, paste

        // The added row is stored by 修正保存 as a new row of the entry.
        click(label("Label1_2"));
        // The record freed a moment ago is the lowest free one: reused.
        QCOMPARE(titleAt(1).refs.mid(0, 4), (QList<int>{1, 2, 3, 0}));
        QCOMPARE(contentAt(2).text, QByteArray("a1"));
        QCOMPARE(contentAt(2).item, QByteArray());
        QCOMPARE(contentAt(2).parent, 1);
        QCOMPARE(contentAt(1).text, QByteArray());

        // Esc hides the menu; it comes back where it was.
        const QPoint at = screen->editMenu()->pos();
        QTest::keyClick(screen->editMenu()->list(), Qt::Key_Escape);
        QVERIFY(!screen->editMenu()->isVisible());
        rightClick(1, 1);
        QCOMPARE(screen->editMenu()->pos(), at);
        // Dragging by the frame moves it by the mouse's way.
        mk::gui::EditMenu* menu = screen->editMenu();
        click(menu, Qt::LeftButton, QPoint(10, 4));
        moveOver(menu, QPoint(30, 14), Qt::LeftButton);
        QCOMPARE(menu->pos(), at + QPoint(20, 10));
        QCOMPARE(lastHelp(), QString("この部分をドラッグでメニューを移動出来ます。"));
        moveOver(menu->list()->viewport(), QPoint(5, 16));  // 240 twips: item 2
        QCOMPARE(lastHelp(), QString("行を追加します。クリックすると表示の機能を実行します。　　"));
        menuItem(1);
        QVERIFY(!menu->isVisible());
    }

    void elevenEditsAndTheUndoRedoWalk() {
        openPage2(4, 6);
        for (int i = 1; i <= 11; ++i) type(1, ecol::Content, QString("e%1").arg(i));
        QCOMPARE(s().undo.top(), 10);
        auto* undo = screen->findChild<QPushButton*>("Command2_1");
        auto* redo = screen->findChild<QPushButton*>("Command2_2");
        for (int i = 0; i < 10; ++i) undo->click();
        QCOMPARE(s().undo.current(), 1);
        QCOMPARE(table().text(1, ecol::Content), std::string("e2"));
        QCOMPARE(table().text(4, ecol::Parent), std::string());  // the input row has none
        redo->click();
        QCOMPARE(table().text(1, ecol::Content), std::string("e3"));

        // The indicator: box 2 current (light cyan), box 3 stored.
        QWidget* indicator = screen->findChild<QWidget*>("Picture2");
        const QImage img = indicator->grab().toImage();
        const double sx = indicator->width() / 10.4;
        const int y = indicator->height() * 0.6;
        QCOMPARE(QColor(img.pixel(int((2 - 0.8 + 0.5) * sx), y)), QColor(0, 255, 255));
        QCOMPARE(QColor(img.pixel(int((3 - 0.8 + 0.5) * sx), y)), QColor(192, 255, 255));
        // ChangeCount counts edits, not undo steps.
        QCOMPARE(s().ChangeCount, 11 + 10);  // undo steps that moved count too
        QCOMPARE(label("Label2")->text(), QString("Undo"));
    }

    void deleteTitlesInTheMiddleAndAtTheEnd() {
        openPage2(2, 3);  // B, title record 2 of 3
        rightClick(1, ecol::Item);
        messages->answers = {mk::AnswerYes};
        menuItem(7);
        QVERIFY(!screen->isVisible());
        QVERIFY(window->browseWindow()->isVisible());
        QCOMPARE(window->browseWindow()->counter()->text(), QString("-*-"));
        QVERIFY(window->captionLook(1).bold);  // the menu marks the page shown
        QVERIFY(!window->captionLook(2).bold);
        QCOMPARE(titles().size(), 3 * 154);
        QVERIFY(titleAt(2).zero);
        QCOMPARE(contentAt(4).item, kMark);
        QCOMPARE(contentAt(5).output, QByteArray("0"));
        QCOMPARE(program->browse.rows(), 1 + 4);

        openPage2(1, 1);  // C, the last title record
        rightClick(1, ecol::Item);
        messages->answers = {mk::AnswerYes};
        menuItem(7);
        QCOMPARE(titles().size(), 2 * 154);
        QCOMPARE(contentAt(6).item, kMark);
        QCOMPARE(program->browse.rows(), 1 + 3);
        QCOMPARE(titleAt(1).refs.mid(0, 3), (QList<int>{1, 2, 3}));
    }

    // Text typed into a cell and not yet committed counts for every command:
    // it is committed as Enter would commit it before the command runs.
    void everyCommandCommitsTheOpenEditorFirst() {
        QWidget* undo = screen->findChild<QPushButton*>("Command2_1");
        QWidget* redo = screen->findChild<QPushButton*>("Command2_2");
        const auto lastText = [this] { return QString::fromStdString(messages->last().text); };
        struct Case {
            const char* name;
            std::function<void()> press;
            std::deque<int> answers;
            std::function<void()> check;
        };
        const Case cases[] = {
            {"修正保存", [&] { QTest::mouseClick(label("Label1_2"), Qt::LeftButton); }, {},
             [&] {
                 QCOMPARE(contentAt(1).text, QByteArray("typed"));
                 QCOMPARE(s().ChangeCount, 0);
             }},
            {"新規登録", [&] { QTest::mouseClick(label("Label1_1"), Qt::LeftButton); },
             {mk::AnswerYes, mk::AnswerYes},  // the duplicate title "A", then go
             [&] {
                 QCOMPARE(titleAt(4).refs.mid(0, 4), (QList<int>{7, 8, 9, 0}));
                 QCOMPARE(contentAt(7).text, QByteArray("typed"));
                 QCOMPARE(contentAt(1).text, QByteArray("a1"));
             }},
            {"消去", [&] { QTest::mouseClick(label("Label1_3"), Qt::LeftButton); }, {mk::AnswerYes},
             [&] {
                 QVERIFY(lastText().startsWith("現在表示されているデータをクリアします。"));
                 QCOMPARE(s().undo.top(), 2);
                 QCOMPARE(s().undo.text(2, 1, ecol::Content), std::string("typed"));
                 QCOMPARE(s().ChangeCount, 1);
             }},
            {"戻る", [&] { QTest::mouseClick(label("Label1_4"), Qt::LeftButton); }, {mk::AnswerNo},
             [&] {
                 QVERIFY(lastText().startsWith("修正または入力されたデータは保存されていません。"));
                 QVERIFY(!screen->isVisible());
                 QCOMPARE(contentAt(1).text, QByteArray("a1"));
             }},
            {"undo", [&] { QTest::mouseClick(undo, Qt::LeftButton); }, {},
             [&] {
                 QCOMPARE(table().text(1, ecol::Content), std::string("a1"));
                 QCOMPARE(s().undo.current(), 1);
                 QCOMPARE(s().undo.top(), 2);
                 QCOMPARE(s().ChangeCount, 2);  // the edit and the undo
             }},
            {"redo", [&] { QTest::mouseClick(redo, Qt::LeftButton); }, {},
             [&] {
                 QCOMPARE(table().text(1, ecol::Content), std::string("typed"));
                 QCOMPARE(s().undo.current(), 2);
             }},
            {"④セルをコピー", [&] { menuItem(4); }, {},
             [&] {
                 QCOMPARE(QGuiApplication::clipboard()->text(), QString("typed"));
                 QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(
                     "x-kde-passwordManagerHint"));
                 QCOMPARE(s().undo.top(), 3);  // the edit's level, then the copy's
             }},
        };
        for (const Case& c : cases) {
            s().ChangeCount = 0;  // the last case's work is dropped unasked
            writeThree();
            openPage2(4, 6);  // A: ID a1, PW a2, URL a3
            if (QString(c.name).startsWith("④")) rightClick(1, ecol::Content);  // the menu first
            QVERIFY2(typeOpen(1, ecol::Content, "typed"), c.name);
            messages->answers = c.answers;
            const std::size_t asked = messages->messages.size();
            c.press();
            QVERIFY2(!c.answers.empty() || messages->messages.size() == asked, c.name);
            QVERIFY2(messages->answers.empty(), c.name);
            c.check();
            if (QTest::currentTestFailed()) qWarning("case %s", c.name);
        }
        // What the main window runs before a page switch.
        openPage2(4, 6);
        s().ChangeCount = 0;
        QVERIFY(typeOpen(2, ecol::Item, "key"));
        QVERIFY(screen->commitOpenEdit());
        QCOMPARE(table().text(2, ecol::Item), std::string("key"));
        QCOMPARE(s().ChangeCount, 1);
        QCOMPARE(grid()->col(), ecol::Content);
        QVERIFY(!screen->commitOpenEdit());
    }

    // The screen opens the whole entry of the clicked browse row, wherever its
    // rows stand after a sort, and only that entry when titles repeat.
    void opensTheWholeEntryOfTheClickedRow() {
        writeFiles(title("A", {1, 2}, 1) + title("B", {3, 4}, 2),
                   content("ID", "a-id", 1, 1) + content("URL", "a-url", 1, 2) +
                       content("ID", "b-id", 2, 3) + content("PW", "b-pw", 2, 4));
        window->頁切換(1);
        mk::gui::GridView* browse = window->browseWindow()->grid();
        QHeaderView* header = browse->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(3) + header->sectionSize(3) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);  // sort by 項目
        int urlRow = 0;
        for (int r = 1; r < program->browse.rows(); ++r)
            if (program->browse.text(r, 3) == "URL") urlRow = r;
        QVERIFY(urlRow > 1);
        QVERIFY(program->browse.text(urlRow - 1, 1) != "A");  // A's rows are apart
        QTest::mouseClick(browse->viewport(), Qt::LeftButton, {}, cellCenter(browse, urlRow, 3));
        QCOMPARE(program->editContext.currentRow, urlRow);

        window->頁切換(2);
        QCOMPARE(screen->titleBox()->text(), QString("A"));
        QCOMPARE(table().rows(), 4);
        QCOMPARE(table().text(1, ecol::Item), std::string("ID"));
        QCOMPARE(table().text(2, ecol::Content), std::string("a-url"));
        QCOMPARE(table().text(2, ecol::Number), std::string("2"));
        QCOMPARE(table().text(2, ecol::Parent), std::string("1"));
        QCOMPARE(table().text(2, ecol::Child), std::string("2"));
        QTest::mouseClick(label("Label1_2"), Qt::LeftButton);
        QCOMPARE(titleAt(1).refs.mid(0, 3), (QList<int>{1, 2, 0}));
        QCOMPARE(titleAt(2).refs.mid(0, 3), (QList<int>{3, 4, 0}));
        // Nothing lost, nothing moved.
        QCOMPARE(contents().size(), 4 * 146);
        const QByteArray texts[5] = {"", "a-id", "a-url", "b-id", "b-pw"};
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(contentAt(k).text, texts[k]);
            QCOMPARE(contentAt(k).parent, k <= 2 ? 1 : 2);
            QCOMPARE(contentAt(k).self, k);
        }

        // Two adjacent entries with one title: the clicked row's entry only.
        writeFiles(title("S", {1, 2}, 1) + title("S", {3}, 2),
                   content("ID", "s1", 1, 1) + content("PW", "s2", 1, 2) + content("ID", "t1", 2, 3));
        window->頁切換(1);
        QTest::mouseClick(browse->viewport(), Qt::LeftButton, {}, cellCenter(browse, 3, 4));
        window->頁切換(2);
        QCOMPARE(table().rows(), 4);
        QCOMPARE(table().text(2, ecol::Content), std::string("s2"));
        QCOMPARE(table().text(1, ecol::Parent), std::string("1"));
    }

    // Nothing typed or stored is lost or changed without the user's word:
    // each case runs a user's steps on entry A (ID a1, PW a2, URL a3; B and
    // C beside it) and reads the files back.
    void dataSafetyFlows() {
        const auto undoButton = [this] { return screen->findChild<QPushButton*>("Command2_1"); };
        const auto askedSince = [this](std::size_t mark) {
            QStringList texts;
            for (std::size_t i = mark; i < messages->messages.size(); ++i)
                texts << QString::fromStdString(messages->messages[i].text).section('\r', 0, 0);
            return texts;
        };
        const QString notSaved = "修正または入力されたデータは保存されていません。";
        const auto pair = [this] {
            return mk::test::readPair(dataPath(mk::kTitleFileName).toStdString(),
                                      dataPath(mk::kContentFileName).toStdString());
        };
        struct Case {
            const char* name;
            std::function<void()> run;
        };
        const Case cases[] = {
            {"undo, then 修正保存 stores no blank rows", [&] {
                 type(4, ecol::Item, "new");
                 undoButton()->click();
                 QCOMPARE(table().text(5, ecol::Parent), std::string());
                 click(label("Label1_2"));
                 QCOMPARE(titleAt(1).refs.mid(0, 4), (QList<int>{1, 2, 3, 0}));
                 QCOMPARE(contents().size(), 6 * 146);
             }},
            {"消去, then 新規登録 stores the typed rows only", [&] {
                 messages->answers = {mk::AnswerYes};
                 click(label("Label1_3"));
                 QTest::keyClicks(screen->titleBox(), "New");
                 type(1, ecol::Item, "K");
                 type(2, ecol::Content, "V");
                 messages->answers = {mk::AnswerYes};
                 click(label("Label1_1"));
                 QCOMPARE(titleAt(4).refs.mid(0, 3), (QList<int>{7, 8, 0}));
                 QCOMPARE(contentAt(8).text, QByteArray("V"));
                 QCOMPARE(table().rows(), 3);
                 QCOMPARE(titleAt(1).refs.mid(0, 4), (QList<int>{1, 2, 3, 0}));
             }},
            {"消去, then ③ names the stored row first", [&] {
                 messages->answers = {mk::AnswerYes};
                 click(label("Label1_3"));
                 const QByteArray c0 = contents(), t0 = titles();
                 rightClick(2, ecol::Content);
                 messages->answers = {mk::AnswerNo};
                 const std::size_t mark = messages->messages.size();
                 menuItem(3);
                 QVERIFY(askedSince(mark).value(0).startsWith("この行を削除すると、保存されている"));
                 QVERIFY(QString::fromStdString(messages->last().text).contains("内容：a2"));
                 QCOMPARE(contents(), c0);
                 QCOMPARE(titles(), t0);
             }},
            {"every way off asks about unsaved work", [&] {
                 type(1, ecol::Content, "x");
                 messages->answers = {mk::AnswerYes};  // stay
                 QTest::mouseClick(window->caption(1), Qt::LeftButton);
                 QVERIFY(screen->isVisible());
                 QCOMPARE(window->captionLook(2).color, QColor(255, 255, 128));
                 messages->answers = {mk::AnswerYes};
                 window->close();  // the close box
                 QVERIFY(window->isVisible());
                 messages->answers = {mk::AnswerYes};
                 click(screen->findChild<QWidget*>("Picture1"), Qt::LeftButton, QPoint(3, 3));
                 QVERIFY(screen->isVisible());
                 messages->answers = {mk::AnswerNo};  // drop it
                 QTest::mouseClick(window->caption(3), Qt::LeftButton);
                 QVERIFY(!screen->isVisible());
                 QCOMPARE(contentAt(1).text, QByteArray("a1"));
                 // A fresh opening has nothing unsaved; a row command, undo and
                 // a refused save leave work that 戻る asks about.
                 const std::function<void()> changes[] = {
                     [&] { rightClick(1, 1); menuItem(2); },
                     [&] {
                         type(1, ecol::Content, "y");
                         click(label("Label1_2"));  // saved: nothing unsaved
                         undoButton()->click();
                     },
                     [&] {
                         type(1, ecol::Content, "z");
                         messages->answers = {mk::AnswerNo};  // the duplicate title "A"
                         click(label("Label1_1"));
                     },
                 };
                 for (const auto& change : changes) {
                     openPage2(4, 6);
                     QCOMPARE(s().ChangeCount, 0);
                     change();
                     messages->answers = {mk::AnswerYes};
                     const std::size_t mark = messages->messages.size();
                     click(label("Label1_4"));
                     QVERIFY(askedSince(mark).contains(notSaved));
                     QVERIFY(screen->isVisible());
                     messages->answers = {mk::AnswerNo};
                     click(label("Label1_4"));
                     QVERIFY(!screen->isVisible());
                 }
                 QCOMPARE(titles().size(), 3 * 154);
             }},
            {"a refused 修正保存 leaves the table as it was", [&] {
                 type(4, ecol::Item, "<削除<");
                 click(label("Label1_2"));
                 QCOMPARE(QString::fromStdString(messages->last().text),
                          QString::fromUtf8(mk::kFreeMarkMessage));
                 QCOMPARE(table().text(4, ecol::Parent), std::string());
                 rightClick(4, ecol::Item);
                 menuItem(3);
                 QCOMPARE(QString::fromStdString(messages->last().text),
                          QString("追加入力用の行は削除出来ません。    "));
                 QVERIFY(s().ChangeCount > 0);
             }},
            {"an entry holds at most 50 rows", [&] {
                 QList<int> refs;
                 QByteArray rows;
                 for (int k = 1; k <= 50; ++k) {
                     refs << k;
                     rows += content("I", QByteArray::number(k), 1, k);
                 }
                 writeFiles(title("Full", refs, 1), rows);
                 openPage2(1, 50);
                 QCOMPARE(table().rows(), 51);  // no input row past the 50th
                 rightClick(3, ecol::Item);
                 menuItem(2);
                 QVERIFY(QString::fromStdString(messages->last().text).startsWith("1つの表題に登録出来るのは50行までです。"));
                 QCOMPARE(table().rows(), 51);
                 type(50, ecol::Content, "last");
                 QCOMPARE(table().rows(), 51);
                 click(label("Label1_2"));
                 QCOMPARE(contentAt(50).text, QByteArray("last"));
                 QCOMPARE(table().rows(), 51);
             }},
            {"text the files cannot hold is asked about, then shown as stored", [&] {
                 openPage2();
                 typeText(screen->titleBox(), QString::fromUtf8("𠮷野家"));
                 type(1, ecol::Item, QString::fromUtf8("한글"));
                 type(1, ecol::Content, QString(95, 'x'));
                 const std::size_t mark = messages->messages.size();
                 messages->answers = {mk::AnswerNo};
                 click(label("Label1_1"));
                 const QString asked = QString::fromStdString(messages->messages.at(mark).text);
                 QVERIFY(asked.contains(QString::fromUtf8("𠮷한글")));
                 QVERIFY(asked.contains("1行目の内容"));
                 QCOMPARE(titles().size(), 3 * 154);
                 QVERIFY(s().ChangeCount > 0);
                 messages->answers = {mk::AnswerYes, mk::AnswerYes};
                 click(label("Label1_1"));
                 const mk::test::PairEntry stored = pair().at(3);
                 QCOMPARE(stored.title, mk::test::cp932Bytes("?野家"));
                 QCOMPARE(stored.rows.at(0).item, std::string("??"));
                 QCOMPARE(stored.rows.at(0).content, std::string(82, 'x'));
                 QCOMPARE(screen->titleBox()->text(), QString::fromUtf8("?野家"));
                 QCOMPARE(table().text(1, ecol::Item), std::string("??"));
             }},
            {"the generator's transfer asks, and undo stays with it", [&] {
                 type(1, ecol::Content, "mine");
                 window->openGenerator();
                 mk::gui::GeneratorScreen* gen = window->generatorScreen();
                 gen->titleBox()->setText("Site");
                 gen->lengthBox()->setText("8.5");
                 gen->button(1)->click();
                 QCOMPARE(gen->resultBox()->text().size(), 8);
                 QCOMPARE(gen->strengthLabel(1)->text(), QString("弱"));
                 messages->answers = {mk::AnswerYes};  // stay with the unsaved work
                 gen->button(2)->click();
                 QVERIFY(gen->isVisible());
                 QCOMPARE(table().text(1, ecol::Content), std::string("mine"));
                 messages->answers = {mk::AnswerNo};
                 gen->button(2)->click();
                 QVERIFY(!gen->isVisible());
                 QCOMPARE(screen->titleBox()->text(), QString("Site"));
                 undoButton()->click();
                 QCOMPARE(table().text(2, ecol::Item), std::string("パスワード"));
                 QCOMPARE(table().text(2, ecol::Content), gen->resultBox()->text().toStdString());
             }},
            {"no placeholder title, no title left without rows", [&] {
                 writeFiles(title("", {1}, 1) + title("C", {2}, 2),
                            content("ID", "e1", 1, 1) + content("ID", "c1", 2, 2));
                 openPage2(2, 2);
                 QCOMPARE(screen->titleBox()->text(), QString());
                 type(1, ecol::Content, "e2");
                 click(label("Label1_2"));
                 QCOMPARE(titleAt(1).text, QByteArray());
                 openPage2(1, 1);  // C, one row
                 rightClick(1, ecol::Item);
                 messages->answers = {mk::AnswerYes};
                 menuItem(3);
                 QVERIFY(titles().size() == 154 || titleAt(2).zero);
                 QCOMPARE(program->browse.rows(), 2);
                 // The title is free again: no duplicate question.
                 QCOMPARE(screen->titleBox()->text(), QString("C"));
                 type(1, ecol::Item, "ID");
                 messages->answers = {mk::AnswerYes};
                 const std::size_t mark = messages->messages.size();
                 click(label("Label1_1"));
                 QVERIFY(!askedSince(mark).value(0).startsWith("新規保存の表題は"));
                 QCOMPARE(program->browse.rows(), 3);
             }},
            {"a deleted row that undo brings back is stored nowhere", [&] {
                 rightClick(2, ecol::Content);  // "a2"
                 menuItem(3);
                 undoButton()->click();
                 QCOMPARE(table().text(2, ecol::Content), std::string("a2"));
                 const QByteArray c0 = contents(), t0 = titles();
                 rightClick(2, ecol::Content);
                 menuItem(3);  // its record is free: nothing to delete
                 QCOMPARE(QString::fromStdString(messages->last().text),
                          QString("追加入力用の行は削除出来ません。    "));
                 QCOMPARE(contents(), c0);
                 QCOMPARE(titles(), t0);
                 click(label("Label1_2"));  // saved as a new row of A
                 const mk::test::PairEntry a = pair().at(0);
                 QCOMPARE(a.rows.size(), std::size_t(3));
                 QCOMPARE(a.rows.at(1).content, std::string("a2"));
             }},
            {"an entry deleted with its last row is not saved over after undo", [&] {
                 writeFiles(title("C", {1}, 1), content("ID", "c1", 1, 1));
                 openPage2(1, 1);
                 rightClick(1, ecol::Item);
                 messages->answers = {mk::AnswerYes};
                 menuItem(3);
                 undoButton()->click();
                 const QByteArray c0 = contents(), t0 = titles();
                 click(label("Label1_2"));
                 QVERIFY(messages->last().text.rfind("親レコードが未設定です。", 0) == 0);
                 QCOMPARE(contents(), c0);
                 QCOMPARE(titles(), t0);
                 QVERIFY(s().ChangeCount > 0);
             }},
            {"a redo that changes the rows after a save is unsaved work", [&] {
                 rightClick(1, 1);
                 menuItem(2);  // its undo level holds the rows before the new one
                 click(label("Label1_2"));
                 QCOMPARE(s().ChangeCount, 0);
                 screen->findChild<QPushButton*>("Command2_2")->click();
                 QCOMPARE(table().text(1, ecol::Content), std::string("a1"));
                 QVERIFY(s().ChangeCount > 0);
             }},
            {"an input method's commit into a cell not being edited keeps every character", [&] {
                 QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                                   cellCenter(grid(), 1, ecol::Content));
                 grid()->setFocus();
                 QInputMethodEvent commit;
                 commit.setCommitString(QString::fromUtf8("銀行"));
                 QApplication::sendEvent(grid(), &commit);
                 QWidget* editor = grid()->indexWidget(grid()->currentIndex());
                 QVERIFY(editor);
                 QTest::keyClick(editor, Qt::Key_Return);
                 for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
                 QCOMPARE(QString::fromStdString(table().text(1, ecol::Content)),
                          QString::fromUtf8("銀行"));
             }},
            {"③ takes its row out of the browse table too", [&] {
                 rightClick(2, ecol::Content);
                 menuItem(3);
                 QCOMPARE(program->browse.rows(), 1 + 5);
                 for (int r = 1; r < program->browse.rows(); ++r)
                     QVERIFY(program->browse.text(r, 4) != "a2");
                 QCOMPARE(program->editContext.firstRow(), 4);
                 QCOMPARE(program->editContext.lastRow(), 5);
             }},
        };
        for (const Case& c : cases) {
            s().ChangeCount = 0;
            window->頁切換(1);
            window->generatorScreen()->hide();
            writeThree();
            openPage2(4, 6);  // A
            messages->answers.clear();
            c.run();
            [&] { QVERIFY2(messages->answers.empty(), c.name); }();  // the next case still runs
            if (QTest::currentTestFailed()) qWarning("case %s", c.name);
        }
    }

    void progressWindowIsAToolWindowOfTheMainWindow() {
        mk::gui::ProgressWindow* progress = window->progressWindow();
        QCOMPARE(progress->windowType(), Qt::Tool);
        QVERIFY(!(progress->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(progress->parentWidget(), window.get());
        progress->show();
        QCOMPARE(progress->windowHandle()->transientParent(), window->windowHandle());
    }

    void backClearTodayAndLooks() {
        openPage2(4, 6);
        // No edits: back without a question.
        click(label("Label1_4"));
        QVERIFY(messages->messages.empty());
        QVERIFY(!screen->isVisible());
        QVERIFY(window->browseWindow()->isVisible());

        openPage2(4, 6);
        type(1, ecol::Content, "x");
        messages->answers = {mk::AnswerYes};
        click(label("Label1_4"));
        QVERIFY(screen->isVisible());
        QCOMPARE(s().ChangeCount, 1);
        messages->answers = {mk::AnswerNo};
        click(label("Label1_4"));
        QVERIFY(!screen->isVisible());
        QCOMPARE(s().ChangeCount, 0);

        // The picture around "戻る" hides the screen, asking first about
        // unsaved work.
        openPage2(4, 6);
        type(1, ecol::Content, "y");
        const std::size_t asked = messages->messages.size();
        messages->answers = {mk::AnswerNo};
        click(screen->findChild<QWidget*>("Picture1"), Qt::LeftButton, QPoint(3, 3));
        QVERIFY(!screen->isVisible());
        QCOMPARE(messages->messages.size(), asked + 1);
        QCOMPARE(s().ChangeCount, 0);

        // 消去 empties items and contents, keeps the numbers; disk untouched.
        openPage2(4, 6);
        const QByteArray c0 = contents();
        messages->answers = {mk::AnswerYes};
        click(label("Label1_3"));
        QCOMPARE(table().text(2, ecol::Item), std::string());
        QCOMPARE(table().text(2, ecol::Child), std::string("2"));
        QCOMPARE(screen->titleBox()->text(), QString());
        QCOMPARE(screen->titleBox()->palette().color(QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(contents(), c0);
        // Now nothing to save.
        click(label("Label1_2"));
        QCOMPARE(QString::fromStdString(messages->last().text),
                 QString("データが未入力なので保存できません。\r  \r処理を中止します。\r  \r"));

        // 本日 into the current cell.
        openPage2(4, 6);
        grid()->setCurrentCell(2, ecol::Content);
        const int count = s().ChangeCount;  // kept across openings
        screen->findChild<QPushButton*>("Command1")->click();
        QCOMPARE(table().text(2, ecol::Content), mk::TodayText());
        QCOMPARE(s().ChangeCount, count + 1);
        QCOMPARE(label("Label4")->text(), QString::number(count + 1));

        // Hover and help texts.
        moveOver(label("Label1_2"));
        QCOMPARE(label("Label1_2")->palette().color(QPalette::WindowText), QColor(0, 255, 255));
        QVERIFY(label("Label1_2")->font().bold());
        QVERIFY(!label("Label1_1")->font().bold());
        QCOMPARE(lastHelp(), QString("現在のレコード番号で上書保存します。"));
        QCOMPARE(label("Label1_1")->text(), QString("\n新規登録"));
        emit grid()->gridMouseMove(0, 0, 3, ecol::Content);
        QCOMPARE(lastHelp(), QString("最後の行にデータ入力すると　自動で新しい行が追加されます。内容は全角40文字まで入力出来ます。"));
        QCOMPARE(label("Label3")->text(), QString("2"));
        emit grid()->gridMouseMove(0, 0, 7, ecol::Item);
        QCOMPARE(lastHelp(), QString("最後の行にデータ入力すると　自動で新しい行が追加されます。"));
        emit grid()->gridMouseMove(0, 0, 2, 3);
        QCOMPARE(lastHelp(), QString());

        // A disabled "修正保存" does nothing; the resize rule.
        screen->setCommandEnabled(2, false);
        const std::size_t before = messages->messages.size();
        click(label("Label1_2"));
        QCOMPARE(messages->messages.size(), before);
        // One resize moves both sides; a side that does not fit keeps its size.
        screen->resize(900, 700);
        QCOMPARE(grid()->size(), QSize(900 - 8 - 46, 700 - 144 - 46));
        screen->resize(1000, 150);
        QCOMPARE(grid()->size(), QSize(1000 - 8 - 46, 700 - 144 - 46));
    }
};

QTEST_MAIN(TestEditScreen)
#include "test_edit_screen.moc"
