#include "core/browse/in_place_write.h"

#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/edit/edit_session.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/text.h"

namespace mk {

namespace {


// The title text that row k stores.
std::string storedTitle(const GridTable& table, int k) {
    return LeftChars(Trim(table.text(k, bcol::Title)), kTitleChars);
}

// A title or item that would read back as the free-record mark would be
// taken for a free record and overwritten: refused in the words of the saves,
// and the cell shows what the file holds again.
void refuseFreeMark(Program& program, int R, int K) {
    MsgBox(kFreeMarkMessage, Buttons::OK, Icon::Exclamation);
    GridTable& table = program.browse;
    if (K == bcol::Title) {
        const std::optional<TitleRecord> stored = program.store.titleAt(table.number(R, bcol::Parent));
        table.setText(R, K, stored ? shownTitle(stored->表題) : std::string());
    } else {
        const std::optional<ContentRecord> stored = program.store.contentAt(table.number(R, bcol::Child));
        table.setText(R, K, stored ? shownField(stored->項目) : std::string());
    }
}

// The cell shows what the file now gives back (〜 typed, ～ stored), so that
// a search before the next reload meets it as it meets every other cell.
void showAsStored(GridTable& table, int row, int col) {
    std::string stored = AsStored(table.text(row, col));
    if (stored != table.text(row, col)) table.setText(row, col, std::move(stored));
}

// The browse table is a copy of the files taken at the last load. A row
// deleted on the edit screen since then names a record that is free now, or
// another entry's once it is reused: a write there would put the text where
// no entry shows it. So every record a write would touch is asked for first;
// if one no longer belongs to its row's entry, nothing is written, the user
// is told, and the table is loaded again to show what the files hold.
bool refusedAsStale(Program& program, const std::vector<int>& rows, InPlaceWriteView& view) {
    GridTable& table = program.browse;
    for (int k : rows) {
        const long child = table.number(k, bcol::Child);
        if (child < 1 || program.store.ownsContent(table.number(k, bcol::Parent), child)) continue;
        SetMessageLines({"この行は　表示した後に新規登録・編集画面で削除または変更されています。",
                         "修正は保存していません。", "最新のデータを表示し直します。"});
        MsgBox(JoinMessageLines(), Buttons::OK, Icon::Exclamation);
        view.reloadTable();
        return true;
    }
    return false;
}

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
            // What each row of the block stores: its own text, or the edited
            // one for the rows of the same entry. Checked before anything
            // is written, then spread and written.
            const long parent = table.number(R, bcol::Parent);
            std::vector<int> written;
            for (int k = first; k <= last; ++k)
                if (table.number(k, bcol::Parent) > 0) written.push_back(k);
            if (refusedAsStale(program, written, view)) return;
            for (int k = first; k <= last; ++k) {
                const bool same = k == R || (R >= first && R <= last && table.number(k, bcol::Parent) == parent);
                if (storesAsDeletedMark(storedTitle(table, same ? R : k), kTitleFieldBytes)) {
                    refuseFreeMark(program, R, K);
                    return;
                }
            }
            if (R >= first && R <= last) spreadTitle(table, R, first, last);
            for (int k = first; k <= last; ++k) {
                const long n = table.number(k, bcol::Parent);
                if (n <= 0) continue;
                TitleFields fields;
                // A row showing what its title record already shows keeps the
                // record as it is: in particular an empty title, shown as the
                // placeholder "空白", stays empty instead of storing the word.
                const std::optional<TitleRecord> stored = store.titleAt(n);
                if (!stored || Trim(shownTitle(stored->表題)) != Trim(table.text(k, bcol::Title)))
                    fields.title = storedTitle(table, k);
                fields.status = 0;
                store.writeTitleFields(n, fields);  // a number past the file writes nothing
                showAsStored(table, k, bcol::Title);
            }
            view.hideEditScreen();
        } else if (K == bcol::Output) {
            if (refusedAsStale(program, {R}, view)) return;
            ContentFields fields;
            fields.output = table.checkState(R, bcol::Output) == Checked ? "1" : "2";
            // "Saved" stays after a check.
            if (store.writeContentFields(table.number(R, bcol::Child), fields)) restore = false;
            view.hideEditScreen();
            return;
        } else if (K == bcol::Item || K == bcol::Content) {
            ContentFields fields;
            fields.item = LeftChars(Trim(table.text(R, bcol::Item)), kItemChars);
            fields.content = LeftChars(Trim(table.text(R, bcol::Content)), kContentChars);
            if (storesAsDeletedMark(*fields.item, kItemFieldBytes)) {
                refuseFreeMark(program, R, K);
                return;
            }
            if (refusedAsStale(program, {R}, view)) return;
            // A row without a record has nothing to write.
            // The row and its entry's status together: an edited entry is
            // the user's own from now on, sample or not.
            if (!store.writeContentFields(table.number(R, bcol::Child), fields,
                                          table.number(R, bcol::Parent), 0))
                return;
            showAsStored(table, R, bcol::Item);
            showAsStored(table, R, bcol::Content);
            view.hideEditScreen();
        }
        // Columns 0, 5, 6 and 7 are not stored; only the status below.

        // An edited entry is the user's own from now on, sample or not.
        if (K == bcol::Title) {
            TitleFields status;
            status.status = 0;
            store.writeTitleFields(table.number(R, bcol::Parent), status);
        }
        WaitSeconds(0.1);
    });

    if (restore) {
        view.setCounter(caption, palette::Black);
        DoEvents();
    }
}

}  // namespace mk
