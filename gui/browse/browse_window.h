#pragma once
// The search and browse window (Form1): the browse table's grid, the search
// controls, the output and generator buttons and the current-cell timer.
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;

namespace mk {
class Program;
}

namespace mk::gui {

class GridView;
class Shell;

// Mouse-help texts of the window's own controls.
inline const char* const kHelpSearch =
    "全検索をします。 空白では検索出来ません。Hitしたセルは文字が赤くなります。";
inline const char* const kHelpNarrow =
    "検索結果からさらに絞込検索をします。　Hitしたセルの文字は赤く装飾されます。";
inline const char* const kHelpShowAll =
    "並替えや文字装飾は破棄され、全データを表示します。起動時と同じ表示になります。";
inline const char* const kHelpOptionTitles =
    "検索でHitしたデータがある表題を表示します。　Hitしていない行も表示されます。";
inline const char* const kHelpOptionRows =
    "検索でHitした行のみ表示します。表題がHitした場合は全行表示します。";
inline const char* const kHelpCounter = "検索時のカウンターを表示します。";
inline const char* const kHelpSearchBox =
    "この部分に検索キーワードを入力します。セルをクリックするとこの場所に転送されます.";
inline const char* const kHelpOutput =
    "表示のデータをエクセルに転送します。　エクセルで印刷やスマホなどへ転送が可能です。スマホ転送時はxlsxへの変換が必要です。";
inline const char* const kHelpGenerator = "パスワードを自動生成します。";

class BrowseWindow : public QWidget {
    Q_OBJECT
public:
    BrowseWindow(mk::Program& program, Shell& shell, QWidget* parent = nullptr);
    ~BrowseWindow() override;

    GridView* grid() const;   // VSFlexGrid1, over program.browse
    QLabel* counter() const;  // Label6, the search counter
    QLineEdit* searchBox() const;  // 検索箱1

    // Shows the developer-only controls ("Rec表示/非表示", the edit-context frame).
    void setDeveloperMode(bool on);
    // The edit lock "修正の無効化" (Check1): checked = the grid is read-only.
    void setEditLock(bool checked);
    bool editLock() const;
    // Writes what was typed into a browse cell and not yet committed, as
    // Enter would. Whoever takes the user elsewhere (a page switch) calls
    // this first. False when no edit was open.
    bool commitOpenEdit();
    // Starts the 500 ms current-cell timer.
    void startCurrentCellTimer();
    // Rebuilds the browse table from the data files and refreshes the grid;
    // right after the program's own writes, only the entries they wrote.
    enum Reload { Whole, OnlyWritten };
    void reload(Reload what = Whole);

    // The screens that these buttons open are wired by their own owners:
    // Label5 "Excel出力・印刷", Label7 "パスワード生成", and a mouse-down on
    // the output check column (column 2) of the grid.
    void setOutputSelectionAction(std::function<void()> action);
    void setGeneratorAction(std::function<void()> action);
    void setCheckColumnAction(std::function<void()> action);
    // The notice text box (コメント表示) over the grid, for other screens' waits.
    void showNotice(const QString& text);
    void hideNotice();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    Private* d;
};

}  // namespace mk::gui
