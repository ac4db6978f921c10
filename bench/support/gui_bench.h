#pragma once
// What the benchmarks that show real screens share: a shell that ignores the
// page switching around the browse window, and a main() that runs offscreen.
#include <QApplication>
#include <QString>

#include "bench/support/dataset.h"
#include "gui/app/shell.h"
#include "gui/browse/browse_window.h"

namespace mk::bench {

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

// Runs `run` at both data-set sizes inside an offscreen application.
inline int runWithScreens(int argc, char** argv,
                          const std::function<int(const DataSetSize&, const char*)>& run) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runAtBothSizes(run);
}

}  // namespace mk::bench
