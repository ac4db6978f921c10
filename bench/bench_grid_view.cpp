// The browse grid itself, in the shown browse window over the data set
// (32,767 rows, and 8,192 for the figures ending in _8k), offscreen.
//
// Prints, one line each (milliseconds):
//   scroll_frame_ms       scrolling the grid a page at a time through 50
//                         pages: one page step of the scroll bar until the
//                         window has painted, median over the frames
//   scroll_frame_max_ms   the slowest of those frames
//   scroll_floor_ms       the floor: repainting the same screen unchanged;
//                         scroll_ratio = frame / floor
//   grid_attach_ms        handing the loaded table to a new grid until painted
//   grid_hide_half_ms     hiding every other row, painted
//   grid_show_rows_ms     showing them all again, painted
//   grid_color_all_ms     colouring every data cell, painted
#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

#include "bench/support/dataset.h"
#include "bench/support/gui_bench.h"
#include "core/app/program.h"
#include "core/store/grid_table.h"
#include "gui/app/grid_view.h"
#include "gui/app/qt_messages.h"
#include "gui/app/shell.h"
#include "gui/browse/browse_window.h"

namespace {

constexpr int kPages = 50;
constexpr int kRuns = 5;

using mk::bench::BenchShell;

// With the window shown, the pending update requests paint it.
void settle() { QApplication::processEvents(); }

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    mk::Program program(folder.path());
    writeDataSet(program.store, size);
    program.reload();
    mk::gui::QtMessages messages;

    BenchShell shell;
    mk::gui::BrowseWindow window(program, shell);
    shell.browse = &window;
    window.resize(1000, 640);
    window.reload();
    window.show();
    settle();
    mk::gui::GridView* grid = window.grid();
    QScrollBar* bar = grid->verticalScrollBar();

    // Two passes over 50 pages from the top; the first warms the caches.
    std::vector<double> frames;
    for (int pass = 0; pass < 2; ++pass) {
        bar->setValue(0);
        settle();
        if (pass) frames.clear();
        for (int page = 0; page < kPages; ++page)
            frames.push_back(timeMs([&] {
                bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                settle();
            }));
    }
    if (grid->topRow() <= 1) {
        std::fprintf(stderr, "bench_grid_view%s: the grid did not scroll\n", suffix);
        status = 1;
    }
    const double frame = median(frames);
    const double slowest = *std::max_element(frames.begin(), frames.end());
    const double floor = medianMs(kPages, [&] {
        grid->viewport()->update();
        settle();
    });

    mk::GridTable& table = program.browse;
    std::vector<int> flags(table.rows(), 0);
    for (int r = 1; r < table.rows(); r += 2) flags[r] = 1;
    std::vector<double> hides, shows;
    for (int i = 0; i < kRuns; ++i) {
        hides.push_back(timeMs([&] {
            table.hideRows(flags);
            settle();
        }));
        shows.push_back(timeMs([&] {
            table.showAllRows();
            settle();
        }));
    }
    bool white = false;
    const double color = medianMs(kRuns, [&] {
        table.fillBackColor(1, 1, table.rows() - 1, table.cols() - 1,
                            white ? mk::palette::White : mk::palette::LightCyan);
        white = !white;
        settle();
    });

    // Last: a grid that goes away leaves the table without a listener.
    const double attach = medianMs(kRuns, [&] {
        mk::gui::GridView view(&window);
        view.setGeometry(grid->geometry());
        view.setTable(&table);
        view.show();
        settle();
    });

    printFigure("scroll_frame_ms", suffix, frame);
    printFigure("scroll_frame_max_ms", suffix, slowest);
    printFigure("scroll_floor_ms", suffix, floor);
    printRatio("scroll_ratio", suffix, frame, floor);
    printFigure("grid_attach_ms", suffix, attach);
    printFigure("grid_hide_half_ms", suffix, median(hides));
    printFigure("grid_show_rows_ms", suffix, median(shows));
    printFigure("grid_color_all_ms", suffix, color);
    return status;
}

}  // namespace

int main(int argc, char** argv) { return mk::bench::runWithScreens(argc, argv, run); }
