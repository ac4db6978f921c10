#pragma once
// What the screens ask of the main window, without knowing its class.
#include <QString>
#include <functional>

class QWidget;

namespace mk::gui {

// The pages of the work area, as 頁切換 numbers them.
enum class Page { None = 0, Browse = 1, Edit = 2, Settings = 3 };

class Shell {
public:
    virtual ~Shell() = default;
    // Switches the work area to page 0..3 (1 browse, 2 edit, 3 settings);
    // any other number hides every screen.
    virtual void 頁切換(int page) = 0;
    void 頁切換(Page page) { 頁切換(static_cast<int>(page)); }
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
    // The same right after the edit screen's own writes: only the entries
    // they wrote are read again.
    virtual void reloadBrowseAfterWrites() { reloadBrowse(); }
    virtual void setMouseHelp(const QString& text) = 0;
    // Runs before every page switch, in the order added: a screen ends an
    // open grid edit there, so that nothing typed is lost when it is hidden.
    // The result (whether an edit was open) does not stop the switch. A
    // shell without pages (a test's) may ignore it.
    virtual void addCommitBeforeSwitch(std::function<bool()> commit) { (void)commit; }
};

}  // namespace mk::gui
