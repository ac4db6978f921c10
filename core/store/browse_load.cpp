#include "core/store/browse_load.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "codec/cp932.h"
#include "core/store/records.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr int kDataRowHeight = 550;
constexpr int kHeaderRowHeight = 300;
constexpr int kInitialRows = 500;
constexpr int kGrowRows = 1000;

const char* const kHeaders[bcol::Count] = {"",     "表題",  "出力",  "項目",
                                           "内容", "親Rec", "子Rec", "Status"};

// Trim(CleanField(field)) done in place: the text before the first NUL with
// U+0020 spaces trimmed on both sides. No copy is made, which matters at
// 32,767 rows.
void cleanInPlace(std::string& field) {
    std::size_t end = field.find('\0');
    if (end == std::string::npos) end = field.size();
    while (end > 0 && field[end - 1] == ' ') --end;
    field.resize(end);
    std::size_t begin = 0;
    while (begin < end && field[begin] == ' ') ++begin;
    field.erase(0, begin);
}

}  // namespace

std::string shownTitle(std::string field) {
    std::string text = StripLineBreaks(CleanField(field));
    return text.empty() ? "空白" : text;
}

std::string shownField(std::string field) {
    cleanInPlace(field);
    return field;
}

namespace {

// The columns, heights, colours and merging of the browse table; no text.
void layOut(GridTable& table, bool recordNumbersShown) {
    table.setRowHeight(-1, kDataRowHeight);
    table.setRowHeight(0, kHeaderRowHeight);
    for (int c = 1; c < bcol::Count; ++c) table.setHeaderAlign(c, Align::Center);
    table.setHeaderColors(kTeal, palette::White);
    table.setCheckCentered(false);

    table.setColWidth(-1, 2400);
    table.setColWidth(bcol::Number, 700);
    table.setColWidth(bcol::Title, 3000);
    table.setColWidth(bcol::Output, 700);
    table.setColWidth(bcol::Item, recordNumbersShown ? 3000 : 4000);
    table.setColWidth(bcol::Content, recordNumbersShown ? 4000 : 5000);
    table.setColWidth(bcol::Parent, 1100);
    table.setColWidth(bcol::Child, 1100);
    table.setColWidth(bcol::Status, 700);
    for (int c : {bcol::Output, bcol::Parent, bcol::Child, bcol::Status})
        table.setColHidden(c, !recordNumbersShown);

    table.setColAlign(-1, Align::Left);
    table.setColAlign(bcol::Number, Align::Right);
    table.setColAlign(bcol::Output, Align::Center);
    table.setColAlign(bcol::Parent, Align::Right);
    table.setColAlign(bcol::Child, Align::Right);

    table.setMergeCol(-1, false);
    table.setMergeCol(bcol::Number, true);
    table.setMergeCol(bcol::Title, true);
    table.setEditable(true);
}

}  // namespace

void SetVsGrid11(GridTable& table, bool recordNumbersShown) {
    Trap("3717: SetVsGrid11", [&] {
        GridTable::UpdateBatch batch(table);
        table.setCols(bcol::Count);
        if (table.rows() < 1) table.setRows(1);  // the header row
        table.clear();
        for (int c = 1; c < bcol::Count; ++c) table.setText(0, c, kHeaders[c]);
        layOut(table, recordNumbersShown);
    });
}

namespace {

// `text` into a cell: over its own characters when it holds as many already
// (a reload mostly writes what the cell held before), else anew.
void assignText(std::string& cell, std::string_view text) {
    if (cell.empty())
        cell.append(text.data(), text.size());  // the lighter call
    else if (cell.size() == text.size())
        std::memcpy(&cell[0], text.data(), text.size());
    else
        cell.assign(text.data(), text.size());
}

// A number as plain decimal text, into a cell's own storage.
void assignNumber(GridTable& table, int row, int col, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    assignText(table.textForRebuild(row, col), std::string_view(digits, std::size_t(end - digits)));
}

// The title text of the first row of an entry, decoded into that row's cell:
// cleaned, line breaks removed, "空白" when nothing is left.
void decodeTitle(std::string& cell, std::string_view field) {
    cp932::decodeInto(cell, cleanedFieldBytes(field));
    if (cell.find_first_of("\r\n\x1f") != std::string::npos) cell = StripLineBreaks(cell);
    if (cell.empty()) cell = "空白";
}

}  // namespace

