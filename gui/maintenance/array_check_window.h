#pragma once
// The data array check window: two buttons over one table that lays the
// data files' record links open. It only reads the files.
#include <QWidget>

#include "core/store/grid_table.h"

class QPushButton;

namespace mk {
class Program;
}

namespace mk::gui {

class GridView;
class Shell;

class ArrayCheckWindow : public QWidget {
    Q_OBJECT
public:
    explicit ArrayCheckWindow(mk::Program& program, QWidget* parent = nullptr);
    ~ArrayCheckWindow() override;

    QPushButton* slotButton() const { return command1_; }     // "表題と項目のRec"
    QPushButton* contentButton() const { return command2_; }  // "項目表示"
    GridView* grid() const { return grid_; }
    const mk::GridTable& table() const { return table_; }

private:
    mk::Program& program_;
    mk::GridTable table_;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    GridView* grid_ = nullptr;
};

// Shows the window (made once, owned by the main window); the page switch
// hides it again.
ArrayCheckWindow* showArrayCheck(mk::Program& program, Shell& shell);

}  // namespace mk::gui
