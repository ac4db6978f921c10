// Start-up on the full data set (and on 8,192 records, _8k), offscreen: the
// real sequence from a new program and main window until the browse grid
// of the shown main window has painted. The sequence's deliberate pauses
// (the progress window's waits) are left out: the clock jumps past them,
// though each still lets the pending events run once.
//
// Prints, one line each (medians, milliseconds):
//   startup_ms          the sequence, until the browse grid has painted
//   startup_floor_ms    an empty window shown until it has painted, in the
//                       same process
//   startup_load_ms     the browse table's reload alone (データ読込)
//   startup_budget_ms   floor + load + 15 ms, what start-up may take;
//                       startup_ratio = startup / budget
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>

#include "bench/support/dataset.h"
#include "bench/support/gui_bench.h"
#include "core/app/program.h"
#include "gui/app/grid_view.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_messages.h"
#include "gui/app/startup.h"
#include "gui/browse/browse_window.h"

namespace {

constexpr int kRuns = 5;

// The window's message service with a clock that jumps a minute each time
// events have run: every wait ends after one turn of the event loop.
class NoWaitMessages : public mk::gui::QtMessages {
public:
    void processEvents() override {
        QtMessages::processEvents();
        skipped_ += 60;
    }
    double monotonicSeconds() override { return MessageService::monotonicSeconds() + skipped_; }

private:
    double skipped_ = 0;
};

// Tells when a widget has had its first paint.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// Lets events run until `watch` has seen a paint; false after five seconds.
bool untilPainted(const PaintWatch& watch) {
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted) {
        if (limit.elapsed() > 5000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

mk::gui::StartUpEnvironment benchMachine() {
    mk::gui::StartUpEnvironment env;
    env.computerName = [] { return std::string("BENCH"); };
    env.anotherCopyRunning = [] { return false; };
    return env;  // no cipher folder: the linked cipher stays
}

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    {
        mk::Program program(folder.path());
        writeDataSet(program.store, size);
    }
    NoWaitMessages messages;

    std::vector<double> starts, floors, loads;
    for (int i = 0; i < kRuns; ++i) {
        floors.push_back(timeMs([&] {
            QWidget empty;
            empty.resize(1000, 700);
            PaintWatch watch(&empty);
            empty.show();
            if (!untilPainted(watch)) status = 1;
        }));

        mk::Program* program = nullptr;
        mk::gui::MainWindow* window = nullptr;
        bool started = false;
        starts.push_back(timeMs([&] {
            program = new mk::Program(folder.path());
            window = new mk::gui::MainWindow(*program);
            messages.setOwner(window);
            PaintWatch watch(window->browseWindow()->grid()->viewport());
            mk::gui::StartUp startUp(*program, *window, benchMachine());
            started = startUp.run() && untilPainted(watch);
        }));
        if (!started || program->browse.rows() != size.contents + 1) {
            std::fprintf(stderr, "bench_startup%s: started %d, %d rows\n", suffix, int(started),
                         program->browse.rows());
            status = 1;
        }
        loads.push_back(timeMs([&] { program->reload(); }));
        messages.setOwner(nullptr);
        delete window;
        delete program;
        QApplication::processEvents();
    }

    const double start = median(starts), floor = median(floors), load = median(loads);
    printFigure("startup_ms", suffix, start);
    printFigure("startup_floor_ms", suffix, floor);
    printFigure("startup_load_ms", suffix, load);
    printFigure("startup_budget_ms", suffix, floor + load + 15);
    printRatio("startup_ratio", suffix, start, floor + load + 15);
    return status;
}

}  // namespace

int main(int argc, char** argv) { return mk::bench::runWithScreens(argc, argv, run); }
