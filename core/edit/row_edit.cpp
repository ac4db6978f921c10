// The floating edit menu's commands: rows added and deleted, cells copied,
// cut and pasted through the clipboard. They work on the clicked cell, not
// on the grid's current cell.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr int kMenuItemTwips = 227;

// The clicked cell must be a data cell of the table.
void checkClickedCell(const EditSession& s) {
    if (s.clickedRow < 1 || s.clickedRow >= s.table.rows() || s.clickedCol < 0 ||
        s.clickedCol >= s.table.cols())
        throw RuntimeError(ErrSubscript);
}

void putOnClipboard(EditSession& s, const std::string& text) {
    if (!s.clipboard) return;
    s.clipboard->clear();
    s.clipboard->setText(text);
}

}  // namespace

void PaintItemColumnsWhite(EditSession& s) {
    s.table.fillBackColor(1, ecol::Item, s.table.rows() - 1, ecol::Content, palette::White);
}

std::string MenuItemHelp(int item) {
    static const char* const help[8] = {"",
                                        "",
                                        "行を追加します。",
                                        " 行を削除します。",
                                        "  セルをコピーします。",
                                        "セルを切り取ります。",
                                        " コピーまたは切り取ったセルを貼付ます。",
                                        "  この表題を全て削除します。"};
    return item >= 1 && item <= 7 ? help[item] : "";
}

int MenuItemAt(int y) {
    if (y < 0) return 0;
    if (y <= kMenuItemTwips) return 1;
    // Items 2..6 start one twip after the previous item's end.
    for (int i = 2; i <= 6; ++i)
        if (y <= kMenuItemTwips * i) return i;
    return y <= 1580 ? 7 : 0;
}

bool RunMenuItem(EditSession& s, int item) {
    PaintItemColumnsWhite(s);
    switch (item) {
    case 1:
        if (s.observer) s.observer->menuHidden();
        return false;
    case 2: 行の追加(s); return false;
    case 3: 行の削除(s); return false;
    case 4: セルのコピー(s); return false;
    case 5: セルの切取(s); return false;
    case 6: セルの貼付(s); return false;
    case 7: return 表題を削除(s);
    default: return false;
    }
}

void 行の追加(EditSession& s) {
    Trap(kAddRowLocation, [&] {
        GridTable& t = s.table;
        // A full entry takes a row only in place of its empty input row.
        const bool full = t.rows() - 1 >= kEditMaxEntryRows;
        const int last = t.rows() - 1;
        const bool inputRowFree = Trim(t.text(last, ecol::Item)).empty() &&
                                  Trim(t.text(last, ecol::Content)).empty() &&
                                  t.number(last, ecol::Child) <= 0 && s.clickedRow < last;
        if (full && !inputRowFree) {
            TellRowLimit();
            return;
        }
        SetUnDo(s);
        checkClickedCell(s);
        const int r = s.clickedRow;
        GridTable::UpdateBatch batch(t);
        if (full) t.removeRow(t.rows() - 1);
        t.insertRow(r);
        ++s.ChangeCount;
        PaintItemColumnsWhite(s);
        t.fillBackColor(r, ecol::Item, r, ecol::Content, palette::LightCyan);
        t.setRowHeight(r, kEditRowHeight);
        // The title number keeps column 0 merged as one block.
        t.setText(r, ecol::Number, t.text(r == 1 ? r + 1 : r - 1, ecol::Number));
    });
}

namespace {

// The stored record's texts when they are not what the row shows (after 消去
// or an unsaved change): a delete would remove text the user cannot see, so
// it is named in a question first. True when the delete may go on.
bool confirmUnseenStoredText(EditSession& s, int r, long child) {
    const std::optional<ContentRecord> stored = s.program.store.contentAt(child);
    if (!stored) return true;
    std::string item = stored->項目, content = stored->内容;
    item = CleanField(item);
    content = CleanField(content);
    if (item.empty() && content.empty()) return true;
    if (item == Trim(s.table.text(r, ecol::Item)) && content == Trim(s.table.text(r, ecol::Content)))
        return true;
    SetMessageLines({"この行を削除すると、保存されている次のデータが削除されます。", "項目：" + item,
                     "内容：" + content, "削除しますか?"});
    return MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerYes;
}

// After a row left the files, the browse table is rebuilt and its edit
// context points at the entry's rows again (nothing when the entry is gone).
void reloadAround(EditSession& s, long title) {
    s.reloadBrowse();
    const GridTable& browse = s.program.browse;
    int first = 0, last = 0;
    for (int r = 1; r < browse.rows(); ++r)
        if (browse.number(r, 5) == title) {
            if (first == 0) first = r;
            last = r;
        }
    EditContext& ctx = s.program.editContext;
    if (first == 0) {
        ctx.reset();
        return;
    }
    ctx.setBlock(first, last);
    ctx.currentRow = first;
}

}  // namespace

