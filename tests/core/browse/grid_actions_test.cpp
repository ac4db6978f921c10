#include "core/browse/grid_actions.h"

#include "core/browse/web_address.h"
#include "core/store/browse_load.h"
#include "tests/core/browse/browse_fixture.h"

namespace mk {
namespace {

using namespace browse_test;

// A table of `rows` data rows whose titles change at the given rows.
GridTable titledTable(int rows, std::vector<int> starts) {
    GridTable table(rows + 1, bcol::Count);
    table.setText(0, bcol::Title, "表題");
    int block = 0;
    for (int r = 1; r <= rows; ++r) {
        if (!starts.empty() && r == starts.front()) {
            ++block;
            starts.erase(starts.begin());
        }
        table.setText(r, bcol::Title, "title" + std::to_string(block));
    }
    return table;
}

TEST(EditContext, BlockAroundTheCurrentRow) {
    ScriptedMessages messages;
    GridTable table = titledTable(12, {1, 5, 10});  // blocks 1-4, 5-9, 10-12
    EditContext context;
    editContextRefresh(table, 7, 3, false, context);
    EXPECT_EQ(context.blockFirst, "5");
    EXPECT_EQ(context.blockLast, "9");
    EXPECT_EQ(context.currentRow, 7);
    EXPECT_EQ(context.currentCol, 3);

    editContextRefresh(table, 2, 1, false, context);  // the header ends the walk down
    EXPECT_EQ(context.firstRow(), 1);
    EXPECT_EQ(context.lastRow(), 4);
    editContextRefresh(table, 11, 4, false, context);  // no row after: the table's last
    EXPECT_EQ(context.firstRow(), 10);
    EXPECT_EQ(context.lastRow(), 12);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(EditContext, WalksNoFurtherThan200Rows) {
    ScriptedMessages messages;
    GridTable table = titledTable(600, {1, 520});  // one block of rows 1-519
    EditContext context;
    editContextRefresh(table, 300, 1, false, context);
    EXPECT_EQ(context.blockFirst, "0");     // no change within 200 rows down
    EXPECT_EQ(context.blockLast, "600");    // nor up: the table's last row
    editContextRefresh(table, 450, 1, false, context);
    EXPECT_EQ(context.blockFirst, "0");
    EXPECT_EQ(context.blockLast, "519");
}

TEST(EditContext, LockAndWhitePaint) {
    ScriptedMessages messages;
    GridTable table = titledTable(3, {1});
    table.setEditable(true);
    table.setBackColor(2, 4, palette::LightCyan);
    EditContext context;
    editContextRefresh(table, 1, 1, false, context);
    EXPECT_TRUE(table.editable());
    EXPECT_EQ(table.backColor(2, 4), palette::White);
    editContextRefresh(table, 1, 1, true, context);
    EXPECT_FALSE(table.editable());

    // A row outside the table is reported, not a crash.
    editContextRefresh(table, 9, 1, false, context);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.last().text.find("VSFlexGrid1_RowColChange :  2322"), std::string::npos);
}

TEST(CurrentCellTimer, MarksTheCurrentCellOnlyWithMoreThanTwoRows) {
    GridTable table = titledTable(3, {1});
    EditContext context;
    context.currentRow = 2;
    context.currentCol = 3;
    table.setBackColor(1, 1, palette::LightCyan);
    paintCurrentCell(table, context);
    EXPECT_EQ(table.backColor(1, 1), palette::White);
    EXPECT_EQ(table.backColor(2, 3), palette::LightCyan);

    GridTable small = titledTable(2, {1});
    small.setBackColor(1, 1, palette::LightRed);
    paintCurrentCell(small, context);
    EXPECT_EQ(small.backColor(1, 1), palette::LightRed);
    EXPECT_EQ(small.backColor(2, 3), palette::White);

    // Column 0 is never painted white again: it takes no cyan either.
    context.currentCol = 0;
    paintCurrentCell(table, context);
    EXPECT_EQ(table.backColor(2, 0), palette::White);
    EXPECT_EQ(table.backColor(2, 3), palette::White);
}

TEST(CellTransfer, OneLightCyanCellAmongWhiteOnes) {
    GridTable table = titledTable(3, {1});
    table.setText(2, bcol::Item, "ID");
    table.setBackColor(3, 4, palette::LightCyan);
    EXPECT_EQ(cellTransfer(table, 2, bcol::Item), "ID");
    EXPECT_EQ(table.backColor(2, bcol::Item), palette::LightCyan);
    EXPECT_EQ(table.backColor(3, 4), palette::White);
}

TEST(HeaderSort, AscendingFirstThenTogglingWhateverTheColumn) {
    GridTable table(4, bcol::Count);
    const char* items[] = {"", "b", "c", "a"};
    for (int r = 1; r <= 3; ++r) table.setText(r, bcol::Item, items[r]);
    SortState state;
    EXPECT_EQ(headerSort(table, bcol::Item, state), 1);
    EXPECT_EQ(table.text(0, 0), "▲");
    EXPECT_EQ(table.text(1, bcol::Item), "a");
    EXPECT_EQ(table.text(3, bcol::Item), "c");
    EXPECT_EQ(table.currentCol, bcol::Item);
    EXPECT_TRUE(table.mergeCol(0));
    EXPECT_TRUE(table.mergeCol(1));

    EXPECT_EQ(headerSort(table, bcol::Content, state), -1);  // another column: descending
    EXPECT_EQ(table.text(0, 0), "▼");
    EXPECT_EQ(headerSort(table, bcol::Item, state), 1);
    EXPECT_EQ(table.text(1, bcol::Item), "a");
    EXPECT_EQ(headerSort(table, bcol::Item, state), -1);
    EXPECT_EQ(table.text(1, bcol::Item), "c");
}

TEST(GridHelp, ZonesByTwips) {
    const std::string transfer = gridHelpText(6000, 3000, 3);
    EXPECT_EQ(transfer.rfind("セルをクリックすると検索ボックスに転送されます。", 0), 0u);
    EXPECT_EQ(gridHelpText(100, 100, 2), "チェックを入れた行をエクセルに転送します。");
    EXPECT_EQ(gridHelpText(9000, 270, 4).rfind("項目行をクリックすると並び替えをします。", 0), 0u);
    EXPECT_EQ(gridHelpText(0, 0, 1), gridHelpText(9000, 270, 4));
    EXPECT_EQ(gridHelpText(6001, 271, 4),
              "セルの簡単な修正が出来ます。行の追加など詳細な修正や新規登録は新規登録・編集画面で実施してください。");
    EXPECT_EQ(gridHelpText(0, 3001, 1),
              "セルの簡単な修正が出来ます。クリップボードからの貼り付けは出来ません。詳細な修正は新規登録・編集画面で実施してください。");
    EXPECT_EQ(gridHelpText(0, -1, 1), gridHelpText(0, 3001, 1));
    EXPECT_EQ(gridHelpText(-1, 3001, 1), transfer);
    EXPECT_EQ(gridHelpText(-1, 500, 1), gridHelpText(6001, 271, 4));
}

TEST(WebAddress, WhatOpensAndWhatItOpens) {
    EXPECT_TRUE(isWebAddress("https://example.jp"));
    EXPECT_TRUE(isWebAddress("ｗｗｗ．ｅｘａｍｐｌｅ．ｊｐ"));
    EXPECT_TRUE(isWebAddress("WwW.example.jp"));
    EXPECT_FALSE(isWebAddress("example.jp"));
    EXPECT_FALSE(isWebAddress("ｈｔｔ"));

    EXPECT_EQ(webAddressFor("www.example.jp"), "http://www.example.jp");
    EXPECT_EQ(webAddressFor("https://example.jp/a?b=C"), "https://example.jp/a?b=C");
    EXPECT_EQ(webAddressFor("HTTP://Example.jp"), "HTTP://Example.jp");
    EXPECT_EQ(webAddressFor("ｗｗｗ．ｅｘａｍｐｌｅ．ｊｐ"), "http://www.example.jp");
    EXPECT_EQ(webAddressFor("ログイン：https://a.jp/x　メモ"), "https://a.jp/x");
    // Nothing but an http(s) address comes out, whatever the cell holds.
    EXPECT_EQ(webAddressFor("file:///etc/passwd www"), "http://www");
    EXPECT_EQ(webAddressFor("www.a.jp & rm -rf /"), "http://www.a.jp");
    EXPECT_EQ(webAddressFor("javascript:alert(1)//http"), "http://http");
    EXPECT_EQ(webAddressFor("none"), "");
}

}  // namespace
}  // namespace mk
