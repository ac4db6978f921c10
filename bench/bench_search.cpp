// Search (B2), narrowing (B3), "全データ表示" (B4) and header sort (B5) on
// the 32,767-row data set and on 8,192 rows (figures ending in _8k).
//
// Prints, one line each (medians, milliseconds):
//   search_core_ms        a new search (unmark, search, hide) on the table alone
//   search_core_cold_ms   the same, first search after a load (keys not cached yet)
//   search_floor_ms       the floor: memmem over the three searched columns,
//                         normalised beforehand; search_ratio = core / floor
//   narrow_core_ms        a narrowing search after it, on the table alone
//   search_view_ms        "検索" pressed in the window until the window has painted
//   mode_switch_view_ms   a click on the other display mode until painted
//   show_all_ms           "全データ表示" after a search until painted
//   sort_view_ms          a header click until painted
//   sort_core_ms          the table's own sort, nothing painted
//   sort_floor_ms         the floor: std::stable_sort of the row indexes by
//                         the column's texts, taken beforehand; sort_ratio
//                         (painted) and sort_core_ratio over it
//   timer_tick_view_ms    the current-cell timer's repaint of the whole table
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

#include <string.h>

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
#include "bench/support/gui_bench.h"
#include "core/app/program.h"
#include "core/browse/grid_actions.h"
#include "core/browse/search.h"
#include "core/browse/search_commands.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/text.h"
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

using mk::bench::BenchShell;

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

// What the search cannot do without: one memmem per searched cell over
// texts already normalised.
double searchFloorMs(const mk::GridTable& table, const std::string& keyword) {
    std::vector<std::string> keys;
    for (int r = 1; r < table.rows(); ++r)
        for (int c : {mk::bcol::Title, mk::bcol::Item, mk::bcol::Content})
            keys.push_back(mk::CompareKey(table.text(r, c)));
    const std::string key = mk::CompareKey(keyword);
    std::size_t hits = 0;
    const double ms = mk::bench::medianMs(kRuns, [&] {
        hits = 0;
        for (const std::string& k : keys)
            hits += memmem(k.data(), k.size(), key.data(), key.size()) != nullptr;
    });
    if (hits == 0) std::fprintf(stderr, "bench_search: the floor found nothing\n");
    return ms;
}

// What a sort cannot do without: a stable sort of the row indexes by a key
// computed beforehand.
double sortFloorMs(const mk::GridTable& table, int col) {
    std::vector<std::string> keys;
    for (int r = 1; r < table.rows(); ++r) keys.push_back(table.text(r, col));
    std::vector<int> order(keys.size());
    return mk::bench::medianMs(kRuns, [&] {
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return keys[a] < keys[b]; });
    });
}

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    mk::Program program(folder.path());
    writeDataSet(program.store, size);
    program.reload();
    if (program.browse.rows() != size.contents + 1) {
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
    const double searchFloor = searchFloorMs(table, "楽天");
    const double sortFloor = sortFloorMs(table, mk::bcol::Item);
    bool up = true;
    const double sortCore = medianMs(kRuns, [&] {
        table.sortByColumn(mk::bcol::Item, up);
        up = !up;
    });
    program.reload();

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
    auto* showAllButton = window.findChild<QLabel*>("Label1_4");
    auto* titles = window.findChild<QRadioButton*>("Option1_1");
    auto* rowsOnly = window.findChild<QRadioButton*>("Option1_2");
    QHeaderView* header = window.grid()->horizontalHeader();
    const QPoint itemHeader(header->sectionViewportPosition(mk::bcol::Item) + 20,
                            header->height() / 2);

    std::vector<double> viewSearches, switches, showAlls, sorts;
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
        showAlls.push_back(timeMs([&] {
            press(showAllButton);
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
    const double tick = medianMs(kRuns, [&] {
        mk::paintCurrentCell(table, program.editContext);
        settle(&window);
    });

    std::fprintf(stderr, "bench_search%s: core result %s, narrowed %s, window counter %s\n", suffix,
                 searched.c_str(), narrowed.c_str(),
                 window.counter()->text().toStdString().c_str());

    const double search = median(searches);
    const double sort = median(sorts);
    printFigure("search_core_ms", suffix, search);
    printFigure("search_core_cold_ms", suffix, cold);
    printFigure("search_floor_ms", suffix, searchFloor);
    printRatio("search_ratio", suffix, search, searchFloor);
    printFigure("narrow_core_ms", suffix, median(narrows));
    printFigure("search_view_ms", suffix, median(viewSearches));
    printFigure("mode_switch_view_ms", suffix, median(switches));
    printFigure("show_all_ms", suffix, median(showAlls));
    printFigure("sort_view_ms", suffix, sort);
    printFigure("sort_core_ms", suffix, sortCore);
    printFigure("sort_floor_ms", suffix, sortFloor);
    printRatio("sort_ratio", suffix, sort, sortFloor);
    printRatio("sort_core_ratio", suffix, sortCore, sortFloor);
    printFigure("timer_tick_view_ms", suffix, tick);
    return status;
}

}  // namespace

int main(int argc, char** argv) { return mk::bench::runWithScreens(argc, argv, run); }
