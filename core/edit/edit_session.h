#pragma once
// The edit screen's state without its widgets: the edit table, the title
// box, the command labels' enabled flags, ChangeCount, the undo history and
// the indicator caption, and every routine that works on them. The screen
// reads its widgets into this, calls the routines and shows the result; an
// EditObserver hears of changes made during a routine (before its waits and
// questions), the GridTable's own listener of the table's.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/clipboard.h"
#include "core/edit/undo_history.h"
#include "core/store/colors.h"
#include "core/store/grid_table.h"

namespace mk {

class DataStore;
class Program;

// Columns of the edit table.
namespace ecol {
constexpr int Number = 0;   // the entry's title number (browse column 0)
constexpr int Item = 1;     // "項目"
constexpr int Content = 2;  // "内容"
constexpr int Parent = 3;   // "親Rec"
constexpr int Child = 4;    // "子Rec"
constexpr int Count = 5;
}  // namespace ecol

constexpr int kEditRowHeight = 550;
constexpr int kEditHeaderHeight = 300;
constexpr int kEditMaxEntryRows = 50;

// Command labels of the edit screen.
enum EditCommand : int { CmdNewSave = 1, CmdModifySave = 2, CmdClear = 3, CmdBack = 4 };

inline const char* const kNewSaveLocation = "    新規保存　: 10116";
inline const char* const kModifySaveLocation = "修正保存 : 2344   ";
inline const char* const kOpenEditLocation = "   新規保存画面 :  10052";
inline const char* const kFillEditLocation = "登録画面表示 :  4516   ";
inline const char* const kSetVsGrid51Location = "  SetVsGrid51: 3453";
inline const char* const kDeleteTitleLocation = "表題を削除 : 7851  ";
inline const char* const kAddRowLocation = "行の追加 : 7847  ";
inline const char* const kDeleteRowLocation = "行の削除 : 7848  ";
inline const char* const kCopyCellLocation = "セルのコピー : 7849  ";
inline const char* const kPasteCellLocation = "セルの貼付 : 7850  ";
inline const char* const kCutCellLocation = "セルの切取 : 7851  ";

// Shown when a title or item is exactly the free-record mark "<削除<".
inline const char* const kFreeMarkMessage =
    "表題または項目に「<削除<」だけを登録することは出来ません。　変更してから保存して下さい。";

// The pink of cells and title box while a delete asks.
constexpr Rgb kDeletePink = rgb(255, 192, 192);

// The floating edit menu's items, in list order.
inline const char* const kEditMenuItems[7] = {
    "①リスト非表示", "②行を追加する", "③行を削除する", "④セルをコピー",
    "⑤セルを切取",   "⑥セルを貼付",   "⑦この表題を削除"};

class EditObserver {
public:
    virtual ~EditObserver() = default;
    virtual void titleChanged() {}      // title box text or colours
    virtual void commandsChanged() {}   // enabled flags of the labels
    virtual void indicatorChanged() {}  // undo levels or the caption
    virtual void menuHidden() {}        // the edit menu must hide
};

struct TitleBox {
    std::string text;
    Rgb back = palette::White;
    Rgb fore = palette::Black;
};

class EditSession {
public:
    explicit EditSession(Program& program);

    Program& program;
    GridTable table;  // the EditTable, 5 columns
    TitleBox titleBox;
    bool commandEnabled[5] = {false, true, true, true, true};  // index 1..4
    int ChangeCount = 0;  // edits since the last save or discard
    UndoHistory undo;
    std::string indicatorCaption = "Undo";
    Rgb indicatorColor = palette::Black;
    int clickedRow = 0;  // the cell under the mouse at the last press
    // Whether the user has been told, since the screen was last filled,
    // that the entry is at its row limit.
    bool rowLimitTold = false;
    int clickedCol = 0;

    EditObserver* observer = nullptr;
    Clipboard* clipboard = nullptr;
    // Brings the browse table up to date after a save or delete; by default
    // Program::reloadWritten(); the GUI routes it through the browse window.
    std::function<void()> reloadBrowse;

    int lastRow() const { return table.rows() - 1; }  // R - 1