void 行の削除(EditSession& s) {
    Trap(kDeleteRowLocation, [&] {
        checkClickedCell(s);
        const int r = s.clickedRow;
        GridTable& t = s.table;
        const long title = t.number(r, ecol::Parent);
        const long child = t.number(r, ecol::Child);
        // A row whose record its entry no longer holds (an undo brought back
        // a deleted row) is stored nowhere: like a row typed on the screen,
        // there is nothing in the files to delete, and its numbers must not
        // reach a record that is free or another entry's.
        DataStore& store = s.program.store;
        if (title == 0 || !store.ownsContent(title, child)) {
            MsgBox("追加入力用の行は削除出来ません。    ");
            return;
        }
        if (!confirmUnseenStoredText(s, r, child)) return;
        int stored = 0;
        for (int i = 1; i < t.rows(); ++i)
            if (store.ownsContent(t.number(i, ecol::Parent), t.number(i, ecol::Child))) ++stored;
        // The entry's last row takes its title with it: a title without
        // rows could be neither seen nor opened again.
        const bool lastRow = stored == 1;
        if (lastRow) {
            SetMessageLines({"この行を削除すると修正保存が出来なくなります。",
                             "最後の行なので表題「" + s.titleBox.text + "」も削除されます。",
                             "処理を続けますか？"});
            if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerNo)
                return;
        }
        SetUnDo(s);
        t.fillBackColor(r, ecol::Item, r, ecol::Content, palette::LightRed);

        // The store checks that the title names the record before it
        // changes either file.
        const int titleRec = int(std::clamp<long>(title, 0, kMaxRecordNumber + 1L));
        const int childRec = int(std::clamp<long>(child, 0, kMaxRecordNumber + 1L));
        s.program.store.deleteRow(titleRec, childRec);
        if (lastRow) {
            if (!s.program.store.readEntry(titleRec).title.hasRows())
                s.program.store.deleteEntry(titleRec);
        }
        ++s.ChangeCount;

        WaitSeconds(0.2);
        t.removeRow(r);
        reloadAround(s, title);
    });
}

void セルのコピー(EditSession& s) {
    Trap(kCopyCellLocation, [&] {
        SetUnDo(s);
        checkClickedCell(s);
        const std::string text = s.table.text(s.clickedRow, s.clickedCol);
        s.table.setBackColor(s.clickedRow, s.clickedCol, palette::LightCyan);
        putOnClipboard(s, text);
    });
}

void セルの切取(EditSession& s) {
    Trap(kCutCellLocation, [&] {
        SetUnDo(s);
        checkClickedCell(s);
        const std::string text = s.table.text(s.clickedRow, s.clickedCol);
        s.table.setBackColor(s.clickedRow, s.clickedCol, palette::LightRed);
        putOnClipboard(s, text);
        WaitSeconds(0.2);
        s.table.setText(s.clickedRow, s.clickedCol, {});
        ++s.ChangeCount;
    });
}

void セルの貼付(EditSession& s) {
    Trap(kPasteCellLocation, [&] {
        SetUnDo(s);
        checkClickedCell(s);
        GridTable& t = s.table;
        t.fillBackColor(1, 1, t.rows() - 1, 4, palette::White);
        t.setBackColor(s.clickedRow, s.clickedCol, palette::LightCyan);
        t.setText(s.clickedRow, s.clickedCol, s.clipboard ? s.clipboard->text() : std::string());
        ++s.ChangeCount;
        WaitSeconds(0.2);
        t.setBackColor(s.clickedRow, s.clickedCol, palette::White);
    });
}

}  // namespace mk
