#include "core/store/browse_load.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
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
        // reads as a blank record.
        const int maxrec1 = store.Maxrec1;
        std::vector<TitleRecord> titles = store.readAllTitles();
        // Items and contents come cleaned straight from their bytes, and are
        // handed to the table without a copy when only one slot names them
        // (always, unless a damaged file names a record twice).
        std::vector<ContentRecord> contents = store.readAllContents(FieldForm::Cleaned);
        ContentRecord blank = ContentRecord::fromBytes(std::string_view(), FieldForm::Cleaned);
        std::vector<int> uses(contents.size(), 0);
        // The rows the table will hold, so that a new table is sized once
        // rather than grown and moved along the way.
        int shownRows = 0;
        for (const TitleRecord& title : titles)
            for (int r : title.子Rec) {
                if (r > 0) ++shownRows;
                if (r > 0 && std::size_t(r) <= contents.size()) ++uses[r - 1];
            }
        table.setRows(std::max(kInitialRows, shownRows + 1));

        for (int t = maxrec1; t >= 1; --t) {
            if (std::size_t(t) > titles.size()) continue;  // cannot happen with a whole read
            TitleRecord& title = titles[t - 1];
            const std::string titleText = shownTitle(std::move(title.表題));
            const std::string number = std::to_string(maxrec1 - t + 1);
            const std::string parent = std::to_string(t);
            const std::string status = std::to_string(title.Status);

            for (int slot = 0; slot < TitleRecord::kSlots; ++slot) {
                const int r = title.子Rec[slot];
                if (r <= 0) continue;
                const bool inFile = std::size_t(r) <= contents.size();
                ContentRecord& content = inFile ? contents[r - 1] : blank;
                char child[8];
                const auto childEnd = std::to_chars(child, child + sizeof child, r).ptr;

                // Short texts are copied into the cells' own storage, which a
                // reload reuses.
                table.assignText(next, bcol::Number, number);
                table.assignText(next, bcol::Title, titleText);
                table.setCheckState(next, bcol::Output,
                                    LeadingNumber(content.出力) == 1 ? Checked : Unchecked);
                if (inFile && uses[r - 1] == 1) {
                    // The record takes the cell's old text, and frees it with
                    // the other records, in the order it was once allocated:
                    // far cheaper than freeing it here, row by row.
                    table.swapText(next, bcol::Item, content.項目);
                    table.swapText(next, bcol::Content, content.内容);
                } else {
                    table.assignText(next, bcol::Item, content.項目);
                    table.assignText(next, bcol::Content, content.内容);
                }
                table.assignText(next, bcol::Parent, parent);
                table.assignText(next, bcol::Child,
                                 std::string_view(child, std::size_t(childEnd - child)));
                table.assignText(next, bcol::Status, status);

                ++next;
                if (next > table.rows() - 1) table.setRows(table.rows() + kGrowRows);
            }
        }

        store.Close1();
        store.Close2();
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
