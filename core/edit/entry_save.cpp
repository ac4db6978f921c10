// 新規保存 and 修正保存: storing the edit screen's entry.
#include <algorithm>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "codec/cp932.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr long kMaxRecord = 32767;

bool rowEmpty(const GridTable& t, int r) {
    return Trim(t.text(r, ecol::Item)).empty() && Trim(t.text(r, ecol::Content)).empty() &&
           t.text(r, ecol::Parent).empty() && t.text(r, ecol::Child).empty();
}

int lastFilledRow(const GridTable& t) {
    int last = t.rows() - 1;
    while (last >= 1 && rowEmpty(t, last)) --last;
    return last;
}

bool isFreeMark(std::string field) { return CleanField(field) == kDeletedMark; }

bool titleRoomLeft(DataStore& store) {
    for (const TitleRecord& rec : store.readAllTitles())
        if (isFreeMark(rec.表題)) return true;
    return store.Maxrec1 < kMaxRecord;
}

// Refuses a save with more rows than a title record has slots (error 9)
// before anything is written.
void checkRows(int rows) {
    if (rows > kEditMaxEntryRows) throw RuntimeError(ErrSubscript);
}

}  // namespace

std::vector<int> ReserveContentRecords(DataStore& store, int count) {
    std::vector<int> numbers;
    if (count <= 0) return numbers;
    store.Openfile2();
    if (!store.file2Open()) throw RuntimeError(ErrPathFileAccess);
    try {
        // The free marks are found on the raw bytes of the 項目 fields (one
        // read of the file, nothing decoded): a NUL ends the field, spaces
        // around it do not count, as CleanField reads it. CP932 trail bytes
        // are never NUL or space, so the bytes say what the text would.
        const std::size_t size = ContentRecord::kSize;
        const std::string mark = cp932::encode(kDeletedMark);
        std::string bytes(std::size_t(store.Maxrec2) * size, '\0');
        {
            fs::File raw = fs::File::openRead(store.contentPath());
            bytes.resize(raw.readAt(0, bytes.data(), bytes.size()));
            raw.close();
        }
        const long whole = long(bytes.size() / size);
        for (long n = 1; n <= whole && int(numbers.size()) < count; ++n) {
            std::string_view item(bytes.data() + (n - 1) * size + 2, 50);
            item = item.substr(0, item.find('\0'));
            const auto first = item.find_first_not_of(' ');
            if (first == std::string_view::npos) continue;
            item = item.substr(first, item.find_last_not_of(' ') - first + 1);
            if (item == mark) numbers.push_back(int(n));
        }
        long next = store.Maxrec2;
        while (int(numbers.size()) < count) numbers.push_back(int(std::min(++next, kMaxRecord + 1)));
        // Every number must fit a 16-bit field before the first one is taken.
        if (numbers.back() > kMaxRecord) throw RuntimeError(ErrOverflow);

        // The same reservation as AllocateContentRec writes: a reused record
        // keeps its 出力, a new one starts with "0".
        for (int n : numbers) {
            ContentRecord reserved;
            reserved.出力 = "0";
            if (n <= whole)
                reserved.出力 =
                    ContentRecord::fromBytes(std::string_view(bytes).substr((n - 1) * size, size)).出力;
            reserved.自分Rec = int16_t(n);
            store.writeContent(n, reserved);
        }
    } catch (...) {
        store.Close2();
        throw;
    }
    store.Close2();
    return numbers;
}

namespace {

// A title or item that reads exactly as the free-record mark would be taken
// for a free record by the next allocation and overwritten: such an entry is
// refused with a message before anything is written.
bool collidesWithFreeMark(EditSession& s, int last) {
    bool collides = CleanField(std::string(s.titleBox.text)) == kDeletedMark;
    for (int r = 1; r <= last && !collides; ++r)
        collides = CleanField(std::string(s.table.text(r, ecol::Item))) == kDeletedMark;
    if (collides) MsgBox(kFreeMarkMessage, Buttons::OK, Icon::Exclamation);
    return collides;
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
        const std::string key = CompareKey(s.titleBox.text);

        if (Trim(key).empty()) {
            s.titleBox.back = palette::LightRed;
            s.titleChanged();
            MsgBox("空白の表題は登録出来ません。", Buttons::OK, Icon::Critical);
            s.titleBox.back = back;
            s.titleChanged();
            return;
        }

        if (collidesWithFreeMark(s, lastFilledRow(t))) return;

        // A title equal to a stored one after CompareKey; the key keeps its
        // spaces, so "ABC " is not a duplicate of "ABC".
        store.Openfile1();
        if (!store.file1Open()) throw RuntimeError(ErrPathFileAccess);
        std::vector<TitleRecord> titles = store.readAllTitles();
        store.Close1();
        for (TitleRecord& rec : titles) {
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

        // Everything that could fail halfway is checked before the first write.
        const int rows = lastFilledRow(t);
        checkRows(rows);
        store.Openfile1();
        if (!store.file1Open()) throw RuntimeError(ErrPathFileAccess);
        const bool room = titleRoomLeft(store);
        store.Close1();
        if (!room) throw RuntimeError(ErrOverflow);
        // The content records are found and reserved first (one pass over the
        // file; the same numbers as one allocation per row), so that a file
        // without room refuses the save before the title record is taken.
        const std::vector<int> children = ReserveContentRecords(store, rows);
        const int title = store.AllocateTitleRec();
        DropTrailingEmptyRows(t);
        {
            GridTable::UpdateBatch batch(t);
            for (int r = 1; r <= rows; ++r) {
                t.setText(r, ecol::Parent, std::to_string(title));
                t.setText(r, ecol::Child, std::to_string(children[r - 1]));
            }
        }

        store.Openfile1();
        store.Openfile2();
        TitleRecord head;
        head.表題 = LeftChars(s.titleBox.text, 42);
        for (int r = 1; r <= rows; ++r) {
            ContentRecord rec;
            rec.出力 = "0";
            rec.項目 = LeftChars(t.text(r, ecol::Item), 42);
            rec.内容 = LeftChars(t.text(r, ecol::Content), 82);
            rec.親Rec = toInt16(title);
            rec.自分Rec = toInt16(t.number(r, ecol::Child));
            head.子Rec[r - 1] = rec.自分Rec;
            store.writeContent(rec.自分Rec, rec);
        }
        head.自分Rec = toInt16(title);
        head.Status = 0;
        store.writeTitle(title, head);
        store.CloseAll();

        IndicatorCaption caption(s, "Save");
        s.reloadBrowse();
        s.commandEnabled[CmdNewSave] = true;
        s.commandsChanged();
        WaitSeconds(0.2);
        caption.restore();

        s.program.editContext.reset();
        MsgBox("新規保存が完了しました。", Buttons::OK, Icon::Information);
    });
    store.CloseAll();
}

