// The floating edit menu's commands: rows added and deleted, cells copied,
// cut and pasted through the clipboard. They work on the clicked cell, not
// on the grid's current cell.
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
            if (MsgBox(JoinMessageLines(), Buttons::YesNo, Icon::Question) == AnswerNo) return;
        }
        SetUnDo(s);
        t.fillBackColor(r, ecol::Item, r, ecol::Content, palette::LightRed);
        const long title = t.number(r, ecol::Parent);
        const long child = t.number(r, ecol::Child);

        DataStore& store = s.program.store;
        // Both records must exist before either file is touched, so that a
        // stale number cannot leave the content freed but still listed.
        store.Openfile1();
        store.Openfile2();
        const bool fits = store.file1Open() && store.file2Open() && title >= 1 &&
                          title <= store.Maxrec1 && child >= 1 && child <= store.Maxrec2;
        store.CloseAll();
        if (!fits) throw RuntimeError(ErrBadRecordNumber);

        store.Openfile2();
        ContentRecord rec = store.readContent(child);
        rec.項目 = kDeletedMark;
        store.writeContent(child, rec);
        store.Close2();

        store.Openfile1();
        TitleRecord head = store.readTitle(title);
        std::array<int16_t, TitleRecord::kSlots> kept{};
        int n = 0;
        for (int16_t slot : head.子Rec)
            if (slot != child) kept[n++] = slot;
        head.子Rec = kept;
        store.writeTitle(title, head);
        store.Close1();

        WaitSeconds(0.2);
        t.removeRow(r);
    });
    s.program.store.CloseAll();
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
