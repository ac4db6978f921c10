#include "core/store/browse_load.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <sys/stat.h>

#include "core/base/scripted_messages.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

using test::contentRecordBytes;
using test::titleRecordBytes;

struct LoadFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    DataStore store{folder.path()};
    GridTable table{1, 1};

    std::string dataFolder() const { return folder.path() + "DuzoZuzevod/"; }
    void writeFiles(const std::string& titles, const std::string& contents) {
        ::mkdir(dataFolder().c_str(), 0700);
        test::writeFile(dataFolder() + kTitleFileName, titles);
        test::writeFile(dataFolder() + kContentFileName, contents);
    }
    void load(bool recordNumbers = false) { データ読込(store, table, recordNumbers); }
    std::string cell(int r, int c) const { return table.text(r, c); }
};

// ---- the cases ------------------------------------------------------------

TEST_F(LoadFixture, EmptyFilesLeaveOnlyTheHeader) {
    table.currentRow = 0;
    load();  // no data folder at all: the opens create it with empty files
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(table.rows(), 1);
    EXPECT_EQ(table.cols(), 8);
    EXPECT_EQ(cell(0, 1), "表題");
    EXPECT_EQ(cell(0, 7), "Status");
    EXPECT_EQ(table.currentRow, 0);  // no cell (1,1) to select
    EXPECT_FALSE(table.checkCentered());
    EXPECT_FALSE(store.file1Open());
    EXPECT_FALSE(store.file2Open());
    EXPECT_EQ(test::fileSize(dataFolder() + kTitleFileName), 0);
}

TEST_F(LoadFixture, OneEntryOneRowIsLaidOutAndNotCentred) {
    writeFiles(titleRecordBytes("楽天銀行", {1}, 1, 9),
               contentRecordBytes("1", "ＩＤ", "user01@example.jp", 1, 1));
    load();
    ASSERT_EQ(table.rows(), 2);
    EXPECT_TRUE(messages.messages.empty());
    const std::vector<std::string> header = {"", "表題", "出力", "項目", "内容", "親Rec", "子Rec", "Status"};
    const std::vector<std::string> row = {"1", "楽天銀行", "", "ＩＤ", "user01@example.jp", "1", "1", "9"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(cell(0, c), header[c]) << c;
        EXPECT_EQ(cell(1, c), row[c]) << c;
    }
    EXPECT_EQ(table.checkState(1, bcol::Output), Checked);
    EXPECT_FALSE(table.checkCentered());
    EXPECT_EQ(table.currentRow, 1);
    EXPECT_EQ(table.currentCol, 1);
    EXPECT_EQ(table.rowHeight(0), 300);
    EXPECT_EQ(table.rowHeight(1), 550);
    EXPECT_EQ(table.headerBackColor(), kTeal);
    EXPECT_EQ(table.headerForeColor(), palette::White);
    EXPECT_EQ(table.headerAlign(4), Align::Center);
    EXPECT_EQ(table.backColor(1, 4), palette::White);
    EXPECT_TRUE(table.mergeCol(0));
    EXPECT_TRUE(table.mergeCol(1));
    EXPECT_FALSE(table.mergeCol(3));
    EXPECT_TRUE(table.editable());

    const std::vector<int> widths = {700, 3000, 700, 4000, 5000, 1100, 1100, 700};
    const std::vector<Align> aligns = {Align::Right, Align::Left, Align::Center, Align::Left,
                                       Align::Left, Align::Right, Align::Right, Align::Left};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(table.colWidth(c), widths[c]) << c;
        EXPECT_EQ(table.colAlign(c), aligns[c]) << c;
        EXPECT_EQ(table.colHidden(c), c == 2 || c >= 5) << c;
    }
    load(true);  // record numbers shown
    EXPECT_EQ(table.colWidth(3), 3000);
    EXPECT_EQ(table.colWidth(4), 4000);
    for (int c = 0; c < 8; ++c) EXPECT_FALSE(table.colHidden(c)) << c;
}

