// 新規保存 and 修正保存: storing the edit screen's entry.
#include <algorithm>
#include <vector>

#include "core/app/program.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/text.h"

namespace mk {

namespace {

// Shown when 修正保存 finds that the table does not hold the stored entry
// whole (some of its rows missing, a row twice, or a row of another entry):
// writing it would lose or mix rows.
const char* const kPartialEntryMessage =
    "表示されている行が保存済みの表題の行と一致しないので修正保存出来ません。　"
    "検索・閲覧で表題を選び直してから再実行して下さい。";

bool rowEmpty(const GridTable& t, int r) {
    return Trim(t.text(r, ecol::Item)).empty() && Trim(t.text(r, ecol::Content)).empty() &&
           t.text(r, ecol::Parent).empty() && t.text(r, ecol::Child).empty();
}

int lastFilledRow(const GridTable& t) {
    int last = t.rows() - 1;
    while (last >= 1 && rowEmpty(t, last)) --last;
    return last;
}

// The entry as 新規保存 stores it: the texts as they stand, cut.
EntryWrite newEntryOf(const EditSession& s, int last) {
    EntryWrite entry;
    entry.title = LeftChars(s.titleBox.text, kTitleChars);
    for (int r = 1; r <= last; ++r)
        entry.rows.push_back({0, LeftChars(s.table.text(r, ecol::Item), kItemChars),
                              LeftChars(s.table.text(r, ecol::Content), kContentChars)});
    return entry;
}

// The entries as 修正保存 stores them, one per title record in the order of
// their first rows; items and contents trimmed, then cut. The first title is
// stored as typed (the field's width is its only cut), the others cut.
std::vector<EntryWrite> storedEntriesOf(const EditSession& s, int last) {
    std::vector<EntryWrite> entries;
    for (int r = 1; r <= last; ++r) {
        const long title = s.table.number(r, ecol::Parent);
        const long child = s.table.number(r, ecol::Child);
        if (title > kMaxRecordNumber || child > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
        if (title <= 0 || child < 0) throw RuntimeError(ErrBadRecordNumber);
        auto entry = std::find_if(entries.begin(), entries.end(),
                                  [&](const EntryWrite& e) { return e.titleRec == title; });
        if (entry == entries.end()) {
            const std::string text =
                entries.empty() ? s.titleBox.text : LeftChars(s.titleBox.text, kTitleChars);
            entries.push_back({int(title), text, {}});
            entry = entries.end() - 1;
        }
        entry->rows.push_back({int(child), LeftChars(Trim(s.table.text(r, ecol::Item)), kItemChars),
                               LeftChars(Trim(s.table.text(r, ecol::Content)), kContentChars)});
    }
    return entries;
}

// A title or item that would read back as the free-record mark is refused
// with a message before anything is written.
bool refusedForFreeMark(const std::vector<EntryWrite>& entries) {
    for (const EntryWrite& entry : entries) {
        if (!DataStore::storesFreeMark(entry)) continue;
        MsgBox(kFreeMarkMessage, Buttons::OK, Icon::Exclamation);
        return true;
    }
    return false;
}

// Shows the indicator's save caption in red until the scope ends.
struct IndicatorCaption {
    EditSession& s;
    std::string previous;
    bool restored = false;
    IndicatorCaption(EditSession& session, const char* caption)
        : s(session), previous(session.indicatorCaption) {
        s.indicatorCaption = caption;
        s.indicatorColor = palette::LightRed;
        s.indicatorChanged();
    }
    ~IndicatorCaption() {
        if (!restored) restore();
    }
    void restore() {
        restored = true;
        s.indicatorCaption = previous;
        s.indicatorColor = palette::Black;
        s.indicatorChanged();
    }
};

}  // namespace

std::vector<int> ReserveContentRecords(DataStore& store, int count) {
    return store.reserveContentRecords(count);
}

int DropTrailingEmptyRows(GridTable& table) {
    const int last = lastFilledRow(table);
    table.setRows(last + 1);
    return last;
}

void 新規保存(EditSession& s) {
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    // The label comes back whatever happens, so that an error does not
    // leave the command dead until the program restarts.
    struct Reenable {
        EditSession& s;
        bool armed = false;
        ~Reenable() {
            if (armed && !s.commandEnabled[CmdNewSave]) {
                s.commandEnabled[CmdNewSave] = true;
                s.commandsChanged();
            }
        }
    } reenable{s};

    Trap(kNewSaveLocation, [&] {
        const Rgb back = s.titleBox.back;
        if (Trim(CompareKey(s.titleBox.text)).empty()) {
            s.titleBox.back = palette::LightRed;
            s.titleChanged();
            MsgBox("空白の表題は登録出来ません。", Buttons::OK, Icon::Critical);
            s.titleBox.back = back;
            s.titleChanged();
            return;
        }

        const int rows = lastFilledRow(t);
        EntryWrite entry = newEntryOf(s, rows);
        if (refusedForFreeMark({entry})) return;

        // A title equal to a stored one after CompareKey, compared as it
        // would read back once stored (a typed "〜" is stored as "～"). The
        // key keeps its spaces, so "ABC " is not a duplicate of "ABC".
        const std::string key = CompareKey(AsStored(entry.title));
        for (TitleRecord& rec : store.readTitles()) {
            if (CompareKey(CleanField(rec.表題)) != key) continue;
            s.titleBox.back = palette::LightRed;
            s.titleBox.fore = palette::White;
            s.titleChanged();
            SetMessageLines({"新規保存の表題は　既存データと重複しています。",
                             "上書きする場合は修正保存をクリックして下さい。",
                             "保存は可能ですが　分離して修正出来なくなりますので",
                             "変更をおすすめします。", "このまま保存を実行しますか?"});
            if (MsgBox(JoinMessageLines(), Buttons::YesNo, Icon::Question) == AnswerNo) {
                s.titleBox.back = back;
                s.titleBox.fore = palette::LightBlue;
                s.titleChanged();
                return;
            }
            break;
        }

        SetMessageLines({"現在のデータを新規保存します。", "実行しますか?"});
        if (MsgBox(JoinMessageLines(), Buttons::YesNo, Icon::Question) == AnswerNo) return;

        s.commandEnabled[CmdNewSave] = false;
        reenable.armed = true;
        s.commandsChanged();
        s.titleBox.back = back;
        s.titleBox.fore = palette::LightBlue;
        s.titleChanged();

        // The store checks everything that could stop it half way before
        // its first write.
        store.writeNewEntry(entry);
        DropTrailingEmptyRows(t);
        {
            GridTable::UpdateBatch batch(t);
            for (int r = 1; r <= rows; ++r) {
                t.setText(r, ecol::Parent, std::to_string(entry.titleRec));
                t.setText(r, ecol::Child, std::to_string(entry.rows[r - 1].record));
            }
        }

        IndicatorCaption caption(s, "Save");
        s.reloadBrowse();
        s.commandEnabled[CmdNewSave] = true;
        s.commandsChanged();
        WaitSeconds(0.2);
        caption.restore();

        s.program.editContext.reset();
        MsgBox("新規保存が完了しました。", Buttons::OK, Icon::Information);
    });
}

void 修正保存(EditSession& s) {
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    Trap(kModifySaveLocation, [&] {
        const int last = DropTrailingEmptyRows(t);

        // The rows above the first stored one belong to its title.
        int first = 0;
        for (int r = 1; r <= last && first == 0; ++r)
            if (t.number(r, ecol::Parent) > 0) first = r;
        if (first == 0) {
            MsgBox("親レコードが未設定です。修正保存ではなく新規保存を選択して下さい。");
            return;
        }
        const std::string parent = std::to_string(t.number(first, ecol::Parent));
        for (int r = 1; r <= first; ++r) t.setText(r, ecol::Parent, parent);
        // A row added on the edit screen belongs to the row above.
        for (int r = 2; r <= last; ++r)
            if (t.number(r, ecol::Parent) == 0) t.setText(r, ecol::Parent, t.text(r - 1, ecol::Parent));

        if (last > kMaxEntryRows) throw RuntimeError(ErrSubscript);
        std::vector<EntryWrite> entries = storedEntriesOf(s, last);
        if (refusedForFreeMark(entries)) return;
        // Nothing is written (nor reserved) unless every entry is whole.
        if (!store.rewriteEntries(entries)) {
            MsgBox(kPartialEntryMessage, Buttons::OK, Icon::Exclamation);
            return;
        }
        // A saved entry is the user's own from now on, sample or not (as
        // after an in-place edit), so that the sample deletion keeps it.
        for (const EntryWrite& entry : entries) {
            TitleFields own;
            own.status = 0;
            store.writeTitleFields(entry.titleRec, own);
        }

        // Rows that had no record (or a freed one) carry their new numbers.
        std::vector<std::size_t> next(entries.size(), 0);
        for (int r = 1; r <= last; ++r) {
            const long title = t.number(r, ecol::Parent);
            for (std::size_t e = 0; e < entries.size(); ++e)
                if (entries[e].titleRec == title)
                    t.setText(r, ecol::Child, std::to_string(entries[e].rows.at(next[e]++).record));
        }

        IndicatorCaption caption(s, "Re-Save");
        t.setRows(t.rows() + 1);
        t.setRowHeight(t.rows() - 1, kEditRowHeight);
        s.reloadBrowse();
        WaitSeconds(0.2);
        caption.restore();
    });
}

}  // namespace mk
