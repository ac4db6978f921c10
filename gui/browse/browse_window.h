#pragma once
// The search and browse window (Form1): the browse table's grid, the search
// controls, the output and generator buttons and the current-cell timer.
#include <QWidget>

class QLabel;

namespace mk {
class Program;
}

namespace mk::gui {

class GridView;
class Shell;

class BrowseWindow : public QWidget {
    Q_OBJECT
public:
    BrowseWindow(mk::Program& program, Shell& shell, QWidget* parent = nullptr);
    ~BrowseWindow() override;

    GridView* grid() const;   // VSFlexGrid1, over program.browse
    QLabel* counter() const;  // Label6, the search counter

    // Shows the developer-only controls ("Rec表示/非表示", the edit-context frame).
    void setDeveloperMode(bool on);
    // The edit lock "修正の無効化" (Check1): checked = the grid is read-only.
    void setEditLock(bool checked);
    bool editLock() const;
    // Starts the 500 ms current-cell timer.
    void startCurrentCellTimer();
    // Rebuilds the browse table from the data files and refreshes the grid.
    void reload();

private:
    struct Private;
    Private* d;
};

}  // namespace mk::gui