TEST_F(LoadFixture, RowsFollowTitlesNewestFirstAndSlotsInOrder) {
    // Title 1 reads back as zero bytes (a deleted title): no row, but it still
    // counts in the numbers of the others. Title 3 uses slots 0,5,0,7.
    std::string titles = std::string(154, '\0') + titleRecordBytes("B", {2}, 2) +
                         titleRecordBytes("C", {0, 5, 0, 7}, 3) + titleRecordBytes("D", {1}, 4);
    std::string contents;
    for (int r = 1; r <= 7; ++r)
        contents += contentRecordBytes("2", "item" + std::to_string(r), "v" + std::to_string(r), 0, r);
    writeFiles(titles, contents);
    load();
    ASSERT_EQ(table.rows(), 5);
    const std::vector<std::vector<std::string>> expected = {
        {"1", "D", "item1", "4", "1"}, {"2", "C", "item5", "3", "5"},
        {"2", "C", "item7", "3", "7"}, {"3", "B", "item2", "2", "2"}};
    for (int r = 1; r <= 4; ++r) {
        const auto& e = expected[r - 1];
        EXPECT_EQ(cell(r, 0), e[0]) << r;
        EXPECT_EQ(cell(r, 1), e[1]) << r;
        EXPECT_EQ(cell(r, 3), e[2]) << r;
        EXPECT_EQ(cell(r, 5), e[3]) << r;
        EXPECT_EQ(cell(r, 6), e[4]) << r;
    }
    EXPECT_TRUE(table.checkCentered());  // more than two data rows
}

TEST_F(LoadFixture, TitlesAndItemsAreCleanedDifferently) {
    std::string titles = titleRecordBytes("     ", {1}, 1) + titleRecordBytes("\r\n", {2}, 2) +
                         titleRecordBytes(" \n ", {3}, 3) + titleRecordBytes("Web\nメール", {4}, 4) +
                         titleRecordBytes(std::string("abc\0def", 7), {5}, 5) +
                         titleRecordBytes("　ソフト表　", {6}, 6);
    std::string contents = contentRecordBytes("0", "  メモ\n2行", "  一行目\r\n二行目  ", 4, 1);
    for (int r = 2; r <= 6; ++r) contents += contentRecordBytes("0", "i", "c", r, r);
    writeFiles(titles, contents);
    load();
    ASSERT_EQ(table.rows(), 7);
    EXPECT_EQ(cell(1, 1), "　ソフト表　");  // full-width spaces stay
    EXPECT_EQ(cell(2, 1), "abc");           // blank from the NUL on
    EXPECT_EQ(cell(3, 1), "Webメール");    // the line feed goes
    EXPECT_EQ(cell(4, 1), "空白");
    EXPECT_EQ(cell(5, 1), "空白");
    EXPECT_EQ(cell(6, 1), "空白");
    EXPECT_EQ(cell(6, 3), "メモ\n2行");     // items and contents keep theirs
    EXPECT_EQ(cell(6, 4), "一行目\r\n二行目");
}

TEST_F(LoadFixture, OutputFieldGivesTheCheckState) {
    std::string contents;
    const std::vector<std::string> outputs = {"1", "2", "0", "  ", " 1", "x"};
    for (int r = 1; r <= int(outputs.size()); ++r) contents += contentRecordBytes(outputs[r - 1], "i", "c", 1, r);
    writeFiles(titleRecordBytes("T", {1, 2, 3, 4, 5, 6}, 1), contents);
    load();
    ASSERT_EQ(table.rows(), 7);
    const std::vector<CheckState> expected = {Checked, Unchecked, Unchecked, Unchecked, Checked, Unchecked};
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(table.checkState(r, 2), expected[r - 1]) << outputs[r - 1];
}

TEST_F(LoadFixture, SlotPastTheEndGivesABlankRowWithoutStopping) {
    writeFiles(titleRecordBytes("T", {1, 40, 2}, 1) + titleRecordBytes("U", {3000}, 2),
               contentRecordBytes("1", "a", "b", 1, 1) + contentRecordBytes("1", "c", "d", 1, 2));
    load();
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(table.rows(), 5);
    EXPECT_EQ(cell(1, 1), "U");
    EXPECT_EQ(cell(1, 3), "");
    EXPECT_EQ(cell(1, 6), "3000");
    EXPECT_EQ(table.checkState(1, 2), Unchecked);
    EXPECT_EQ(cell(3, 3), "");
    EXPECT_EQ(cell(3, 6), "40");
    EXPECT_EQ(cell(4, 3), "c");
}

