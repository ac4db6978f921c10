#pragma once
// The edit screen ("編集登録画面"): one entry's title box and rows.
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class QLineEdit;

namespace mk {
class Program;
class EditSession;
}  // namespace mk

namespace mk::gui {

class GridView;
class Shell;
class EditMenu;

class EditScreen : public QWidget {
    Q_OBJECT
public:
    EditScreen(mk::Program& program, Shell& shell, QWidget* parent = nullptr);
    ~EditScreen() override;

    // Opens the screen on the browse window's current block (or an empty form).
    void 新規保存画面();
    // Fills the opened screen with an entry handed over from another screen:
    // its title and (item, content) rows, without record numbers.
    void showHandedOverEntry(const std::string& title,
                             const std::vector<std::pair<std::string, std::string>>& rows);
    // Command labels 1 "新規登録", 2 "修正保存", 3 "消去", 4 "戻る".
    void setCommandEnabled(int label, bool enabled);
    // Ends an open in-place edit of the grid as Enter would (its undo level,
    // ChangeCount and cursor move follow at once). Every command of the
    // screen runs this first; the main window runs it before a page switch.
    // True when an editor was open.
    bool commitOpenEdit();
    // Every way off the screen asks this first: with unsaved work, the
    // question of "戻る". True when the screen may be left (nothing unsaved,
    // or the user chose to drop it); false when the user stays.
    bool confirmLeave();
    // Hides the floating "編集メニュー".
    void hideEditMenu();
    GridView* grid() const;

    // The screen's state and routines without widgets (title box text,
    // EditTable, ChangeCount, undo history). After changing the title box
    // text there, call session().titleChanged() to show it.
    mk::EditSession& session();
    QLineEdit* titleBox() const;  // Text1
    EditMenu* editMenu() const;   // Frame1

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Private;
    Private* d;
};

}  // namespace mk::gui
