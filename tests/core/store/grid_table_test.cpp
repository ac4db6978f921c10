#include "core/store/grid_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "core/base/errors.h"

namespace mk {
namespace {

struct CountingListener : GridTable::Listener {
    int resets = 0, cells = 0, colors = 0, checks = 0, rearranged = 0, layouts = 0;
    int lastBlock[4] = {};
    std::vector<int> lastMoves;
    void tableReset() override { ++resets; }
    void cellsChanged(int r1, int c1, int r2, int c2) override {
        ++cells;
        lastBlock[0] = r1, lastBlock[1] = c1, lastBlock[2] = r2, lastBlock[3] = c2;
    }
    void looksChanged(int r1, int c1, int r2, int c2, GridTable::Look what) override {
        ++(what == GridTable::Look::Colors ? colors : checks);
        lastBlock[0] = r1, lastBlock[1] = c1, lastBlock[2] = r2, lastBlock[3] = c2;
    }
    void rowsRearranged(const std::vector<int>& newRowOf) override {
        ++rearranged;
        lastMoves = newRowOf;
    }
    void layoutChanged() override { ++layouts; }
    int total() const { return resets + cells + colors + checks + rearranged + layouts; }
};

// A table whose column 0 holds the given texts in rows 1..n, and whose every
// row carries looks derived from its original row number.
GridTable tableWithColumn(const std::vector<std::string>& values) {
    GridTable table(int(values.size()) + 1, 3);
    table.setText(0, 0, "header");
    for (int r = 1; r <= int(values.size()); ++r) {
        table.setText(r, 0, values[r - 1]);
        table.setText(r, 1, "row" + std::to_string(r));
        table.setBackColor(r, 2, Rgb(r));
        table.setCheckState(r, 1, r % 2 ? Checked : Unchecked);
        table.setRowHeight(r, 100 + r);
        table.setRowHidden(r, r == 2);
    }
    return table;
}

// The original row numbers of rows 1..n, read back from column 1.
std::vector<std::string> rowOrder(const GridTable& table) {
    std::vector<std::string> order;
    for (int r = 1; r < table.rows(); ++r) order.push_back(table.text(r, 1));
    return order;
}

// Every look of a row must still belong to the row its texts came from.
void expectLooksFollowed(const GridTable& table) {
    for (int r = 1; r < table.rows(); ++r) {
        int original = std::stoi(table.text(r, 1).substr(3));
        SCOPED_TRACE("row " + std::to_string(r) + " came from " + std::to_string(original));
        EXPECT_EQ(table.backColor(r, 2), Rgb(original));
        EXPECT_EQ(table.checkState(r, 1), original % 2 ? Checked : Unchecked);
        EXPECT_EQ(table.rowHeight(r), 100 + original);
        EXPECT_EQ(table.rowHidden(r), original == 2);
    }
}

TEST(GridTable, ResizingKeepsCellsAndLooks) {
    GridTable table(3, 2);
    table.setText(2, 1, "keep");
    table.setForeColor(2, 1, palette::LightRed);
    table.setRows(10);
    table.setCols(5);
    EXPECT_EQ(table.text(2, 1), "keep");
    EXPECT_EQ(table.foreColor(2, 1), palette::LightRed);
    EXPECT_EQ(table.text(9, 4), "");
    EXPECT_EQ(table.backColor(9, 4), palette::White);
    table.setCols(2);
    table.setRows(3);
    EXPECT_EQ(table.text(2, 1), "keep");

    // Rows dropped and added again come back empty with default looks.
    table.setText(2, 0, "dropped");
    table.setBackColor(2, 0, palette::LightYellow);
    table.setRowHidden(2, true);
    table.setRows(2);
    table.insertRow(1);
    table.setRows(6);
    for (int r = 3; r < 6; ++r) {
        EXPECT_EQ(table.text(r, 0), "") << r;
        EXPECT_EQ(table.backColor(r, 0), palette::White) << r;
        EXPECT_FALSE(table.rowHidden(r)) << r;
    }
    table.assignText(5, 1, "old text, long enough to live on the heap");
    std::string swapped = "keep";
    table.swapText(5, 1, swapped);
    EXPECT_EQ(table.text(5, 1), "keep");
    EXPECT_EQ(swapped, "old text, long enough to live on the heap");
    table.setForeColor(5, 1, palette::LightRed);
    table.clear();
    EXPECT_EQ(table.text(5, 1), "");
    EXPECT_EQ(table.foreColor(5, 1), palette::LightRed);  // clear empties texts only
}

TEST(GridTable, OutOfRangeReadsAreBlankAndWritesFail) {
    GridTable table(2, 2);
    EXPECT_EQ(table.text(5, 0), "");
    EXPECT_EQ(table.checkState(-1, 0), NoCheck);
    EXPECT_THROW(table.setText(2, 0, "x"), RuntimeError);
    EXPECT_THROW(table.setRowHidden(7, true), RuntimeError);
    EXPECT_THROW(table.removeRow(2), RuntimeError);
}

TEST(GridTable, BlockFillsAreClippedAndNotifiedOnce) {
    GridTable table(5, 4);
    CountingListener listener;
    table.setListener(&listener);
    table.fillBackColor(2, 1, 99, 99, palette::LightYellow);
    EXPECT_EQ(listener.colors, 1);
    EXPECT_EQ(listener.total(), 1);
    EXPECT_EQ((std::vector<int>(listener.lastBlock, listener.lastBlock + 4)),
              (std::vector<int>{2, 1, 4, 3}));
    EXPECT_EQ(table.backColor(1, 1), palette::White);
    EXPECT_EQ(table.backColor(2, 0), palette::White);
    EXPECT_EQ(table.backColor(4, 3), palette::LightYellow);
    table.fillBold(0, 0, 0, 3, true);
    EXPECT_TRUE(table.bold(0, 2));
    EXPECT_FALSE(table.bold(1, 2));

    // A view tells texts from looks: an open editor keeps its text through a
    // repaint, not through a text change.
    table.setForeColor(1, 1, palette::LightRed);
    table.setCheckState(1, 2, Checked);
    table.setText(1, 3, "x");
    EXPECT_EQ(listener.colors, 3);
    EXPECT_EQ(listener.checks, 1);
    EXPECT_EQ(listener.cells, 1);
    EXPECT_EQ((std::vector<int>(listener.lastBlock, listener.lastBlock + 4)),
              (std::vector<int>{1, 3, 1, 3}));
}

TEST(GridTable, HidingIsOnePassAndOneNotification) {
    GridTable table(6, 2);
    CountingListener listener;
    table.setListener(&listener);
    table.hideRows({1, 1, 0, 1});  // row 0's flag is ignored; rows 4, 5 not reached
    EXPECT_EQ(listener.rearranged, 1);
    EXPECT_EQ(listener.total(), 1);
    EXPECT_TRUE(listener.lastMoves.empty());  // no row moved
    EXPECT_FALSE(table.rowHidden(0));
    EXPECT_TRUE(table.rowHidden(1));
    EXPECT_FALSE(table.rowHidden(2));
    EXPECT_TRUE(table.rowHidden(3));
    EXPECT_EQ(table.visibleDataRows(), 3);
    table.hideRows({0, 0, 1, 0, 0, 0});  // narrowing only hides more
    EXPECT_TRUE(table.rowHidden(1));
    EXPECT_EQ(table.visibleDataRows(), 2);
    table.showAllRows();
    EXPECT_EQ(table.visibleDataRows(), 5);
    EXPECT_EQ(listener.rearranged, 3);
}

TEST(GridTable, BatchSendsOneResetAndNothingWhenUnchanged) {
    GridTable table(3, 3);
    CountingListener listener;
    table.setListener(&listener);

    table.beginUpdate();
    table.endUpdate();
    EXPECT_EQ(listener.total(), 0);

    table.beginUpdate();
    table.setRows(3000);
    for (int r = 1; r < 3000; ++r) table.setText(r, 1, "x");
    table.beginUpdate();  // nested
    table.fillForeColor(1, 0, 2999, 2, palette::LightRed);
    table.setColWidth(-1, 500);
    table.hideRows(std::vector<int>(3000, 1));
    table.endUpdate();
    EXPECT_EQ(listener.total(), 0);
    table.endUpdate();
    EXPECT_EQ(listener.resets, 1);
    EXPECT_EQ(listener.total(), 1);

    table.setText(1, 1, "y");  // outside a batch: a cell notice
    EXPECT_EQ(listener.cells, 1);

    // Texts changed in a batch that moves no row: a reset, as ever.
    table.beginUpdate();
    table.setText(1, 1, "z");
    table.setForeColor(1, 1, palette::Black);
    table.endUpdate();
    EXPECT_EQ(listener.resets, 2);

    // A search or a sort keeps the rows: no reset, each kind of change once,
    // its block grown over the batch; moves made twice add up.
    listener = CountingListener();
    table.beginUpdate();
    table.setForeColor(5, 1, palette::LightRed);
    table.setForeColor(9, 2, palette::LightRed);
    table.setCheckState(7, 0, Checked);
    table.setRowHidden(3, true);
    table.endUpdate();
    EXPECT_EQ(listener.resets, 0);
    EXPECT_EQ(listener.rearranged, 1);
    EXPECT_EQ(listener.colors, 1);
    EXPECT_EQ(listener.checks, 1);
    EXPECT_EQ(listener.total(), 3);
    table.setText(1, 0, "b");
    table.setText(2, 0, "c");
    table.setText(3, 0, "a");
    table.beginUpdate();
    table.sortByColumn(0, true);   // "a", "b", "c" go last, behind the empty texts
    table.sortByColumn(0, false);  // and come back first: "c", "b", "a"
    table.endUpdate();
    ASSERT_EQ(listener.lastMoves.size(), 3000u);
    EXPECT_EQ((std::vector<int>(listener.lastMoves.begin(), listener.lastMoves.begin() + 4)),
              (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(table.text(3, 0), "a");
    EXPECT_TRUE(table.rowHidden(3));  // the hidden flag went with its row

    // A reload that drops every row and makes as many again: no reset either.
    listener = CountingListener();
    table.beginUpdate();
    table.setRows(1);
    table.setRows(3000);
    table.endUpdate();
    EXPECT_EQ(listener.resets, 0);
    EXPECT_EQ(listener.rearranged, 1);
    EXPECT_TRUE(listener.lastMoves.empty());
    EXPECT_FALSE(table.rowHidden(3));
    EXPECT_EQ(table.text(3, 0), "");
}

TEST(GridTable, SortPutsNumbersByValueBeforeTextsAndIsStable) {
    GridTable table = tableWithColumn({"b", "10", "9", "a", "-2.5", "b", "", "1.0", "10", "9x"});
    CountingListener listener;
    table.setListener(&listener);
    table.sortByColumn(0, true);
    EXPECT_EQ(listener.rearranged, 1);
    EXPECT_EQ(listener.total(), 1);
    EXPECT_EQ(table.text(0, 0), "header");
    std::vector<std::string> col0;
    for (int r = 1; r < table.rows(); ++r) col0.push_back(table.text(r, 0));
    EXPECT_EQ(col0, (std::vector<std::string>{"-2.5", "1.0", "9", "10", "10", "", "9x", "a", "b", "b"}));
    // Equal keys keep their order: the two "10" came from rows 2 and 9, the "b" from 1 and 6.
    EXPECT_EQ(rowOrder(table), (std::vector<std::string>{"row5", "row8", "row3", "row2", "row9", "row7",
                                                         "row10", "row4", "row1", "row6"}));
    expectLooksFollowed(table);

    table.sortByColumn(0, false);
    col0.clear();
    for (int r = 1; r < table.rows(); ++r) col0.push_back(table.text(r, 0));
    EXPECT_EQ(col0, (std::vector<std::string>{"b", "b", "a", "9x", "", "10", "10", "9", "1.0", "-2.5"}));
    EXPECT_EQ(table.text(1, 1), "row1");  // stable in descending order too
    EXPECT_EQ(table.text(2, 1), "row6");
    expectLooksFollowed(table);
}

TEST(GridTable, SortComparesJapaneseTextsByCharacters) {
    // Long texts that share their first bytes, and a NUL that pads alike.
    const std::string nul("a\0", 2);
    GridTable table = tableWithColumn({"パスワード", "ID", "あいう", "暗証番号", "Ａ",
                                       "https://example.jp/b", "https://example.jp/a",
                                       "パスワードの答え", "パスワードの", nul, "a"});
    table.sortByColumn(0, true);
    std::vector<std::string> col0;
    for (int r = 1; r < table.rows(); ++r) col0.push_back(table.text(r, 0));
    EXPECT_EQ(col0, (std::vector<std::string>{"ID", "a", nul, "https://example.jp/a",
                                              "https://example.jp/b", "あいう", "パスワード",
                                              "パスワードの", "パスワードの答え", "暗証番号", "Ａ"}));
    expectLooksFollowed(table);
}

// Many random cells, many of them equal or alike in their first bytes: the
// order is the one a stable sort by the rule gives, both ways.
TEST(GridTable, SortMatchesAStableSortByTheRule) {
    const std::vector<std::string> pieces = {"0", "-0", "+0", " 1.5 ", "10", "9", "-2", ".5", "1e3", "",
                                             "a", std::string("a\0", 2), "https://example.jp/",
                                             "パスワードの", "x", "0000000000000000", "abcdefghijklmnop"};
    std::srand(7);
    std::vector<std::string> values;
    for (int i = 0; i < 400; ++i)
        values.push_back(pieces[std::size_t(std::rand()) % pieces.size()] +
                         (std::rand() % 3 ? "" : pieces[std::size_t(std::rand()) % pieces.size()]));
    const std::regex number(" *[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+) *");
    auto less = [&](int a, int b) {
        const std::string &ta = values[std::size_t(a)], &tb = values[std::size_t(b)];
        const bool na = std::regex_match(ta, number), nb = std::regex_match(tb, number);
        if (na != nb) return na;
        if (na) return std::strtod(ta.c_str(), nullptr) < std::strtod(tb.c_str(), nullptr);
        return ta < tb;
    };
    // Sorted again and again, either way, with cells changed in between
    // (the header's arrow among them): each sort orders the rows as they
    // stand then.
    GridTable table = tableWithColumn(values);
    for (int round = 0; round < 12; ++round) {
        const bool ascending = round % 3 != 1;
        if (round % 4 == 3)
            for (int i = 0; i < 20; ++i)
                table.setText(1 + std::rand() % (table.rows() - 1), 0,
                              pieces[std::size_t(std::rand()) % pieces.size()]);
        if (round % 2) table.setText(0, 0, ascending ? "▲" : "▼");
        std::vector<std::string> tags;
        values.clear();
        for (int r = 1; r < table.rows(); ++r) {
            values.push_back(table.text(r, 0));
            tags.push_back(table.text(r, 1));
        }
        table.sortByColumn(0, ascending);
        std::vector<int> expected(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) expected[i] = int(i);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return ascending ? less(a, b) : less(b, a); });
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(table.text(int(i) + 1, 1), tags[std::size_t(expected[i])]) << round << " " << i;
    }
}

TEST(GridTable, InsertAndRemoveMoveLooksWithRows) {
    GridTable table = tableWithColumn({"a", "b", "c", "d"});
    table.setRowHeight(-1, 550);  // also the height of rows added later
    for (int r = 1; r < table.rows(); ++r) table.setRowHeight(r, 100 + r);

    table.insertRow(2);
    ASSERT_EQ(table.rows(), 6);
    EXPECT_EQ(table.text(2, 0), "");
    EXPECT_EQ(table.checkState(2, 1), NoCheck);
    EXPECT_EQ(table.backColor(2, 2), palette::White);
    EXPECT_EQ(table.rowHeight(2), 550);
    EXPECT_FALSE(table.rowHidden(2));
    table.removeRow(2);
    expectLooksFollowed(table);

    table.removeRow(1);
    EXPECT_EQ(rowOrder(table), (std::vector<std::string>{"row2", "row3", "row4"}));
    expectLooksFollowed(table);
    table.insertRow(table.rows());  // appending is allowed
    EXPECT_EQ(table.rows(), 5);
    EXPECT_EQ(table.text(3, 1), "row4");
    EXPECT_EQ(table.text(4, 1), "");
}

TEST(Colors, ClassicPalette) {
    EXPECT_EQ(qbColor(0), palette::Black);
    EXPECT_EQ(qbColor(9), palette::LightBlue);
    EXPECT_EQ(qbColor(11), palette::LightCyan);
    EXPECT_EQ(qbColor(12), palette::LightRed);
    EXPECT_EQ(qbColor(14), palette::LightYellow);
    EXPECT_EQ(qbColor(15), palette::White);
    EXPECT_EQ(qbColor(7), rgb(192, 192, 192));
    EXPECT_EQ(kTeal, 0x008080u);
    EXPECT_THROW(qbColor(16), RuntimeError);
}

}  // namespace
}  // namespace mk
