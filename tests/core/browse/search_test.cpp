#include "core/browse/search.h"

#include "core/base/errors.h"
#include "core/browse/search_commands.h"
#include "core/store/browse_load.h"
#include "tests/core/browse/browse_fixture.h"

namespace mk {
namespace {

using namespace browse_test;
using Rows = std::vector<int>;

// Shown order: rows 1-2 "ＡＢＣショップ", rows 3-4 "メール", rows 5-7 "Bank".
const std::vector<Entry> kEntries = {
    {"Bank", {{"ID", "taro"}, {"パスワード", "abc123"}, {"メモ", "ab cd"}}},
    {"メール", {{"ID", "hanako@example.jp"}, {"URL", "https://mail.example.jp"}}},
    {"ＡＢＣショップ", {{"会員番号", "12345"}, {"メモ", "カタカナ"}}},
};

struct SearchTest : BrowseFixture {
    FakeView view;
    SearchKeyCache cache;
    void SetUp() override { load(kEntries); }

    void run(SearchCommand command, const std::string& keyword) {
        view.box = keyword;
        runSearchCommand(command, table(), view, &cache, [this] { program.reload(); });
    }
    bool red(int r, int c) { return table().foreColor(r, c) == palette::LightRed; }
};

TEST_F(SearchTest, TitleModeKeepsWholeEntriesAndMarksOnlyHitCells) {
    run(SearchCommand::Search, "abc");  // title "ＡＢＣショップ" and content "abc123"
    EXPECT_EQ(visibleRows(), (Rows{1, 2, 5, 6, 7}));
    EXPECT_EQ(view.counter(), "5/7");
    EXPECT_TRUE(red(1, bcol::Title));
    EXPECT_TRUE(red(2, bcol::Title));
    EXPECT_TRUE(red(6, bcol::Content));
    EXPECT_FALSE(red(5, bcol::Content));
    EXPECT_FALSE(red(7, bcol::Content));
    EXPECT_FALSE(red(6, bcol::Item));
}

TEST_F(SearchTest, RowModeKeepsHitRowsAndEveryRowOfATitleHit) {
    view.mode = HitRowsOnly;
    run(SearchCommand::Search, "abc");
    EXPECT_EQ(visibleRows(), (Rows{1, 2, 6}));
    EXPECT_EQ(view.counter(), "3/7");
}

TEST_F(SearchTest, WidthAndCaseDoNotMatterButSpacesDo) {
    run(SearchCommand::Search, "ＴＡＲＯ");
    EXPECT_EQ(visibleRows(), (Rows{5, 6, 7}));
    run(SearchCommand::Search, "ｶﾀｶﾅ");  // half-width katakana meets full-width
    EXPECT_EQ(visibleRows(), (Rows{1, 2}));
    EXPECT_TRUE(red(2, bcol::Content));
    view.mode = HitRowsOnly;
    run(SearchCommand::Search, "ab ");  // the trailing space is part of the keyword
    EXPECT_EQ(visibleRows(), (Rows{7}));
}

// The keyword as typed finds the text as the data files give it back.
TEST_F(SearchTest, TypedCharactersFindTheirStoredForms) {
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"〜", "～"}, {"−", "－"}, {"‖", "∥"},  {"¢", "￠"}, {"£", "￡"},
        {"¬", "￢"},  {"'", "’"},  {"\"", "”"}, {"~", "￣"},
    };
    const int n = int(std::size(cases));
    std::vector<Entry> entries;
    for (const auto& c : cases)
        entries.push_back({"t", {{"メモ", std::string("9時") + c.stored + "5時"}}});
    load(entries);
    view.mode = HitRowsOnly;
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(cases[i].typed);
        const int row = n - i;  // the newest entry is shown first
        ASSERT_EQ(table().text(row, bcol::Content), std::string("9時") + cases[i].stored + "5時");
        run(SearchCommand::Search, cases[i].typed);
        EXPECT_FALSE(table().rowHidden(row));
        EXPECT_TRUE(red(row, bcol::Content));
    }
}

