#include "core/browse/in_place_write.h"

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/store/browse_load.h"
#include "core/store/text.h"

namespace mk {

namespace {


std::string rowMismatch(int S, const std::string& rest) {
    return "行読込が異常です。 " + std::to_string(S) + rest;
}

// An edit of a merged title cell changes one row's text; the write takes each
// row's own text, the last row of the block last. So the new title goes to
// every row of the same entry first, or a later row would write the old
// title back over it.
void spreadTitle(GridTable& table, int R, int first, int last) {
    const long parent = table.number(R, bcol::Parent);
    const std::string title = table.text(R, bcol::Title);
    for (int k = first; k <= last; ++k)
        if (k != R && table.number(k, bcol::Parent) == parent && table.text(k, bcol::Title) != title)
            table.setText(k, bcol::Title, title);
}

}  // namespace

void inPlaceWrite(Program& program, int R, int K, InPlaceWriteView& view) {
    GridTable& table = program.browse;
    DataStore& store = program.store;

    const std::string caption = view.counterCaption();
    bool restore = true;
    view.setCounter(kSavedCaption, palette::LightRed);
    DoEvents();

    Trap(kInPlaceWriteLocation, [&] {
        int first = program.editContext.firstRow();
        if (first < 1) first = 1;
        const int last = program.editContext.lastRow();
        const int S = program.editContext.currentRow;

        if (K == bcol::Title && (S < first || S > last)) {
            MsgBox(rowMismatch(S, "   " + std::to_string(first) + " to " + std::to_string(last)));
        }
        if ((K == bcol::Item || K == bcol::Content) && R != S) {
            MsgBox(rowMismatch(S, " <>  " + std::to_string(R)));
            return;  // nothing written: the caption comes back below
        }

        if (K == bcol::Title) {
            if (R >= first && R <= last) spreadTitle(table, R, first, last);
            store.Openfile1();
            for (int k = first; k <= last; ++k) {
                const std::string t = Trim(table.text(k, bcol::Title));
                const long n = table.number(k, bcol::Parent);
                if (n <= 0 || n > store.Maxrec1) continue;
                TitleRecord record = store.readTitle(n);
                record.表題 = LeftChars(t, kTitleChars);
                record.自分Rec = toInt16(n);
                record.Status = 0;
                store.writeTitle(n, record);
            }
            store.Close1();
            view.hideEditScreen();
        } else if (K == bcol::Output) {
            const long n = table.number(R, bcol::Child);
            store.Openfile2();
            if (n >= 1 && n <= store.Maxrec2) {
                ContentRecord record = store.readContent(n);
                record.出力 = table.checkState(R, bcol::Output) == Checked ? "1" : "2";
                store.writeContent(n, record);
                restore = false;  // "Saved" stays after a check
            }
            store.CloseAll();
            view.hideEditScreen();
            return;
        } else if (K == bcol::Item || K == bcol::Content) {
            const long n = table.number(R, bcol::Child);
            store.Openfile2();
            if (n < 1 || n > store.Maxrec2) {
                store.CloseAll();
                return;  // a row without a record: nothing to write
            }
            ContentRecord record = store.readContent(n);
            record.項目 = LeftChars(Trim(table.text(R, bcol::Item)), kItemChars);
            record.内容 = LeftChars(Trim(table.text(R, bcol::Content)), kContentChars);
            store.writeContent(n, record);
            store.Close2();
            view.hideEditScreen();
        }
        // Columns 0, 5, 6 and 7 are not stored; only the status below.

        // An edited entry is the user's own from now on, sample or not.
        const long n = table.number(R, bcol::Parent);
        store.Openfile1();
        if (n > 0 && n <= store.Maxrec1) {
            TitleRecord record = store.readTitle(n);
            record.Status = 0;
            store.writeTitle(n, record);
        }
        store.CloseAll();
        WaitSeconds(0.1);
    });

    try {
        store.CloseAll();
    } catch (...) {
        // Closing after a failed write: the error has been reported already.
    }
    if (restore) {
        view.setCounter(caption, palette::Black);
        DoEvents();
    }
}

}  // namespace mk