TEST_F(LoadFixture, RecordNamedTwiceShowsInBothRows) {
    // A damaged file: two slots (and two titles) name content record 1.
    writeFiles(titleRecordBytes("T", {1, 2, 1}, 1) + titleRecordBytes("U", {1}, 2),
               contentRecordBytes("1", " a ", " b ", 1, 1) + contentRecordBytes("2", "c", "d", 1, 2));
    load();
    ASSERT_EQ(table.rows(), 5);
    for (int r : {1, 2, 4}) {
        EXPECT_EQ(cell(r, 3), "a") << r;
        EXPECT_EQ(cell(r, 4), "b") << r;
        EXPECT_EQ(table.checkState(r, 2), Checked) << r;
    }
    EXPECT_EQ(cell(3, 3), "c");
}

TEST_F(LoadFixture, TableGrowsPastItsFirstBlockAndIsCutToSize) {
    std::string titles, contents;
    for (int t = 1; t <= 24; ++t) {
        std::vector<int> slots;
        for (int i = 1; i <= 50; ++i) {
            int r = (t - 1) * 50 + i;
            slots.push_back(r);
            contents += contentRecordBytes("2", "item", std::to_string(r), t, r);
        }
        titles += titleRecordBytes("title" + std::to_string(t), slots, t);
    }
    writeFiles(titles, contents);
    struct Resets : GridTable::Listener {
        int resets = 0, other = 0;
        void tableReset() override { ++resets; }
        void cellsChanged(int, int, int, int) override { ++other; }
        void rowsRearranged(const std::vector<int>&) override { ++other; }
        void layoutChanged() override { ++other; }
    } listener;
    table.setListener(&listener);
    load();
    EXPECT_EQ(listener.resets, 1);  // the view hears one reset for the whole load
    EXPECT_EQ(listener.other, 0);
    ASSERT_EQ(table.rows(), 1201);
    EXPECT_EQ(cell(1, 1), "title24");
    EXPECT_EQ(cell(1, 4), "1151");
    EXPECT_EQ(cell(500, 4), "750");  // title 15, slot 50
    EXPECT_EQ(cell(1200, 4), "50");
    EXPECT_EQ(cell(1200, 0), "24");
    EXPECT_EQ(table.rowHeight(1200), 550);
    EXPECT_EQ(table.backColor(1200, 7), palette::White);
}

TEST_F(LoadFixture, ReloadDiscardsMarksHiddenRowsAndOrder) {
    writeFiles(titleRecordBytes("A", {1}, 1) + titleRecordBytes("B", {2}, 2),
               contentRecordBytes("1", "x", "1", 1, 1) + contentRecordBytes("1", "y", "2", 2, 2));
    load();
    table.setForeColor(1, 3, palette::LightRed);
    table.setRowHidden(2, true);
    table.sortByColumn(1, true);
    table.setRows(40);
    load();
    ASSERT_EQ(table.rows(), 3);
    EXPECT_EQ(cell(1, 1), "B");
    EXPECT_EQ(table.foreColor(1, 3), palette::Black);
    EXPECT_EQ(table.visibleDataRows(), 2);
}

TEST_F(LoadFixture, ReadFailureIsReportedAndClosesTheFiles) {
    writeFiles(titleRecordBytes("A", {1}, 1), contentRecordBytes("1", "x", "1", 1, 1));
    fs::failOperation("read", EIO);
    load();
    fs::clearFaults();
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.last().title, "エラー発生表示");
    EXPECT_NE(messages.last().text.find("エラーの場所：  データ読込 ： 8414"), std::string::npos);
    EXPECT_FALSE(store.file1Open());
    EXPECT_FALSE(store.file2Open());
}

// A load that an error stops once its rows are filled leaves the table at
// the capacity it had then: 500 rows, or 1000 more after a last row that
// filled it. The counted capacity must give the same table as a made one.
TEST_F(LoadFixture, CloseFailureLeavesTheTableAtItsCapacity) {
    const std::vector<std::pair<int, int>> cases = {{3, 500}, {499, 1500}, {1200, 2201}};
    for (const auto& [rows, capacity] : cases) {
        std::string titles, contents;
        for (int first = 1, t = 1; first <= rows; first += TitleRecord::kSlots, ++t) {
            std::vector<int> slots;
            for (int r = first; r <= rows && r < first + TitleRecord::kSlots; ++r) {
                slots.push_back(r);
                contents += contentRecordBytes("0", "item", std::to_string(r), t, r);
            }
            titles += titleRecordBytes("t" + std::to_string(t), slots, t);
        }
        writeFiles(titles, contents);
        messages.messages.clear();
        fs::failOperation("close", EIO);
        load();
        fs::clearFaults();
        EXPECT_FALSE(messages.messages.empty()) << rows;
        ASSERT_EQ(table.rows(), capacity) << rows;
        EXPECT_EQ(cell(rows, 3), "item") << rows;
        EXPECT_EQ(cell(rows + 1, 3), "") << rows;
        EXPECT_EQ(table.rowHeight(capacity - 1), 550) << rows;
    }
}

