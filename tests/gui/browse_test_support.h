#pragma once
// A browse window over a data set in a temporary folder, with a scripted
// message service and a shell that records what the window asks of it.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "gui/app/grid_view.h"
#include "gui/app/shell.h"
#include "gui/browse/browse_window.h"

namespace browse_test {

struct Row {
    std::string item, content, output = "2";
};
struct Entry {
    std::string title;
    std::vector<Row> rows;
    int16_t status = 0;
};

// Title record t holds entries[t - 1]; content records are numbered in
// order. The last entry is shown first.
inline void writeEntries(mk::DataStore& store, const std::vector<Entry>& entries) {
    std::string titles, contents;
    int content = 0;
    for (std::size_t t = 0; t < entries.size(); ++t) {
        mk::TitleRecord title;
        title.表題 = entries[t].title;
        title.自分Rec = int16_t(t + 1);
        title.Status = entries[t].status;
        for (std::size_t i = 0; i < entries[t].rows.size(); ++i) {
            ++content;
            title.子Rec[i] = int16_t(content);
            mk::ContentRecord record;
            record.出力 = entries[t].rows[i].output;
            record.項目 = entries[t].rows[i].item;
            record.内容 = entries[t].rows[i].content;
            record.親Rec = int16_t(t + 1);
            record.自分Rec = int16_t(content);
            contents += record.toBytes();
        }
        titles += title.toBytes();
    }
    store.replacePair(titles, contents);
}

// The centre of a table cell in the grid's viewport, scrolled into view.
inline QPoint cellCenter(mk::gui::GridView* grid, int tableRow, int col) {
    const QModelIndex index = grid->model()->index(grid->viewRowOf(tableRow), col);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

// A press and release on a header section: the header sorts on the press.
inline void clickHeader(mk::gui::GridView* grid, int col) {
    QHeaderView* header = grid->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, at);
}

struct FakeShell : mk::gui::Shell {
    mk::gui::BrowseWindow* browse = nullptr;
    std::vector<QString> help;
    void 頁切換(int) override {}
    void highlightMenu(int) override {}
    void showBrowseScreen() override {}
    QWidget* mainWindow() override { return browse; }
    void hideEditScreen() override {}
    void setBrowseCounter(const QString&) override {}
    void reloadBrowse() override { if (browse) browse->reload(); }
    void reloadBrowseAfterWrites() override { if (browse) browse->reload(mk::gui::BrowseWindow::OnlyWritten); }
    void setMouseHelp(const QString& text) override { help.push_back(text); }
};

// Everything one test needs; made fresh for each test function.
struct Harness {
    QTemporaryDir dir;
    mk::ScriptedMessages messages;
    std::unique_ptr<mk::Program> program;
    FakeShell shell;
    std::unique_ptr<mk::gui::BrowseWindow> window;

    explicit Harness(const std::vector<Entry>& entries) {
        program = std::make_unique<mk::Program>(dir.path().toStdString() + "/");
        writeEntries(program->store, entries);
        window = std::make_unique<mk::gui::BrowseWindow>(*program, shell);
        shell.browse = window.get();
        window->resize(1000, 640);
        window->reload();
        window->show();
        QApplication::processEvents();
    }
    ~Harness() { window.reset(); }

    mk::GridTable& table() { return program->browse; }
    mk::gui::GridView* grid() { return window->grid(); }
    template <class T = QWidget>
    T* child(const char* name) { return window->findChild<T*>(QString::fromUtf8(name)); }
    QLineEdit* box() { return window->searchBox(); }
    QString counter() { return window->counter()->text(); }

    // Rows the view shows, as table rows.
    std::vector<int> shownRows() {
        std::vector<int> rows;
        for (int r = 0; r < grid()->model()->rowCount(); ++r) rows.push_back(grid()->tableRowOf(r));
        return rows;
    }
    QRect cellRect(int tableRow, int col) {
        return grid()->visualRect(grid()->model()->index(grid()->viewRowOf(tableRow), col));
    }
    void press(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(widget, button, {}, widget->rect().center());
        QTest::mouseRelease(widget, button, {}, widget->rect().center());
    }
    void clickCell(int tableRow, int col) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellRect(tableRow, col).center());
    }
    void clickHeader(int col) { browse_test::clickHeader(grid(), col); }
    void hover(QWidget* widget, QPoint at = {2, 2}) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    void search(const char* keyword, const char* button = "Label1_1") {
        box()->setText(QString::fromUtf8(keyword));
        press(child<QLabel>(button));
    }
    std::string readFile(const std::string& path) {
        QFile file(QString::fromStdString(path));
        file.open(QIODevice::ReadOnly);
        return file.readAll().toStdString();
    }
};

}  // namespace browse_test