void 修正保存(EditSession& s) {
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    Trap(kModifySaveLocation, [&] {
        if (collidesWithFreeMark(s, lastFilledRow(t))) return;
        store.Openfile1();
        store.Openfile2();
        const int last = DropTrailingEmptyRows(t);

        // The rows above the first stored one belong to its title.
        int first = 0;
        for (int r = 1; r <= last; ++r)
            if (t.number(r, ecol::Parent) > 0) {
                first = r;
                break;
            }
        if (first == 0) {
            store.CloseAll();
            MsgBox("親レコードが未設定です。修正保存ではなく新規保存を選択して下さい。");
            return;
        }
        const std::string parent = std::to_string(t.number(first, ecol::Parent));
        for (int r = 1; r <= first; ++r) t.setText(r, ecol::Parent, parent);

        // Nothing is written (nor reserved) unless the whole entry fits:
        // slots, 16-bit record numbers, and records that exist.
        checkRows(last);
        long toAllocate = 0;
        for (int r = 1; r <= last; ++r) {
            const long p = t.number(r, ecol::Parent);
            const long k = t.number(r, ecol::Child);
            if (p > kMaxRecord || k > kMaxRecord) throw RuntimeError(ErrOverflow);
            if (p < 0 || k < 0 || p > store.Maxrec1 || k > store.Maxrec2)
                throw RuntimeError(ErrBadRecordNumber);
            if (k == 0) ++toAllocate;
        }
        store.CloseAll();
        const std::vector<int> fresh = ReserveContentRecords(store, int(toAllocate));

        std::size_t used = 0;
        for (int r = 1; r <= last; ++r) {
            if (t.number(r, ecol::Parent) == 0 && r > 1)
                t.setText(r, ecol::Parent, t.text(r - 1, ecol::Parent));
            if (t.number(r, ecol::Child) == 0)
                t.setText(r, ecol::Child, std::to_string(fresh.at(used++)));
        }
        for (int r = 1; r <= last; ++r) {
            if (t.number(r, ecol::Parent) == 0) {
                MsgBox("表題のレコード番号が定義されていません。　処理を中止します。");
                return;
            }
            if (t.number(r, ecol::Child) == 0) {
                MsgBox("内容データのレコード番号が定義されていません。処理を中止します。");
                return;
            }
        }

        store.Openfile1();
        store.Openfile2();
        auto writeRow = [&](int r, long title, long child) {
            ContentRecord rec = store.readContent(child);  // keeps 出力
            rec.項目 = LeftChars(Trim(t.text(r, ecol::Item)), 42);
            rec.内容 = LeftChars(Trim(t.text(r, ecol::Content)), 82);
            rec.親Rec = toInt16(title);
            rec.自分Rec = toInt16(child);
            store.writeContent(child, rec);
        };
        long current = t.number(1, ecol::Parent);
        long child = t.number(1, ecol::Child);
        TitleRecord head = store.readTitle(current);
        writeRow(1, current, child);
        head.表題 = s.titleBox.text;  // the field's width is the only cut
        head.子Rec[0] = toInt16(child);
        int slot = 1;
        for (int r = 2; r <= last; ++r) {
            const long title = t.number(r, ecol::Parent);
            child = t.number(r, ecol::Child);
            if (title <= 0 || child <= 0) continue;
            writeRow(r, title, child);
            if (title == current) {
                ++slot;
                head.子Rec[slot - 1] = toInt16(child);
            } else {
                // Rows of a second entry with the same title shown together.
                store.writeTitle(current, head);
                head = store.readTitle(title);
                head.表題 = LeftChars(s.titleBox.text, 42);
                head.子Rec[0] = toInt16(child);
                head.自分Rec = toInt16(title);
                slot = 1;
                current = title;
            }
        }
        store.writeTitle(current, head);

        IndicatorCaption caption(s, "Re-Save");
        store.CloseAll();
        t.setRows(t.rows() + 1);
        t.setRowHeight(t.rows() - 1, kEditRowHeight);
        s.reloadBrowse();
        WaitSeconds(0.2);
        caption.restore();
    });
    store.CloseAll();
}

}  // namespace mk