// The load reads each file in one go and hands fields over without copies;
// it must give exactly the table that reading record by record gives.
TEST_F(LoadFixture, MatchesARecordByRecordReading) {
    const std::vector<std::string> pieces = {" ", " ", "a", "Z9", std::string(1, '\0'), "\n", "\r",
                                             "\x1f", "　", "ソ", "表題", "1", "-"};
    std::vector<std::string> pieceBytes;
    for (const auto& p : pieces) pieceBytes.push_back(test::cp932Bytes(p));
    uint32_t seed = 12345;
    auto next = [&](uint32_t n) { seed = seed * 1103515245u + 12345u; return (seed >> 8) % n; };
    auto randomField = [&](std::size_t width) {
        std::string bytes;
        std::size_t length = next(uint32_t(width) + 1);
        while (bytes.size() < length) {
            const std::string& piece = pieceBytes[next(uint32_t(pieceBytes.size()))];
            if (bytes.size() + piece.size() > width) break;
            bytes += piece;
        }
        bytes.resize(width, ' ');
        return bytes;
    };
    const int contentCount = 300;
    std::string titles, contents;
    for (int r = 1; r <= contentCount; ++r)
        contents += contentRecordBytes("", "", "", 1, r).replace(0, 142, randomField(2) + randomField(50) + randomField(90));
    for (int t = 1; t <= 40; ++t) {
        std::vector<int> slots(50, 0);
        for (int& slot : slots) {
            int kind = next(10);
            slot = kind < 5 ? 0 : kind < 9 ? 1 + int(next(contentCount + 20)) : -int(next(5));
        }
        titles += t % 13 == 0 ? std::string(154, '\0') : titleRecordBytes("", slots, t, int(next(10)));
        if (t % 13 != 0) titles.replace(std::size_t(t - 1) * 154, 50, randomField(50));
    }
    writeFiles(titles, contents);
    load();
    ASSERT_TRUE(messages.messages.empty());

    std::vector<std::vector<std::string>> expected;
    std::vector<CheckState> checks;
    store.Openfile1();
    store.Openfile2();
    for (int t = store.Maxrec1; t >= 1; --t) {
        TitleRecord title = store.readTitle(t);
        std::string titleText = StripLineBreaks(CleanField(title.表題));
        if (titleText.empty()) titleText = "空白";
        for (int r : title.子Rec) {
            if (r <= 0) continue;
            ContentRecord content = store.readContent(r);
            expected.push_back({std::to_string(store.Maxrec1 - t + 1), titleText, "",
                                Trim(CleanField(content.項目)), Trim(CleanField(content.内容)),
                                std::to_string(t), std::to_string(r), std::to_string(title.Status)});
            checks.push_back(LeadingNumber(content.出力) == 1 ? Checked : Unchecked);
        }
    }
    store.CloseAll();
    ASSERT_GT(expected.size(), 400u);  // duplicates, blanks and past-the-end slots among them
    ASSERT_EQ(table.rows(), int(expected.size()) + 1);
    for (int row = 1; row < table.rows(); ++row) {
        for (int c = 0; c < 8; ++c) ASSERT_EQ(cell(row, c), expected[row - 1][c]) << row << "," << c;
        ASSERT_EQ(table.checkState(row, 2), checks[row - 1]) << row;
    }
}

