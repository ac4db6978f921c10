// 新規保存 and 修正保存: storing the edit screen's entry.
#include <algorithm>
#include <optional>
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

// A row with no text and no stored content record. Record-number cells
// that read 0 (an undo writes them so) are no record.
bool rowEmpty(const GridTable& t, int r) {
    return Trim(t.text(r, ecol::Item)).empty() && Trim(t.text(r, ecol::Content)).empty() &&
           t.number(r, ecol::Child) <= 0;
}

int lastFilledRow(const GridTable& t) {
    int last = t.rows() - 1;
    while (last >= 1 && rowEmpty(t, last)) --last;
    return last;
}

// A new entry takes only the rows that hold text: the record numbers of
// rows emptied by 消去 belong to the entry the screen was filled from.
int lastTextRow(const GridTable& t) {
    int last = t.rows() - 1;
    while (last >= 1 && Trim(t.text(last, ecol::Item)).empty() &&
           Trim(t.text(last, ecol::Content)).empty())
        --last;
    return last;
}

// A row's item or content as the saves hand it to the store: 修正保存
// trims it first, 新規保存 takes it as it stands; both cut it to its
// characters.
std::string rowText(const GridTable& t, int r, int col, bool trimmed) {
    const std::string text = trimmed ? Trim(t.text(r, col)) : t.text(r, col);
    return LeftChars(text, col == ecol::Item ? kItemChars : kContentChars);
}

// The entry as 新規保存 stores it: the texts as they stand, cut.
EntryWrite newEntryOf(const EditSession& s, int last) {
    EntryWrite entry;
    entry.title = LeftChars(s.titleBox.text, kTitleChars);
    for (int r = 1; r <= last; ++r)
        entry.rows.push_back({0, rowText(s.table, r, ecol::Item, false),
                              rowText(s.table, r, ecol::Content, false)});
    return entry;
}

// The record numbers 修正保存 stores the rows under (index = row): the rows
// above the first stored one, and rows added on the screen, belong to the
// title of the row above. Worked out aside, so that a save that stops
// leaves the table as it was.
struct RowNumbers {
    std::vector<long> parent, child;
};