    // Notifications (no-ops without an observer).
    void titleChanged();
    void commandsChanged();
    void indicatorChanged();
};

// ---- the screen ---------------------------------------------------------
// Lays out the empty edit table (51 rows, 5 columns).
void SetVsGrid51(GridTable& table, bool recordNumbersShown);
// The row count of a table holding n rows of an entry: the rows, and below
// them the empty row for further input while the entry has room for one.
inline int RowsWithInputRow(int n) { return n < kEditMaxEntryRows ? n + 2 : n + 1; }
// Fills the table and title box from the browse table's current block.
void 登録画面表示(EditSession& s);
// Opening the screen: undo reset, fill, level 1 (or an empty 7-row form).
void 新規保存画面(EditSession& s);

// Fills the opened screen with an entry handed over from another screen:
// the title, and `rows` (item, content) as rows 1..n without record numbers,
// so that they can only be saved as new. The row count becomes n + 1: the
// last row is the last handed-over one, and typing into it adds the empty
// row. The header row keeps its texts. Like an opening, this starts afresh:
// undo level 1 holds the handed-over rows and ChangeCount is 0.
void FillHandedOverEntry(EditSession& s, const std::string& title,
                         const std::vector<std::pair<std::string, std::string>>& rows);

// True when any row has an item or content (trimmed); otherwise shows
// "データが未入力なので保存できません。" and returns false.
bool BlankCheck(EditSession& s);
// The command labels 1..3 after their flash: blank check, then the save or
// the clearing. Saves set ChangeCount to 0 afterwards.
void RunEditCommand(EditSession& s, int label);
// "戻る", and every other way off the screen: true when the screen may close
// (no changes, or the user chose to drop them); false when the user wants to
// stay (after "戻る" the caller then flashes the label and runs the blank
// check).
bool ConfirmBack(EditSession& s);
// "消去": asks, then empties items and contents row by row.
void 消去(EditSession& s);
// "本日": today's date ("yyyy/mm/dd") into the current cell.
void 本日(EditSession& s, const std::string& today);
// Today's date as "yyyy/mm/dd" from the local clock.
std::string TodayText();

// After a committed in-place edit of (row, col): SetUnDo, ChangeCount + 1,
// and the cell the cursor moves to (row, col unchanged when it stays).
struct CellPos {
    int row = 0;
    int col = 0;
};
CellPos AfterCellEdit(EditSession& s, int row, int col);

// ---- saves ----------------------------------------------------------------
// Both return true when the entry was stored; a save that was refused or
// failed leaves the table as it was. After a save the screen shows the texts
// as the files hold them.
bool 新規保存(EditSession& s);
bool 修正保存(EditSession& s);
// Drops empty rows from the end of the table (item and content trimmed, and
// no stored content record); returns the new last data row.
int DropTrailingEmptyRows(GridTable& table);
// Reserves `count` content records in one pass over the content file: the
// free ones lowest first, then appended ones, exactly the numbers that
// `count` calls of AllocateContentRec would return. Throws error 6 before
// writing anything when they would not fit the 16-bit record numbers.
std::vector<int> ReserveContentRecords(DataStore& store, int count);

// ---- undo -------------------------------------------------------------------
// Stores a level (and adds a row when the last is filled); errors reported
// with "SetUnDo :  4513   ".
void SetUnDo(EditSession& s);
void Undo(EditSession& s);
void Redo(EditSession& s);

// ---- the edit menu ------------------------------------------------------
// Paints the item and content cells of every data row white.
void PaintItemColumnsWhite(EditSession& s);
// Runs the menu item 1..7 on the clicked cell (1 only hides the menu).
// Returns true when item 7 deleted the entry (the screen then leaves).
bool RunMenuItem(EditSession& s, int item);
// The help prefix of a menu item (1..7); "" for the first.
std::string MenuItemHelp(int item);
// The item under a vertical position in the list, in twips (0 none).
int MenuItemAt(int yTwips);

// Told when the last-row rule or "②行を追加する" would make a 51st row.
void TellRowLimit();

void 行の追加(EditSession& s);
void 行の削除(EditSession& s);
void セルのコピー(EditSession& s);
void セルの切取(EditSession& s);
void セルの貼付(EditSession& s);
// Returns true when the entry was deleted and the edit screen emptied.
bool 表題を削除(EditSession& s);

}  // namespace mk
