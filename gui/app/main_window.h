#pragma once
// The main window: the bar of three menu buttons and the exit button, the
// work area that shows one screen at a time maximised, and the mouse-help
// line at its foot.
#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "gui/app/shell.h"

class QLabel;

namespace mk {
class CipherService;
class Program;
}  // namespace mk

namespace mk::gui {

class BrowseWindow;
class EditScreen;
class GeneratorScreen;
class OutputSelectionScreen;
class ProgressWindow;

// Caption texts and mouse-help texts of the bar.
inline const char* const kMenuCaptions[3] = {"検索・閲覧", "新規登録・編集", "データベース"};
inline const char* const kMenuHelp[3] = {
    "パスワード・備忘録の検索画面です。",
    "選択した表題の内容を修正または新規登録の画面を開きます。",
    "データのバックアップ、ログインパスワード入力変更などを実行する画面を開きます。"};
inline const char* const kExitCaption = "終了";
inline const char* const kExitHelp = "このアプリを終了します。";
inline const char* const kMouseHelpHelp = "マウスカーソルのあるボタンなどの機能をこの場所に表示します。";

// The controls of the bar: the three menu buttons (numbered as the pages
// they open) and the exit button.
enum class MenuItem { None = 0, Browse = 1, Edit = 2, Settings = 3, Exit = 4 };

// How a menu caption looks. The current page is known by its colour alone.
struct CaptionLook {
    QColor color;
    bool bold = false;
    double pointSize = 11;
};

class MainWindow : public QWidget, public Shell {
    Q_OBJECT
public:
    explicit MainWindow(mk::Program& program, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shell
    using Shell::頁切換;
    void 頁切換(int page) override;
    void highlightMenu(int index) override;
    void showBrowseScreen() override;
    QWidget* mainWindow() override { return this; }
    void hideEditScreen() override;
    void setBrowseCounter(const QString& caption) override;
    void reloadBrowse() override;
    void reloadBrowseAfterWrites() override;
    void setMouseHelp(const QString& text) override;
    void addCommitBeforeSwitch(std::function<bool()> commit) override;

    // The cipher control, hosted for the life of this window and installed
    // program-wide meanwhile (the wrappers 暗号化 / 復号化 reach it).
    void setCipherControl(std::unique_ptr<mk::CipherService> control);

    BrowseWindow* browseWindow() const { return browse_; }
    EditScreen* editScreen() const { return edit_; }
    GeneratorScreen* generatorScreen() const { return generator_; }
    // The password generator from the browse window's "パスワード生成":
    // hides the output selection screen, then opens the generator.
    void openGenerator();
    // Start-up: places the separate screens and sets up the generator's
    // fields.
    void placeSeparateScreens();
    OutputSelectionScreen* outputSelectionScreen() const { return output_; }

    // Places the menu buttons and the exit button.
    void Set_メインボタン();
    // Hover looks for the buttons that are not current, and the help text.
    void menuHover(int index);
    // Ends the program: flashes the exit caption, closes every other window
    // of the program, then this one, and quits the event loop.
    void exitProcedure();
    // True once the exit button or the close box has ended the program,
    // even while the start-up still runs its own waits.
    bool exiting() const { return exiting_; }

    // Places the window; every value in twips.
    void placeTwips(int top, int left, int width, int height);

    ProgressWindow* progressWindow() const { return progress_; }
    QWidget* settingsScreen() const { return settings_; }
    QWidget* workArea() const { return workArea_; }
    // Windows that every page switch hides (the data array check screen).
    void addHiddenOnPageSwitch(QWidget* window);

    CaptionLook captionLook(int index) const { return looks_[index - 1]; }
    QLabel* caption(int index) const { return captions_[index - 1]; }
    QWidget* menuBox(int index) const { return boxes_[index - 1]; }
    QLabel* exitCaption() const { return exitCaption_; }
    QWidget* exitBox() const { return exitBox_; }
    QLabel* mouseHelpLine() const { return mouseHelp_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildBar();
    void placeButtons();
    void setLook(int index, const CaptionLook& look);
    void fitScreens();
    void showMaximised(QWidget* screen);
    void closeEverythingElse();
    void commitOpenEdits();
    void wireOutputSelection();
    MenuItem menuItemOf(QObject* object) const;

    mk::Program& program_;
    QWidget* bar_ = nullptr;
    QWidget* boxes_[3] = {};
    QLabel* icons_[3] = {};
    QLabel* captions_[3] = {};
    CaptionLook looks_[3];
    QWidget* exitBox_ = nullptr;
    QLabel* exitIcon_ = nullptr;
    QLabel* exitCaption_ = nullptr;
    QWidget* workArea_ = nullptr;
    QLabel* mouseHelp_ = nullptr;
    BrowseWindow* browse_ = nullptr;
    EditScreen* edit_ = nullptr;
    GeneratorScreen* generator_ = nullptr;
    QWidget* settings_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    OutputSelectionScreen* output_ = nullptr;
    QList<QPointer<QWidget>> hiddenOnSwitch_;
    std::vector<std::function<bool()>> commitBeforeSwitch_;
    std::unique_ptr<mk::CipherService> cipher_;
    mk::CipherService* previousCipher_ = nullptr;
    bool exiting_ = false;
};

}  // namespace mk::gui
