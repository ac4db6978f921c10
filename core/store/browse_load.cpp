#include "core/store/browse_load.h"

#include <algorithm>
#include <charconv>
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

void SetVsGrid11(GridTable& table, bool recordNumbersShown) {
    Trap("3717: SetVsGrid11", [&] {
        GridTable::UpdateBatch batch(table);
        table.setCols(bcol::Count);
        if (table.rows() < 1) table.setRows(1);  // the header row
        table.clear();
        for (int c = 1; c < bcol::Count; ++c) table.setText(0, c, kHeaders[c]);

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
    });
}

namespace {

// A number as plain decimal text, into a cell's own storage.
void assignNumber(GridTable& table, int row, int col, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    table.assignText(row, col, std::string_view(digits, std::size_t(end - digits)));
}

// The title text of the first row of an entry, decoded into that row's cell:
// cleaned, line breaks removed, "空白" when nothing is left.
void decodeTitle(std::string& cell, std::string_view field) {
    cp932::decodeInto(cell, cleanedFieldBytes(field));
    if (cell.find_first_of("\r\n\x1f") != std::string::npos) cell = StripLineBreaks(cell);
    if (cell.empty()) cell = "空白";
}

}  // namespace

void データ読込(DataStore& store, GridTable& table, bool recordNumbersShown) {
    GridTable::UpdateBatch batch(table);
    Trap(" データ読込 ： 8414", [&] {
        store.Openfile1();
        store.Openfile2();
        // Nothing of the previous table survives: dropping every data row
        // also drops its marks, hidden flags and heights (and spares the
        // layout below from clearing cells that go anyway).
        table.setRows(1);
        SetVsGrid11(table, recordNumbersShown);
        int next = 1;

        // Each file in one read; the rows come out exactly as with one read
        // per record, because a slot past the end of the content file still
        // reads as a blank record. Every text is decoded once, from its
        // bytes straight into the cell that shows it, whose storage a reload
        // reuses.
        const int maxrec1 = store.Maxrec1;
        const int maxrec2 = store.Maxrec2;
        std::string titleBytes, contentBytes;
        store.readOpenPairBytes(titleBytes, contentBytes);
        auto titleAt = [&](int t) {
            return TitleRecordBytes{std::string_view(titleBytes).substr(
                std::size_t(t - 1) * TitleRecord::kSize, TitleRecord::kSize)};
        };
        static const std::string blankContent(ContentRecord::kSize, '\0');
        auto contentAt = [&](int r) {
            if (r > maxrec2) return ContentRecordBytes{blankContent};
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
        try {
            for (int t = maxrec1; t >= 1; --t) {
                const TitleRecordBytes title = titleAt(t);
                int first = 0;  // the entry's first row, which holds the decoded title
                for (int slot = 0; slot < TitleRecord::kSlots; ++slot) {
                    const int r = title.slot(slot);
                    if (r <= 0) continue;
                    const ContentRecordBytes content = contentAt(r);

                    if (first == 0) {
                        first = next;
                        decodeTitle(table.textForWrite(next, bcol::Title), title.title());
                    } else {
                        table.assignText(next, bcol::Title, table.text(first, bcol::Title));
                    }
                    assignNumber(table, next, bcol::Number, maxrec1 - t + 1);
                    // Read on the bytes: a number's characters are ASCII, and no
                    // other byte decodes to one.
                    const bool checked = LeadingNumber(cleanedFieldBytes(content.output())) == 1;
                    table.setCheckState(next, bcol::Output, checked ? Checked : Unchecked);
                    cp932::decodeInto(table.textForWrite(next, bcol::Item),
                                      cleanedFieldBytes(content.item()));
                    cp932::decodeInto(table.textForWrite(next, bcol::Content),
                                      cleanedFieldBytes(content.content()));
                    assignNumber(table, next, bcol::Parent, t);
                    assignNumber(table, next, bcol::Child, r);
                    assignNumber(table, next, bcol::Status, title.status());

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
        if (next == 1) return;

        table.setRowHeight(-1, kDataRowHeight);
        table.setRowHeight(0, kHeaderRowHeight);
        if (next - 1 > 2) table.setCheckCentered(true);
        table.fillBackColor(1, 1, next - 1, table.cols() - 1, palette::White);
        for (int c = 1; c < bcol::Count; ++c) table.setHeaderAlign(c, Align::Center);
        table.setHeaderColors(kTeal, palette::White);
        table.currentRow = 1;
        table.currentCol = 1;
    });
    // Both files are closed afterwards, also when the load stopped early.
    // Only reads went through them, so a failing close loses nothing.
    try {
        store.CloseAll();
    } catch (...) {
    }
}

}  // namespace mk