namespace {

// One row of an entry, inside a batch that rebuilds the table: `first` is
// the entry's first row, which holds the decoded title that the other rows
// copy.
void fillRow(GridTable& table, int row, int first, int number, int t, int r, TitleRecordBytes title,
             ContentRecordBytes content) {
    if (row == first)
        decodeTitle(table.textForRebuild(row, bcol::Title), title.title());
    else
        assignText(table.textForRebuild(row, bcol::Title), table.text(first, bcol::Title));
    assignNumber(table, row, bcol::Number, number);
    // Read on the bytes: a number's characters are ASCII, and no other byte
    // decodes to one.
    table.setCheckState(row, bcol::Output,
                        LeadingNumber(cleanedFieldBytes(content.output())) == 1 ? Checked : Unchecked);
    cp932::decodeInto(table.textForRebuild(row, bcol::Item), cleanedFieldBytes(content.item()));
    cp932::decodeInto(table.textForRebuild(row, bcol::Content), cleanedFieldBytes(content.content()));
    assignNumber(table, row, bcol::Parent, t);
    assignNumber(table, row, bcol::Child, r);
    assignNumber(table, row, bcol::Status, title.status());
}

const std::string& blankContentRecord() {
    static const std::string blank(ContentRecord::kSize, '\0');
    return blank;
}

// The looks and the current cell of a loaded table with `rows` rows.
void finishLoad(GridTable& table) {
    const int rows = table.rows();
    if (rows <= 1) return;
    table.setRowHeight(-1, kDataRowHeight);
    table.setRowHeight(0, kHeaderRowHeight);
    if (rows - 1 > 2) table.setCheckCentered(true);
    // Every row is white: new rows are, and a reload resets the marks.
    for (int c = 1; c < bcol::Count; ++c) table.setHeaderAlign(c, Align::Center);
    table.setHeaderColors(kTeal, palette::White);
    table.currentRow = 1;
    table.currentCol = 1;
}

}  // namespace

struct BrowseLoadMemo::Loader {
    DataStore& store;
    GridTable& table;
    bool recordNumbersShown;
    BrowseLoadMemo* memo;

