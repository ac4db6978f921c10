// Figures for the grid at the browse table's largest size: attaching a table
// of 32,767 data rows, repainting screens of the merged look at the top, the
// middle and the end (entries of four rows, two neighbours sharing a title),
// and hiding every other row.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPixmap>
#include <cstdio>

#include "core/store/grid_table.h"
#include "gui/app/grid_view.h"

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int rows = 32768;

    mk::GridTable table;
    table.beginUpdate();
    table.setCols(8);
    table.setRows(rows);
    for (int r = 1; r < rows; ++r) {
        const int entry = (r - 1) / 4 + 1;
        table.setText(r, 0, std::to_string(entry));
        // Every two neighbouring entries share a title: the title column
        // merges within an entry only, so its runs end at the number's.
        table.setText(r, 1, "表題 " + std::to_string((entry + 1) / 2));
        table.setCheckState(r, 2, mk::Unchecked);
        table.setText(r, 3, "項目 " + std::to_string(r));
        table.setText(r, 4, "内容 " + std::to_string(r));
    }
    table.setMergeCol(0, true);
    table.setMergeCol(1, true);
    table.setCheckCentered(true);
    table.setRowHeight(-1, 550);
    table.setRowHeight(0, 300);
    table.endUpdate();

    mk::gui::GridView view;
    view.resize(1000, 600);
    QElapsedTimer timer;
    timer.start();
    view.setTable(&table);
    std::printf("attach %d rows: %lld ms\n", rows - 1, static_cast<long long>(timer.elapsed()));

    const int repeats = 20;
    for (int top : {1, rows / 2, rows - 1}) {
        view.setTopRow(top);
        timer.restart();
        for (int i = 0; i < repeats; ++i) view.grab();
        std::printf("paint at row %5d: %.2f ms per screen\n", top,
                    double(timer.nsecsElapsed()) / 1e6 / repeats);
    }

    std::vector<int> flags(rows, 0);
    for (int r = 1; r < rows; r += 2) flags[r] = 1;
    timer.restart();
    table.hideRows(flags);
    view.setTopRow(rows / 2 + 1);
    view.grab();
    std::printf("hide %d rows and repaint: %lld ms (%d rows shown)\n", rows / 2,
                static_cast<long long>(timer.elapsed()), view.verticalHeader()->count());
    timer.restart();
    table.showAllRows();
    view.grab();
    std::printf("show all rows and repaint: %lld ms (%d rows shown)\n",
                static_cast<long long>(timer.elapsed()), view.verticalHeader()->count());

    timer.restart();
    table.fillBackColor(1, 1, rows - 1, 7, mk::palette::White);
    view.grab();
    std::printf("colour every data cell and repaint: %lld ms\n",
                static_cast<long long>(timer.elapsed()));
    return 0;
}
