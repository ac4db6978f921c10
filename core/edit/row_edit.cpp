// The floating edit menu's commands: rows added and deleted, cells copied,
// cut and pasted through the clipboard. They work on the clicked cell, not
// on the grid's current cell.
#include <algorithm>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
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
        SetUnDo(s);
        checkClickedCell(s);
        const int r = s.clickedRow;
        GridTable& t = s.table;
        GridTable::UpdateBatch batch(t);
        t.insertRow(r);
        PaintItemColumnsWhite(s);
        t.fillBackColor(r, ecol::Item, r, ecol::Content, palette::LightCyan);
        t.setRowHeight(r, kEditRowHeight);
        // The title number keeps column 0 merged as one block.
        t.setText(r, ecol::Number, t.text(r == 1 ? r + 1 : r - 1, ecol::Number));
    });
}

void 行の削除(EditSession& s) {
    Trap(kDeleteRowLocation, [&] {
        checkClickedCell(s);
        const int r = s.clickedRow;
        GridTable& t = s.table;
        if (t.number(r, ecol::Parent) == 0) {
            MsgBox("追加入力用の行は削除出来ません。    ");
            return;
        }
        int stored = 0;
        for (int i = 1; i < t.rows(); ++i)
            if (!t.text(i, ecol::Parent).empty()) ++stored;
        if (stored == 1) {
            SetMessageLines({"この行を削除すると修正保存が出来なくなります。", "処理を続けますか？"});
            if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerNo)
                return;
        }
        SetUnDo(s);
        t.fillBackColor(r, ecol::Item, r, ecol::Content, palette::LightRed);
        const long title = t.number(r, ecol::Parent);
        const long child = t.number(r, ecol::Child);

        // The store checks that the title names the record before it
        // changes either file.
        s.program.store.deleteRow(int(std::clamp<long>(title, 0, kMaxRecordNumber + 1L)),
                                  int(std::clamp<long>(child, 0, kMaxRecordNumber + 1L)));

        WaitSeconds(0.2);
        t.removeRow(r);
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
        WaitSeconds(0.2);
        t.setBackColor(s.clickedRow, s.clickedCol, palette::White);
    });
}

}  // namespace mk
