#include "core/maintenance/array_check.h"

#include <string>
#include <vector>

#include "core/base/messages.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr int kSlotTableCols = TitleRecord::kSlots + 3;
constexpr int kContentTableCols = 5;
constexpr int kColumnTwips = 700;
constexpr int kTextColumnTwips = 2200;
constexpr int kNumberColumnTwips = 1500;
constexpr int kRowTwips = 550;
constexpr int kHeaderRowTwips = 300;

void layOut(GridTable& table, int firstCentred) {
    table.setColWidth(-1, kColumnTwips);
    table.setRowHeight(-1, kRowTwips);
    table.setRowHeight(0, kHeaderRowTwips);
    for (int c = firstCentred; c < table.cols(); ++c) table.setHeaderAlign(c, Align::Center);
}

}  // namespace

SlotTally 表題と項目のRec(DataStore& store, GridTable& table) {
    const std::vector<TitleRecord> titles = store.readTitles();
    const int maxrec2 = int(store.readContents().size());
    {
        GridTable::UpdateBatch batch(table);
        table.clear();
        table.setCols(kSlotTableCols);
        table.setRows(int(titles.size()) + 1);
        for (int s = 1; s <= TitleRecord::kSlots; ++s) table.setText(0, s + 1, std::to_string(s));
        for (std::size_t i = 0; i < titles.size(); ++i) {
            const int t = int(i + 1);
            table.setText(t, 0, std::to_string(t));
            table.setText(t, 1, CleanField(std::string(titles[i].表題)));
            for (int s = 1; s <= TitleRecord::kSlots; ++s)
                table.setText(t, s + 1, std::to_string(titles[i].子Rec[s - 1]));
        }
        layOut(table, 1);
        table.setColWidth(1, kTextColumnTwips);
    }

    const SlotTally tally = tallySlots(titles, maxrec2);
    if (tally.outOfRange > 0)
        MsgBox("異常報告　　項目Recが　Maxrec2 を超えているデータが　" +
               std::to_string(tally.outOfRange) + "件ありました。");
    if (tally.duplicates > 0)
        MsgBox("異常報告　　項目Recの重複が　" + std::to_string(tally.duplicates) +
               "件ありました。");
    if (tally.outOfRange == 0 && tally.duplicates == 0)
        MsgBox(
            "データの配列検査の結果　　異常なレコード番号や重複はありません。　データは全て正常です"
            "。");
    return tally;
}

void 項目表示(DataStore& store, GridTable& table) {
    const std::vector<ContentRecord> contents = store.readContents();
    GridTable::UpdateBatch batch(table);
    table.clear();
    table.setCols(kContentTableCols);
    table.setRows(int(contents.size()) + 1);
    const char* const headers[] = {"項目", "内容", "自分Rec", "親Rec"};
    for (int c = 1; c < kContentTableCols; ++c) table.setText(0, c, headers[c - 1]);
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const int d = int(i + 1);
        const ContentRecord& rec = contents[i];
        table.setText(d, 0, std::to_string(d));
        table.setText(d, 1, CleanField(std::string(rec.項目)));
        table.setText(d, 2, CleanField(std::string(rec.内容)));
        table.setText(d, 3, std::to_string(rec.自分Rec));
        table.setText(d, 4, std::to_string(rec.親Rec));
    }
    layOut(table, 1);
    table.setColWidth(1, kTextColumnTwips);
    table.setColWidth(2, kTextColumnTwips);
    table.setColWidth(3, kNumberColumnTwips);
    table.setColWidth(4, kNumberColumnTwips);
}

}  // namespace mk
