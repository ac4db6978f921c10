#pragma once
// The output selection screen (Form6, "印刷出力設定"): the output checks of
// the displayed browse rows, storing them, and the three spreadsheet outputs.
// A small tool window of the main window; closing only hides it.
#include <QString>
#include <QWidget>
#include <functional>

class QPushButton;

namespace mk {
class Program;
}

namespace mk::gui {

class Shell;

class OutputSelectionScreen : public QWidget {
    Q_OBJECT
public:
    OutputSelectionScreen(mk::Program& program, Shell& shell, QWidget* owner);
    ~OutputSelectionScreen() override;

    // Shows the screen at the main window's top + 4000 twips and left + 6500
    // twips, or where it was when it is already placed (`place` false).
    void showBeside(bool place);
    // Hides the screen as it is, without the closing steps of "戻る" (the
    // password generator hides it so).
    void hideScreen() { hide(); }

    // The waiting notice of the browse window.
    void setNoticeActions(std::function<void(const QString&)> show, std::function<void()> hide);
    // What "戻る" does besides hiding the screen: hide the check column and
    // give the edit lock back its remembered state.
    void setCloseAction(std::function<void()> action);
    // Called after every change of the checks in the table, so the grid repaints.
    void setChecksChangedAction(std::function<void()> action);

    QPushButton* command(const char* name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Private;
    Private* d;
};

}  // namespace mk::gui