// A reload after the program's own writes decodes only the entries written
// since the last load; whatever happened in between, the table must be
// exactly the one a whole load of the files gives.
TEST_F(LoadFixture, AReloadAfterWritesInPlaceIsTheTableOfAWholeLoad) {
    auto entry = [](int titleRec, const std::string& title, int rows) {
        EntryWrite e{titleRec, title, {}, {}};
        for (int k = 0; k < rows; ++k) e.rows.push_back({0, "項目" + std::to_string(k), title + "の内容" + std::to_string(k)});
        return e;
    };
    for (int i = 1; i <= 30; ++i) {
        EntryWrite e = entry(0, "表題" + std::to_string(i), 1 + i % 6);
        store.writeNewEntry(e);
    }
    // The rows an entry holds now, with their records, for a rewrite.
    auto rewrite = [&](int t, int rows) {
        StoredEntry stored = store.readEntry(t);
        EntryWrite e = entry(t, "書換" + std::to_string(t), rows);
        for (std::size_t k = 0; k < e.rows.size() && k < stored.rows.size(); ++k)
            e.rows[k].record = stored.rows[k].自分Rec;
        std::vector<EntryWrite> entries{e};
        ASSERT_TRUE(store.rewriteEntries(entries));
    };
    BrowseLoadMemo memo;
    データ読込(store, table, false, &memo);
    ASSERT_FALSE(memo.lastLoadWasPartial());

    struct Step {
        const char* what;
        std::function<void()> change;
        bool partial;
    };
    const std::vector<Step> steps = {
        {"nothing written", [] {}, true},
        {"an entry gains rows", [&] { rewrite(5, 9); }, true},
        {"another entry gains rows", [&] { rewrite(12, 4); }, true},
        {"sorted, narrowed and marked, then rewritten", [&] {
             table.sortByColumn(bcol::Item, false);
             table.setRowHidden(3, true);
             table.fillBackColor(2, 1, 4, 4, palette::LightRed);
             table.fillBold(2, 1, 4, 4, true);
             rewrite(20, 3);
         }, true},
        {"a middle entry deleted", [&] { store.deleteEntry(9); }, true},
        {"the newest entry deleted", [&] { store.deleteEntry(30); }, true},
        {"a row deleted", [&] {
             StoredEntry e = store.readEntry(3);
             store.deleteRow(3, e.rows.at(1).自分Rec);
         }, true},
        {"fields and marks written", [&] {
             StoredEntry e = store.readEntry(7);
             ASSERT_TRUE(store.writeContentFields(e.rows.at(0).自分Rec, ContentFields{std::nullopt, std::string("新項目"), std::nullopt}));
             store.writeOutputMarks({{e.rows.at(0).自分Rec, "1"}});
         }, true},
        {"a new entry", [&] {
             EntryWrite e = entry(0, "新しい表題", 4);
             store.writeNewEntry(e);
         }, true},
        {"a cell changed on the table", [&] {
             table.setText(1, bcol::Item, "画面だけの文字");
             rewrite(2, 3);
         }, false},
        {"after the whole load, in place again", [&] { rewrite(2, 5); }, true},
        {"the pair replaced", [&] {
             std::string titles, contents;
             store.Openfile1();
             store.Openfile2();
             store.readOpenPairBytes(titles, contents);
             store.CloseAll();
             store.replacePair(titles, contents);
         }, false},
        {"every entry deleted", [&] {
             for (int t = 1; t <= 31; ++t) store.deleteEntry(t);
         }, true},
        {"a first entry again", [&] {
             EntryWrite e = entry(0, "最初の表題", 2);
             store.writeNewEntry(e);
         }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        table.currentRow = 5;
        データ読込(store, table, false, &memo, true);
        EXPECT_EQ(memo.lastLoadWasPartial(), step.partial);
        GridTable whole(1, 1);
        データ読込(store, whole, false);
        ASSERT_TRUE(messages.messages.empty());
        ASSERT_EQ(table.rows(), whole.rows());
        EXPECT_EQ(table.currentRow, whole.currentRow);
        EXPECT_EQ(table.checkCentered(), whole.checkCentered());
        for (int r = 0; r < whole.rows(); ++r) {
            ASSERT_EQ(table.rowHidden(r), whole.rowHidden(r)) << r;
            ASSERT_EQ(table.rowHeight(r), whole.rowHeight(r)) << r;
            for (int c = 0; c < bcol::Count; ++c) {
                ASSERT_EQ(table.text(r, c), whole.text(r, c)) << r << "," << c;
                ASSERT_EQ(table.checkState(r, c), whole.checkState(r, c)) << r << "," << c;
                ASSERT_EQ(table.foreColor(r, c), whole.foreColor(r, c)) << r << "," << c;
                ASSERT_EQ(table.backColor(r, c), whole.backColor(r, c)) << r << "," << c;
                ASSERT_EQ(table.bold(r, c), whole.bold(r, c)) << r << "," << c;
            }
        }
    }
}

}  // namespace
}  // namespace mk