TEST_F(SearchTest, NoHitHidesEveryRow) {
    run(SearchCommand::Search, "zzz");
    EXPECT_TRUE(visibleRows().empty());
    EXPECT_EQ(view.counter(), "0/7");
}

TEST_F(SearchTest, NarrowingChainKeepsRowsThatMatchedEveryKeyword) {
    run(SearchCommand::Search, "ID");  // entries "メール" and "Bank"
    EXPECT_EQ(visibleRows(), (Rows{3, 4, 5, 6, 7}));
    run(SearchCommand::Narrow, "taro");
    EXPECT_EQ(visibleRows(), (Rows{5, 6, 7}));
    EXPECT_EQ(view.counter(), "3/7");
    EXPECT_TRUE(red(5, bcol::Item));  // the first keyword's marks stay
    EXPECT_TRUE(red(3, bcol::Item));
    EXPECT_TRUE(red(5, bcol::Content));

    // Enter narrows too, without hiding the table.
    view.visibility.clear();
    view.mode = HitRowsOnly;
    run(SearchCommand::EnterKey, "123");
    EXPECT_EQ(visibleRows(), (Rows{6}));
    EXPECT_EQ(view.visibility, (std::vector<bool>{true}));

    // A new search forgets the chain: no red left, nothing hidden before.
    view.mode = HitTitles;
    run(SearchCommand::Search, "メール");
    EXPECT_EQ(visibleRows(), (Rows{3, 4}));
    EXPECT_FALSE(red(3, bcol::Item));
    EXPECT_FALSE(red(5, bcol::Content));
    EXPECT_TRUE(red(3, bcol::Title));
}

// A narrowing search tests only the rows still shown, and its counter
// counts the rows it leaves shown.
TEST_F(SearchTest, NarrowingTestsAndCountsOnlyTheRowsShown) {
    run(SearchCommand::Search, "taro");
    run(SearchCommand::Narrow, "ID");  // "メール" matches but was hidden already
    EXPECT_EQ(visibleRows(), (Rows{5, 6, 7}));
    EXPECT_EQ(view.counter(), "3/7");
    EXPECT_FALSE(red(3, bcol::Item));
    EXPECT_TRUE(red(5, bcol::Item));
}

TEST_F(SearchTest, SearchItselfNeverUnhidesNorRecolours) {
    table().setRowHidden(6, true);
    table().setForeColor(3, bcol::Item, palette::LightRed);
    view.box = "abc";
    ASSERT_TRUE(検索(table(), view, nullptr));
    EXPECT_TRUE(table().rowHidden(6));
    EXPECT_FALSE(red(6, bcol::Content));  // hidden, so not tested
    EXPECT_TRUE(red(3, bcol::Item));
    EXPECT_EQ(visibleRows(), (Rows{1, 2}));
    EXPECT_EQ(view.counter(), "2/7");
}

TEST_F(SearchTest, CommandsAndTheirMessages) {
    for (auto [command, message] : {std::pair{SearchCommand::Search, kBlankKeywordA},
                                    {SearchCommand::Narrow, kBlankKeywordA},
                                    {SearchCommand::Redisplay, kBlankKeywordA},
                                    {SearchCommand::EnterKey, kBlankKeywordB},
                                    {SearchCommand::OptionClick, kBlankKeywordB}}) {
        messages.messages.clear();
        view.counters.clear();
        run(command, "   ");
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.last().text, message);
        EXPECT_EQ(messages.last().buttons, Buttons::OK);
        EXPECT_EQ(messages.last().icon, Icon::None);
        EXPECT_EQ(messages.last().title, "Mirukasu");
        EXPECT_TRUE(view.counters.empty());
    }
    EXPECT_EQ(std::string(kBlankKeywordB), std::string(kBlankKeywordA) + "     ");
    EXPECT_EQ(visibleRows().size(), 7u);

    // A search hides the table first and shows "検索中", then the progress.
    view.counters.clear();
    view.visibility.clear();
    run(SearchCommand::Search, "abc");
    EXPECT_EQ(view.counters, (std::vector<std::string>{"検索中", "1/7", "5/7"}));
    EXPECT_EQ(view.visibility.front(), false);
    EXPECT_EQ(view.visibility.back(), true);

    // "再表示" clears the result without searching.
    view.counters.clear();
    run(SearchCommand::Redisplay, "zzz");
    EXPECT_EQ(visibleRows().size(), 7u);
    EXPECT_FALSE(red(1, bcol::Title));
    EXPECT_EQ(view.counters, (std::vector<std::string>{"検索中"}));

    // "全データ表示" reloads (sorting and marks go) and needs no keyword.
    run(SearchCommand::Search, "abc");
    table().sortByColumn(bcol::Item, true);
    run(SearchCommand::ShowAll, "");
    EXPECT_EQ(visibleRows().size(), 7u);
    EXPECT_EQ(table().text(1, bcol::Title), "ＡＢＣショップ");
    EXPECT_FALSE(red(1, bcol::Title));
    EXPECT_EQ(view.counter(), "-*-");

    run(SearchCommand::EscKey, "abc");
    EXPECT_EQ(view.box, "");
}

