#pragma once
// What the screens ask of the main window, without knowing its class.
#include <QString>

class QWidget;

namespace mk::gui {

class Shell {
public:
    virtual ~Shell() = default;
    // Switches the work area to page 0..3 (1 browse, 2 edit, 3 settings).
    virtual void 頁切換(int page) = 0;
    // Marks menu button 1..3 as the current page.
    virtual void highlightMenu(int index) = 0;
    // Shows the search and browse screen maximised (no page switch).
    virtual void showBrowseScreen() = 0;
    virtual QWidget* mainWindow() = 0;
    // What one screen asks of another goes through here: screens never
    // include each other.
    virtual void hideEditScreen() = 0;
    virtual void setBrowseCounter(const QString& caption) = 0;
    // Rebuilds the browse table from the data files and refreshes its grid.
    virtual void reloadBrowse() = 0;
    virtual void setMouseHelp(const QString& text) = 0;
};

}  // namespace mk::gui