// The entries as 修正保存 stores them, one per title record in the order of
// their first rows; items and contents trimmed, then cut. The first title is
// stored as typed (the field's width is its only cut), the others cut.
std::vector<EntryWrite> storedEntriesOf(const EditSession& s, int last, const RowNumbers& numbers) {
    std::vector<EntryWrite> entries;
    for (int r = 1; r <= last; ++r) {
        const long title = numbers.parent[r];
        const long child = numbers.child[r];
        if (title > kMaxRecordNumber || child > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
        if (title <= 0 || child < 0) throw RuntimeError(ErrBadRecordNumber);
        auto entry = std::find_if(entries.begin(), entries.end(),
                                  [&](const EntryWrite& e) { return e.titleRec == title; });
        if (entry == entries.end()) {
            const std::string text =
                entries.empty() ? s.titleBox.text : LeftChars(s.titleBox.text, kTitleChars);
            entries.push_back({int(title), text, {}, {}});
            entry = entries.end() - 1;
        }
        entry->rows.push_back({int(child), rowText(s.table, r, ecol::Item, true),
                               rowText(s.table, r, ecol::Content, true)});
    }
    return entries;
}

// Texts that the files cannot hold as they stand: characters CP932 lacks
// (stored as "?") and texts longer than their field (cut). The user is
// asked before anything is written; false when the answer is No.
bool confirmStoredForms(const EditSession& s, const std::string& storedTitle, int last,
                        bool trimmed) {
    std::string lacking = CharsCp932Lacks(s.titleBox.text);
    std::vector<std::string> cut;
    if (StoredFieldText(storedTitle, kTitleFieldBytes) != Trim(AsStored(s.titleBox.text)))
        cut.push_back("表題");
    for (int r = 1; r <= last; ++r)
        for (const int col : {ecol::Item, ecol::Content}) {
            const std::string& shown = s.table.text(r, col);
            // Appended to what was found so far, each character once.
            lacking = CharsCp932Lacks(lacking + shown);
            const std::size_t width = col == ecol::Item ? kItemFieldBytes : kContentFieldBytes;
            if (StoredFieldText(rowText(s.table, r, col, trimmed), width) != Trim(AsStored(shown)))
                cut.push_back(std::to_string(r) + "行目の" + (col == ecol::Item ? "項目" : "内容"));
        }
    if (lacking.empty() && cut.empty()) return true;
    const std::string question = "このまま保存しますか?";
    std::string where;
    for (const std::string& c : cut) where += (where.empty() ? "" : "、") + c;
    const std::string charsLine = "次の文字は保存出来ないので「?」に置き換わります：" + lacking;
    const std::string cutLine = "次の欄は長すぎるので切り詰めて保存されます：" + where;
    if (lacking.empty())
        SetMessageLines({cutLine, question});
    else if (cut.empty())
        SetMessageLines({charsLine, question});
    else
        SetMessageLines({charsLine, cutLine, question});
    return MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerYes;
}

// After a save the screen shows what the files now hold.
void showStoredForms(EditSession& s, const std::string& storedTitle, int last, bool trimmed) {
    GridTable& t = s.table;
    GridTable::UpdateBatch batch(t);
    for (int r = 1; r <= last; ++r) {
        t.setText(r, ecol::Item, StoredFieldText(rowText(t, r, ecol::Item, trimmed), kItemFieldBytes));
        t.setText(r, ecol::Content,
                  StoredFieldText(rowText(t, r, ecol::Content, trimmed), kContentFieldBytes));
    }
    s.titleBox.text = StoredFieldText(storedTitle, kTitleFieldBytes);
    s.titleChanged();
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

bool 新規保存(EditSession& s) {
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    bool saved = false;
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

        const int rows = lastTextRow(t);
        EntryWrite entry = newEntryOf(s, rows);
        if (refusedForFreeMark({entry})) return;

        // A title equal to a stored one after CompareKey, compared as it
        // would read back once stored (a typed "〜" is stored as "～"). The
        // key keeps its spaces, so "ABC " is not a duplicate of "ABC". A
        // title record without rows is not an entry the user can see or
        // open, and does not count.
        const std::string key = CompareKey(AsStored(entry.title));
        for (TitleRecord& rec : store.readTitles()) {
            if (!rec.hasRows())
                continue;
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

        if (!confirmStoredForms(s, entry.title, rows, false)) return;
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
        saved = true;
        // Blank rows after the last typed one are not part of the new
        // entry; their record numbers (left by 消去) name the old one.
        showStoredForms(s, entry.title, rows, false);
        t.setRows(rows + 1);
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
    return saved;
}

bool 修正保存(EditSession& s) {
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    bool saved = false;
    Trap(kModifySaveLocation, [&] {
        const int last = lastFilledRow(t);
        RowNumbers numbers;
        numbers.parent.assign(std::size_t(std::max(last, 0)) + 1, 0);
        numbers.child.assign(numbers.parent.size(), 0);
        for (int r = 1; r <= last; ++r) {
            numbers.parent[r] = t.number(r, ecol::Parent);
            numbers.child[r] = t.number(r, ecol::Child);
        }

        // The rows above the first stored one belong to its title.
        int first = 0;
        for (int r = 1; r <= last && first == 0; ++r)
            if (numbers.parent[r] > 0) first = r;
        // A title record that holds no rows any more (its entry was deleted,
        // and an undo brought its rows back to the screen) is no entry to
        // save over: the rows can only be saved as a new entry.
        const std::optional<TitleRecord> head =
            first == 0 ? std::nullopt : store.titleAt(numbers.parent[first]);
        if (first == 0 || !head || !head->hasRows()) {
            MsgBox("親レコードが未設定です。修正保存ではなく新規保存を選択して下さい。");
            return;
        }
        for (int r = 1; r <= first; ++r) numbers.parent[r] = numbers.parent[first];
        // A row added on the edit screen belongs to the row above.
        for (int r = 2; r <= last; ++r)
            if (numbers.parent[r] == 0) numbers.parent[r] = numbers.parent[r - 1];

        if (last > kMaxEntryRows) throw RuntimeError(ErrSubscript);
        std::vector<EntryWrite> entries = storedEntriesOf(s, last, numbers);
        if (refusedForFreeMark(entries)) return;
        if (!confirmStoredForms(s, entries.front().title, last, true)) return;
        // A saved entry is the user's own from now on, sample or not (as
        // after an in-place edit), so that the sample deletion keeps it.
        for (EntryWrite& entry : entries) entry.status = 0;
        // Nothing is written (nor reserved) unless every entry is whole.
        if (!store.rewriteEntries(entries)) {
            MsgBox(kPartialEntryMessage, Buttons::OK, Icon::Exclamation);
            return;
        }
        saved = true;

        // Only now does the table take the numbers: rows that had no record
        // (or a freed one) carry their new ones, empty rows at the end go.
        showStoredForms(s, entries.front().title, last, true);
        t.setRows(last + 1);
        std::vector<std::size_t> next(entries.size(), 0);
        for (int r = 1; r <= last; ++r) {
            const long title = numbers.parent[r];
            t.setText(r, ecol::Parent, std::to_string(title));
            for (std::size_t e = 0; e < entries.size(); ++e)
                if (entries[e].titleRec == title)
                    t.setText(r, ecol::Child, std::to_string(entries[e].rows.at(next[e]++).record));
        }

        IndicatorCaption caption(s, "Re-Save");
        // The row for further input, while the entry has room for it.
        if (last < kEditMaxEntryRows) {
            t.setRows(t.rows() + 1);
            t.setRowHeight(t.rows() - 1, kEditRowHeight);
        }
        s.reloadBrowse();
        WaitSeconds(0.2);
        caption.restore();
    });
    return saved;
}

}  // namespace mk