TEST_F(SearchTest, AnErrorIsReportedAndTheTableComesBack) {
    struct Failing : FakeView {
        int displayMode() const override { throw RuntimeError(ErrOverflow); }
    } failing;
    failing.box = "abc";
    runSearchCommand(SearchCommand::Search, table(), failing, nullptr, {});
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().title, "エラー発生表示");
    EXPECT_NE(messages.last().text.find("エラーの場所： 検索 : 1145 \r"), std::string::npos);
    EXPECT_EQ(failing.visibility.back(), true);
}

// Tables made by hand: numbers the content file does not reach, rows without
// numbers, progress every 64 rows.
TEST(SearchTable, EveryKeyFitsAndProgressComesEvery64Rows) {
    ScriptedMessages messages;
    GridTable table(131, bcol::Count);
    for (int r = 1; r <= 130; ++r) {
        table.setText(r, bcol::Title, r % 2 ? "odd" : "even");
        table.setText(r, bcol::Parent, r == 130 ? "" : std::to_string(mk::kMaxRecordNumber - r % 3));
        table.setText(r, bcol::Child, r == 129 ? "-4" : std::to_string(r == 127 ? 2000000000 : 40000 + r));
    }
    FakeView view;
    view.box = "ODD";
    view.mode = HitRowsOnly;
    ASSERT_TRUE(検索(table, view, nullptr));
    EXPECT_EQ(view.counters, (std::vector<std::string>{"1/130", "64/130", "128/130", "65/130"}));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_GE(messages.eventsProcessed, 3);

    // An empty table: nothing to search, nothing breaks.
    GridTable empty(1, bcol::Count);
    view.counters.clear();
    ASSERT_TRUE(検索(empty, view, nullptr));
    EXPECT_EQ(view.counter(), "0/0");
}

TEST(SearchTable, CacheFollowsChangedTexts) {
    ScriptedMessages messages;
    GridTable table(3, bcol::Count);
    table.setText(1, bcol::Content, "alpha");
    table.setText(2, bcol::Content, "beta");
    SearchKeyCache cache;
    FakeView view;
    view.box = "alpha";
    view.mode = HitRowsOnly;
    table.setText(1, bcol::Child, "1");
    table.setText(2, bcol::Child, "2");
    検索(table, view, &cache);
    EXPECT_EQ(view.counter(), "1/2");
    table.showAllRows();
    table.setText(2, bcol::Content, "ALPHA");
    検索(table, view, &cache);
    EXPECT_EQ(view.counter(), "2/2");

    // Sorted, the rows take their record numbers and keys with them.
    table.showAllRows();
    table.fillForeColor(1, 1, 2, 4, palette::Black);
    table.setText(1, bcol::Content, "gamma");
    table.sortByColumn(bcol::Content, true);  // "ALPHA" (record 2) first
    検索(table, view, &cache);
    EXPECT_EQ(view.counter(), "1/2");
    EXPECT_FALSE(table.rowHidden(1));
    EXPECT_TRUE(table.rowHidden(2));
    EXPECT_EQ(table.foreColor(1, bcol::Content), palette::LightRed);
}

}  // namespace
}  // namespace mk