    // Every row from the files. Each file in one read; the rows come out
    // exactly as with one read per record, because a slot past the end of
    // the content file still reads as a blank record. Every text is decoded
    // once, from its bytes straight into the cell that shows it, whose
    // storage a reload reuses.
    void whole() {
        // Nothing of the previous table survives: dropping every data row
        // also drops its marks, hidden flags and heights (and spares the
        // layout below from clearing cells that go anyway).
        table.setRows(1);
        SetVsGrid11(table, recordNumbersShown);
        int next = 1;

        const int maxrec1 = store.Maxrec1;
        const int maxrec2 = store.Maxrec2;
        // The files' bytes, in buffers kept from one load to the next: a
        // reload then writes into memory it already has instead of asking
        // the system for megabytes of new, zeroed pages each time.
        static thread_local std::string titleBytes, contentBytes;
        store.readOpenPairBytes(titleBytes, contentBytes);
        auto titleAt = [&](int t) {
            return TitleRecordBytes{std::string_view(titleBytes).substr(
                std::size_t(t - 1) * TitleRecord::kSize, TitleRecord::kSize)};
        };
        auto contentAt = [&](int r) {
            if (r > maxrec2) return ContentRecordBytes{blankContentRecord()};
            return ContentRecordBytes{std::string_view(contentBytes).substr(
                std::size_t(r - 1) * ContentRecord::kSize, ContentRecord::kSize)};
        };

        // The rows the table will hold, so that a new table is sized once
        // rather than grown and moved along the way.
        int shownRows = 0;
        for (int t = 1; t <= maxrec1; ++t)
            for (int slot = 0; slot < TitleRecord::kSlots; ++slot) shownRows += titleAt(t).slot(slot) > 0;
        // The capacity (kInitialRows at first, kGrowRows more whenever a row
        // beyond it is needed) is counted, not made: a load that completes
        // would only make its empty rows to drop them again, hundreds of them
        // and a thousand more after a last row that fills it. A load that an
        // error stops is left at the capacity, the empty rows beyond those
        // filled included. The one row beyond the data rows is dropped at
        // the end, as the capacity's rows always are.
        int capacity = std::max(kInitialRows, shownRows + 1);
        table.setRows(shownRows + 2);

        // Where each entry's rows lie, for the next reload; a pair whose
        // slots name a record twice or past the end is not remembered.
        bool sound = memo != nullptr;
        if (memo) {
            memo->rowsBefore_.assign(std::size_t(maxrec1) + 1, 0);
            memo->rowCount_.assign(std::size_t(maxrec1) + 1, 0);
            memo->titleOf_.assign(std::size_t(maxrec2) + 1, 0);
        }
        try {
            for (int t = maxrec1; t >= 1; --t) {
                const TitleRecordBytes title = titleAt(t);
                int first = 0;
                if (memo) memo->rowsBefore_[t] = next - 1;
                for (int slot = 0; slot < TitleRecord::kSlots; ++slot) {
                    const int r = title.slot(slot);
                    if (r <= 0) continue;
                    if (first == 0) first = next;
                    fillRow(table, next, first, maxrec1 - t + 1, t, r, title, contentAt(r));
                    if (memo) {
                        ++memo->rowCount_[t];
                        if (r > maxrec2 || memo->titleOf_[r] != 0)
                            sound = false;
                        else
                            memo->titleOf_[r] = t;
                    }
                    ++next;
                    if (next > capacity - 1) capacity += kGrowRows;
                }
            }
            store.Close1();
            store.Close2();
        } catch (...) {
            table.setRows(capacity);
            throw;
        }
        table.setRows(next);
        if (memo) memo->valid_ = sound;
    }

