// Search, narrowing, display-mode switch and header sort on the 32,767-row
// data set (3,000 entries, the same data set as the load benchmark).
//
// Prints, one line each (medians, milliseconds):
//   search_core_ms        a new search (unmark, search, hide) on the table alone
//   search_core_cold_ms   the same, first search after a load (keys not cached yet)
//   narrow_core_ms        a narrowing search after it, on the table alone
//   search_view_ms        "検索" pressed in the window until the window has painted
//   mode_switch_view_ms   a click on the other display mode until painted
//   sort_view_ms          a header click until painted
//   timer_tick_view_ms    the current-cell timer's repaint of the whole table
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/dataset.h"
#include "core/app/program.h"
#include "core/browse/grid_actions.h"
#include "core/browse/search.h"
#include "core/browse/search_commands.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "gui/app/grid_view.h"
#include "gui/app/qt_messages.h"
#include "gui/app/shell.h"
#include "gui/browse/browse_window.h"

namespace {

constexpr int kRuns = 9;

struct CoreView : mk::SearchView {
    std::string box;
    int mode = mk::HitTitles;
    std::string counter;
    std::string keyword() const override { return box; }
    void setKeyword(const std::string& text) override { box = text; }
    int displayMode() const override { return mode; }
    void setCounter(const std::string& caption) override { counter = caption; }
    void setTableVisible(bool) override {}
};

struct BenchShell : mk::gui::Shell {
    mk::gui::BrowseWindow* browse = nullptr;
    void 頁切換(int) override {}
    void highlightMenu(int) override {}
    void showBrowseScreen() override {}
    QWidget* mainWindow() override { return browse; }
    void hideEditScreen() override {}
    void setBrowseCounter(const QString&) override {}
    void reloadBrowse() override {}
    void setMouseHelp(const QString&) override {}
};

void mouse(QWidget* widget, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget* widget) {
    mouse(widget, QEvent::MouseButtonPress, widget->rect().center());
    mouse(widget, QEvent::MouseButtonRelease, widget->rect().center());
}

// Until the window has painted what changed: with the window shown, the
// pending update requests paint it into its backing store.
void settle(QWidget* window) {
    (void)window;
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    using namespace mk::bench;
    int status = 0;
    {
        TempFolder folder;
        mk::Program program(folder.path());
        writeDataSet(program.store);
        program.reload();
        if (program.browse.rows() != DataSetSize{}.contents + 1) {
            std::fprintf(stderr, "bench_search: loaded %d rows\n", program.browse.rows());
            status = 1;
        }

        // ---- the core alone ----
        mk::GridTable& table = program.browse;
        CoreView view;
        mk::SearchKeyCache cache;
        auto newSearch = [&](const char* keyword) {
            view.box = keyword;
            mk::runSearchCommand(mk::SearchCommand::Search, table, view, &cache, {});
        };
        const double cold = timeMs([&] { newSearch("楽天"); });
        std::vector<double> searches, narrows;
        for (int run = 0; run < kRuns; ++run) {
            searches.push_back(timeMs([&] { newSearch("楽天"); }));
            view.box = "0120";
            narrows.push_back(timeMs(
                [&] { mk::runSearchCommand(mk::SearchCommand::Narrow, table, view, &cache, {}); }));
        }
        const std::string narrowed = view.counter;
        newSearch("楽天");
        const std::string searched = view.counter;
        mk::resetSearchMarks(table);

        // The window lets events run while it searches, as the program does.
        mk::gui::QtMessages messages;

        // ---- the window, offscreen ----
        BenchShell shell;
        mk::gui::BrowseWindow window(program, shell);
        shell.browse = &window;
        window.resize(1000, 640);
        window.reload();
        window.show();
        settle(&window);

        auto* searchButton = window.findChild<QLabel*>("Label1_1");
        auto* titles = window.findChild<QRadioButton*>("Option1_1");
        auto* rowsOnly = window.findChild<QRadioButton*>("Option1_2");
        QHeaderView* header = window.grid()->horizontalHeader();
        const QPoint itemHeader(header->sectionViewportPosition(mk::bcol::Item) + 20,
                                header->height() / 2);

        std::vector<double> viewSearches, switches, sorts;
        for (int run = 0; run < kRuns; ++run) {
            window.searchBox()->setText("楽天");
            viewSearches.push_back(timeMs([&] {
                press(searchButton);
                settle(&window);
            }));
            QRadioButton* other = run % 2 ? titles : rowsOnly;
            switches.push_back(timeMs([&] {
                other->click();
                settle(&window);
            }));
            sorts.push_back(timeMs([&] {
                mouse(header->viewport(), QEvent::MouseButtonPress, itemHeader);
                settle(&window);
            }));
            mouse(header->viewport(), QEvent::MouseButtonRelease, itemHeader);
        }
        // The 500 ms current-cell timer's work, with a full table shown.
        mk::runSearchCommand(mk::SearchCommand::ShowAll, table, view, nullptr,
                             [&] { window.reload(); });
        settle(&window);
        program.editContext.currentRow = 3;
        program.editContext.currentCol = 3;
        std::vector<double> ticks;
        for (int run = 0; run < kRuns; ++run) {
            ticks.push_back(timeMs([&] {
                mk::paintCurrentCell(table, program.editContext);
                settle(&window);
            }));
        }

        std::fprintf(stderr, "bench_search: core result %s, narrowed %s, window counter %s\n",
                     searched.c_str(), narrowed.c_str(),
                     window.counter()->text().toStdString().c_str());

        std::printf("search_core_ms %.2f\n", median(searches));
        std::printf("search_core_cold_ms %.2f\n", cold);
        std::printf("narrow_core_ms %.2f\n", median(narrows));
        std::printf("search_view_ms %.2f\n", median(viewSearches));
        std::printf("mode_switch_view_ms %.2f\n", median(switches));
        std::printf("sort_view_ms %.2f\n", median(sorts));
        std::printf("timer_tick_view_ms %.2f\n", median(ticks));
    }
    return status;
}
