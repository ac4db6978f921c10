// The edit screen's routines that need no widget: setting up and filling the
// edit table, the command labels, "本日", the cursor move after an edit and
// the undo wrappers.
#include <ctime>
#include <vector>

#include "core/base/clock.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/text.h"

namespace mk {

EditSession::EditSession(Program& p) : program(p), table(1, ecol::Count) {
    reloadBrowse = [this] { program.reloadWritten(); };
}

void EditSession::titleChanged() {
    if (observer) observer->titleChanged();
}
void EditSession::commandsChanged() {
    if (observer) observer->commandsChanged();
}
void EditSession::indicatorChanged() {
    if (observer) observer->indicatorChanged();
}

void SetVsGrid51(GridTable& table, bool recordNumbersShown) {
    GridTable::UpdateBatch batch(table);
    table.setCols(ecol::Count);
    table.setRows(51);
    table.clear();
    table.setText(0, ecol::Item, "項目");
    table.setText(0, ecol::Content, "内容");
    table.setText(0, ecol::Parent, "親Rec");
    table.setText(0, ecol::Child, "子Rec");
    table.setRowHeight(-1, kEditRowHeight);
    table.setRowHeight(0, kEditHeaderHeight);
    for (int c = 0; c < ecol::Count; ++c) table.setHeaderAlign(c, Align::Center);
    table.setHeaderColors(kTeal, palette::White);
    // Marks left by the edit menu or a delete do not outlive the entry.
    table.fillBackColor(1, 1, table.rows() - 1, ecol::Count - 1, palette::White);
    table.setColWidth(-1, 2400);
    const int widths[ecol::Count] = {700, 3500, 4500, 700, 700};
    for (int c = 0; c < ecol::Count; ++c) table.setColWidth(c, widths[c]);
    if (recordNumbersShown) table.setColWidth(ecol::Item, 3200);
    table.setColHidden(ecol::Parent, !recordNumbersShown);
    table.setColHidden(ecol::Child, !recordNumbersShown);
    table.setColWidth(ecol::Child, 50);
    table.setColAlign(-1, Align::Left);
    table.setColAlign(ecol::Number, Align::Right);
    table.setColAlign(ecol::Parent, Align::Right);
    table.setColAlign(ecol::Child, Align::Right);
    table.setMergeCol(ecol::Number, true);
    table.setEditable(true);
    table.currentRow = 1;
    table.currentCol = 1;
}

namespace {

// The stored entry that browse row `row` belongs to, read whole from its
// title record (browse column 5): after a header sort an entry's rows are
// no longer adjacent, and two adjacent entries may share a title, so the
// block around the row is not a safe picture of one entry. False when the
// row names no title record or the record cannot be read; nothing is then
// filled in.
bool fillFromStoredEntry(EditSession& s, int row) {
    const GridTable& browse = s.program.browse;
    if (row < 1 || row >= browse.rows()) return false;
    const long titleRec = LeadingNumber(browse.text(row, 5));
    if (titleRec < 1 || titleRec > kMaxRecordNumber) return false;
    StoredEntry entry;
    try {
        entry = s.program.store.readEntry(int(titleRec));
    } catch (const RuntimeError&) {
        return false;
    }

    // Texts cleaned as the browse load cleans them, so that an unsorted
    // table opens exactly as its block would.
    // An empty title stays empty: the browse table's stand-in for it is
    // not the entry's title.
    s.titleBox.text = StripLineBreaks(CleanField(entry.title.表題));
    s.titleChanged();

    const std::string number = browse.text(row, 0);
    const std::string parent = std::to_string(titleRec);
    GridTable& t = s.table;
    GridTable::UpdateBatch batch(t);
    int n = 0;
    std::size_t next = 0;  // rows come in the order of the used slots
    for (const int16_t child : entry.title.子Rec) {
        if (child <= 0 || next >= entry.rows.size()) continue;
        ContentRecord& content = entry.rows[next++];
        ++n;
        if (n >= t.rows()) {
            t.setRows(n + 1);
            t.setRowHeight(n, kEditRowHeight);
        }
        t.setText(n, ecol::Number, number);
        t.setText(n, ecol::Item, Trim(CleanField(content.項目)));
        t.setText(n, ecol::Content, Trim(CleanField(content.内容)));
        t.setText(n, ecol::Parent, parent);
        t.setText(n, ecol::Child, std::to_string(child));
    }
    t.setRows(RowsWithInputRow(n));
    return true;
}

}  // namespace

void 登録画面表示(EditSession& s) {
    Trap(kFillEditLocation, [&] {
        if (!Trap(kSetVsGrid51Location,
                  [&] { SetVsGrid51(s.table, s.program.recordNumbersShown); }))
            return;
        // The form is empty until an entry fills it: a title left from the
        // previous entry must not head rows that are not its own.
        s.titleBox.text.clear();
        s.titleChanged();
        const EditContext& ctx = s.program.editContext;
        const int first = ctx.firstRow();
        const int last = ctx.lastRow();
        if (first == 0 || last == 0 || ctx.currentRow == 0) return;
        if (fillFromStoredEntry(s, ctx.currentRow)) return;

        // A row without a title record: the block as the browse shows it.
        const GridTable& browse = s.program.browse;
        // A block that is not inside the browse table (stale after a reload
        // elsewhere) leaves the form empty rather than copying header cells:
        // there is no entry to show, and nothing has gone wrong.
        if (first < 1 || last < first || last >= browse.rows()) return;

        s.titleBox.text = browse.text(first, 1);
        s.titleChanged();
        GridTable& t = s.table;
        GridTable::UpdateBatch batch(t);
        int n = 0;
        for (int r = first; r <= last; ++r) {
            ++n;
            if (n >= t.rows()) {
                t.setRows(n + 1);
                t.setRowHeight(n, kEditRowHeight);
            }
            t.setText(n, ecol::Number, browse.text(r, 0));
            t.setText(n, ecol::Item, browse.text(r, 3));
            t.setText(n, ecol::Content, browse.text(r, 4));
            t.setText(n, ecol::Parent, browse.text(r, 5));
            t.setText(n, ecol::Child, browse.text(r, 6));
        }
        t.setRows(RowsWithInputRow(n));
    });
}

void 新規保存画面(EditSession& s) {
    // A fresh fill: nothing on the screen is unsaved yet.
    s.ChangeCount = 0;
    s.rowLimitTold = false;
    Trap(kOpenEditLocation, [&] {
        s.undo.reset();
        s.indicatorChanged();
        登録画面表示(s);
        s.indicatorChanged();
        if (s.program.editContext.blockFirst != "MainR1") {
            s.undo.store(1, s.table);
        } else {
            // No entry selected: an empty form of seven rows.
            {
                GridTable::UpdateBatch batch(s.table);
                s.table.setRows(8);
                for (int r = 1; r <= 7; ++r)
                    for (int c = 1; c <= 4; ++c) s.table.setText(r, c, {});
            }
            s.titleBox.text.clear();
            s.titleChanged();
            s.undo.clearLevel(1, 7);
        }
    });
}

bool BlankCheck(EditSession& s) {
    std::string joined;
    for (int r = 1; r < s.table.rows(); ++r)
        joined += Trim(s.table.text(r, ecol::Item)) + Trim(s.table.text(r, ecol::Content));
    if (!joined.empty()) return true;
    SetMessageLines({"データが未入力なので保存できません。", "処理を中止します。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
    return false;
}

void RunEditCommand(EditSession& s, int label) {
    if (!BlankCheck(s)) return;
    switch (label) {
    // A save that was refused or failed leaves the changes unsaved.
    case CmdNewSave:
        if (新規保存(s)) s.ChangeCount = 0;
        break;
    case CmdModifySave:
        if (修正保存(s)) s.ChangeCount = 0;
        break;
    case CmdClear:
        消去(s);
        break;
    default:
        break;  // "戻る" after Yes: the check only
    }
}

bool ConfirmBack(EditSession& s) {
    if (s.ChangeCount == 0) return true;
    SetMessageLines({"修正または入力されたデータは保存されていません。",
                     "このまま戻るとデータは破棄されます。",
                     "保存する場合は はい を選択して下さい。",
                     "いいえ　を選択すると　保存しないでこの画面を閉じます。"});
    if (MsgBox(JoinMessageLines(), Buttons::YesNo, Icon::Question) == AnswerNo) {
        s.ChangeCount = 0;
        return true;
    }
    return false;
}

void 消去(EditSession& s) {
    SetMessageLines({"現在表示されているデータをクリアします。",
                     "データを入力後修正保存で　元のデータと入れ替わります。",
                     "新規保存をクリックすると　元データを残したまま", "新規に登録します。",
                     "消去を実行しますか?"});
    if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) != AnswerYes) return;
    const Rgb back = s.titleBox.back;
    s.titleBox.back = palette::LightYellow;
    s.titleChanged();
    // Row by row, so that the user sees the entry being wiped. Record numbers
    // stay: a following 修正保存 writes the blank rows over the entry.
    for (int r = 1; r < s.table.rows(); ++r) {
        s.table.setText(r, ecol::Item, {});
        s.table.setText(r, ecol::Content, {});
        WaitSeconds(0.1);
    }
    s.titleBox.text.clear();
    s.titleChanged();
    WaitSeconds(0.2);
    s.titleBox.back = back;
    s.titleChanged();
}

std::string TodayText() { return todayText(); }

void 本日(EditSession& s, const std::string& today) {
    const int row = s.table.currentRow;
    const int col = s.table.currentCol;
    if (row < 1 || col < 1 || row >= s.table.rows() || col >= s.table.cols()) return;
    const Rgb back = s.table.backColor(row, col);
    s.table.setBackColor(row, col, palette::LightCyan);
    ++s.ChangeCount;
    SetUnDo(s);  // the level holds the table before the date
    s.table.setText(row, col, today);
    WaitSeconds(0.2);
    s.table.setBackColor(row, col, back);
}

CellPos AfterCellEdit(EditSession& s, int row, int col) {
    SetUnDo(s);
    ++s.ChangeCount;
    // Filling the last row of a full entry opens no new row: say why once.
    const int last = s.table.rows() - 1;
    if (row == last && last >= kEditMaxEntryRows && !s.rowLimitTold &&
        !(s.table.text(last, ecol::Item) + s.table.text(last, ecol::Content)).empty()) {
        s.rowLimitTold = true;
        TellRowLimit();
    }
    CellPos to{row, col};
    if (col == ecol::Item) {
        to.col = ecol::Content;
    } else if (col == ecol::Content && row < s.table.rows() - 1) {
        to.row = row + 1;
        to.col = ecol::Item;
    }
    return to;
}

void SetUnDo(EditSession& s) {
    Trap(kSetUnDoLocation, [&] {
        // push() moves the levels before it copies; the indicator must show
        // the new level even when the copy then fails.
        struct Notify {
            EditSession& s;
            ~Notify() { s.indicatorChanged(); }
        } notify{s};
        s.undo.push(s.table);
    });
}

namespace {
// The items and contents the user sees, to tell whether an undo or redo
// changed them.
std::vector<std::string> shownTexts(const GridTable& t) {
    std::vector<std::string> texts;
    for (int r = 1; r < t.rows(); ++r) {
        texts.push_back(t.text(r, ecol::Item));
        texts.push_back(t.text(r, ecol::Content));
    }
    return texts;
}
}  // namespace

// A step that changes what the screen shows changes the table the user will
// save, even when it stays on the same level: a row command stores its level
// before it changes the rows, so the top level can differ from the table.
void Undo(EditSession& s) {
    const std::vector<std::string> before = shownTexts(s.table);
    s.undo.undo(s.table);
    if (shownTexts(s.table) != before) ++s.ChangeCount;
    s.indicatorChanged();
}

void Redo(EditSession& s) {
    const std::vector<std::string> before = shownTexts(s.table);
    s.undo.redo(s.table);
    if (shownTexts(s.table) != before) ++s.ChangeCount;
    s.indicatorChanged();
}

void TellRowLimit() {
    SetMessageLines({"1つの表題に登録出来るのは50行までです。", "これ以上行は追加出来ません。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
}

}  // namespace mk
