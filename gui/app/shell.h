#pragma once
// What the screens ask of the main window, without knowing its class.
#include <QString>

class QWidget;

namespace mk::gui {

class BrowseWindow;
class EditScreen;

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
    virtual BrowseWindow* browseWindow() = 0;
    virtual EditScreen* editScreen() = 0;
    virtual void setMouseHelp(const QString& text) = 0;
};

}  // namespace mk::gui