    // Only the entries whose records were written since the last load, when
    // the table is still what that load made of the files. False, with
    // nothing changed, when a whole load is needed.
    bool written() {
        constexpr std::size_t kMostEntries = 64;
        BrowseLoadMemo& m = *memo;
        const DataStore::WrittenRecords& w = store.writtenSinceRead();
        if (!m.valid_ || m.store_ != &store || m.table_ != &table || w.whole ||
            m.recordNumbersShown_ != recordNumbersShown || table.contentVersion() != m.version_ ||
            table.cols() != bcol::Count || table.rowSlots().size() != m.slots_.size() ||
            !store.file1Open() || !store.file2Open())
            return false;
        const int oldMax = m.maxrec1_, newMax = store.Maxrec1, maxrec2 = store.Maxrec2;
        if (maxrec2 + 1 < int(m.titleOf_.size())) return false;  // the content file shrank

        std::vector<int> titles;
        for (int t : w.titles)
            if (t >= 1) titles.push_back(t);
        for (int r : w.contents)
            if (r >= 1 && r < int(m.titleOf_.size()) && m.titleOf_[r] > 0) titles.push_back(m.titleOf_[r]);
        for (int t = std::min(oldMax, newMax) + 1; t <= std::max(oldMax, newMax); ++t) titles.push_back(t);
        std::sort(titles.begin(), titles.end(), std::greater<int>());
        titles.erase(std::unique(titles.begin(), titles.end()), titles.end());
        while (!titles.empty() && titles.front() > std::max(oldMax, newMax)) titles.erase(titles.begin());
        if (titles.size() > kMostEntries) return false;

        // The rows go back to the order of the last load (a sort moved only
        // the row map), then each written entry's rows make way for its new
        // ones, newest entry first, so that the rows above each are settled.
        table.restoreRowSlots(m.slots_);
        table.markRebuilt();
        table.resetDataLooks();
        table.showAllRows();
        layOut(table, recordNumbersShown);
        m.rowCount_.resize(std::size_t(std::max(oldMax, newMax)) + 1, 0);
        m.titleOf_.resize(std::size_t(maxrec2) + 1, 0);
        bool sound = true;
        int shift = 0;
        for (int t : titles) {
            const int first = 1 + (t <= oldMax ? m.rowsBefore_[t] : 0) + shift;
            const int oldCount = m.rowCount_[t];
            for (int row = first; row < first + oldCount; ++row) {
                const long r = table.number(row, bcol::Child);
                if (r >= 1 && r <= maxrec2 && m.titleOf_[r] == t) m.titleOf_[r] = 0;
            }
            const std::string titleBytes =
                t <= newMax ? store.titleRecordBytes(t) : std::string(TitleRecord::kSize, '\0');
            const TitleRecordBytes title{titleBytes};
            std::vector<int> records;
            for (int slot = 0; slot < TitleRecord::kSlots; ++slot)
                if (title.slot(slot) > 0) records.push_back(title.slot(slot));
            table.replaceRows(first, oldCount, int(records.size()));
            for (std::size_t k = 0; k < records.size(); ++k) {
                const int r = records[k];
                const std::string contentBytes = r <= maxrec2 ? store.contentRecordBytes(r) : blankContentRecord();
                fillRow(table, first + int(k), first, newMax - t + 1, t, r, title,
                        ContentRecordBytes{contentBytes});
                if (r > maxrec2 || m.titleOf_[r] != 0) sound = false;
                else m.titleOf_[r] = t;
            }
            m.rowCount_[t] = int(records.size());
            shift += int(records.size()) - oldCount;
        }
        m.rowCount_.resize(std::size_t(newMax) + 1);
        m.rowsBefore_.assign(std::size_t(newMax) + 1, 0);
        for (int t = newMax, above = 0; t >= 1; --t) {
            m.rowsBefore_[t] = above;
            above += m.rowCount_[t];
        }
        // Every entry's number counts from the newest title.
        if (newMax != oldMax)
            for (int row = 1; row < table.rows(); ++row)
                assignNumber(table, row, bcol::Number, newMax - int(table.number(row, bcol::Parent)) + 1);
        if (table.rows() <= 1) table.currentRow = 0;
        m.valid_ = sound;
        return true;
    }
};

void データ読込(DataStore& store, GridTable& table, bool recordNumbersShown, BrowseLoadMemo* memo,
               bool onlyWritten) {
    GridTable::UpdateBatch batch(table);
    bool partial = false;
    if (memo) {
        memo->lastPartial_ = false;
        ++memo->loads_;
    }
    const bool loaded = Trap(" データ読込 ： 8414", [&] {
        store.Openfile1();
        store.Openfile2();
        BrowseLoadMemo::Loader loader{store, table, recordNumbersShown, memo};
        partial = memo && onlyWritten && loader.written();
        if (!partial) loader.whole();
        store.Close1();
        store.Close2();
        finishLoad(table);
    });
    if (memo) {
        if (loaded) {
            memo->lastPartial_ = partial;
            memo->store_ = &store;
            memo->table_ = &table;
            memo->recordNumbersShown_ = recordNumbersShown;
            memo->maxrec1_ = store.Maxrec1;
            memo->slots_ = table.rowSlots();
            memo->version_ = table.contentVersion();
            store.markPairRead();
        } else {
            memo->valid_ = false;
        }
    }
    // Both files are closed afterwards, also when the load stopped early.
    // Only reads went through them, so a failing close loses nothing.
    try {
        store.CloseAll();
    } catch (...) {
    }
}

}  // namespace mk
