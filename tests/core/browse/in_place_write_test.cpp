#include "core/browse/in_place_write.h"

#include <cerrno>

#include "core/edit/edit_session.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"
#include "tests/core/browse/browse_fixture.h"

namespace mk {
namespace {

using namespace browse_test;

struct FakeWriteView : InPlaceWriteView {
    std::string caption = "3/7";
    Rgb color = palette::Black;
    std::vector<std::string> captions;
    int editScreenHidden = 0;
    std::string counterCaption() const override { return caption; }
    void setCounter(const std::string& text, Rgb c) override {
        caption = text;
        color = c;
        captions.push_back(text);
    }
    void hideEditScreen() override { ++editScreenHidden; }
};

// Shown order: rows 1-2 title record 3 (contents 6, 7), rows 3-4 title
// record 2 (contents 4, 5), rows 5-7 title record 1 (contents 1, 2, 3).
struct WriteTest : BrowseFixture {
    FakeWriteView view;
    void SetUp() override {
        load({{"Bank", {{"ID", "taro"}, {"PW", "abc123"}, {"memo", "x"}}, 9},
              {"Mail", {{"ID", "hanako"}, {"URL", "www.example.jp"}}, 9},
              {"Shop", {{"No", "12345"}, {"memo", "y"}}}});
    }
    ~WriteTest() override { fs::clearFaults(); }
    std::string titles() { return test::readFile(program.store.titlePath()); }
    std::string contents() { return test::readFile(program.store.contentPath()); }
    std::string titleText(int n) { return titles().substr((n - 1) * 154, 50); }
    int titleStatus(int n) { return test::int16At(titles(), (n - 1) * 154 + 152); }
    std::string content(int n) { return contents().substr((n - 1) * 146, 146); }
    void select(int first, int last, int row, int col) {
        program.editContext.setBlock(first, last);
        program.editContext.currentRow = row;
        program.editContext.currentCol = col;
    }
};

TEST_F(WriteTest, TitleGoesToEveryRowOfTheBlockAndResetsTheStatus) {
    select(5, 7, 6, bcol::Title);
    table().setText(6, bcol::Title, "  New Bank  ");
    const std::string before = titles();
    inPlaceWrite(program, 6, bcol::Title, view);

    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(titleText(1), field("New Bank", 50));
    EXPECT_EQ(titleStatus(1), 0);
    EXPECT_EQ(test::int16At(titles(), 150), 1);
    EXPECT_EQ(titles().substr(50, 100), before.substr(50, 100));  // slots kept
    EXPECT_EQ(titles().substr(154), before.substr(154));          // other titles untouched
    EXPECT_EQ(titleStatus(2), 9);
    for (int r = 5; r <= 7; ++r) EXPECT_EQ(table().text(r, bcol::Title), "  New Bank  ");
    EXPECT_EQ(view.captions, (std::vector<std::string>{"Saved", "3/7"}));
    EXPECT_EQ(view.color, palette::Black);
    EXPECT_EQ(view.editScreenHidden, 1);
    EXPECT_FALSE(program.store.file1Open());
    EXPECT_FALSE(program.store.file2Open());
}

TEST_F(WriteTest, TitleIsCutTo42CharactersAndAStrayRowIsReportedButWritten) {
    select(5, 7, 2, bcol::Title);
    const std::string longTitle(45, 'T');
    for (int r = 5; r <= 7; ++r) table().setText(r, bcol::Title, longTitle);
    inPlaceWrite(program, 7, bcol::Title, view);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text, "行読込が異常です。 2   5 to 7");
    EXPECT_EQ(messages.last().buttons, Buttons::OK);
    EXPECT_EQ(titleText(1), field(std::string(42, 'T'), 50));
}

TEST_F(WriteTest, ItemAndContentAreCutAndWrittenToTheRowsRecord) {
    select(3, 4, 3, bcol::Content);
    table().setText(3, bcol::Item, std::string(45, 'i'));
    table().setText(3, bcol::Content, " " + std::string(90, 'c') + " ");
    const std::string before = contents();
    inPlaceWrite(program, 3, bcol::Content, view);

    const std::string record = content(4);
    EXPECT_EQ(record.substr(0, 2), "2 ");
    EXPECT_EQ(record.substr(2, 50), field(std::string(42, 'i'), 50));
    EXPECT_EQ(record.substr(52, 90), field(std::string(82, 'c'), 90));
    EXPECT_EQ(test::int16At(record, 142), 2);
    EXPECT_EQ(test::int16At(record, 144), 4);
    EXPECT_EQ(contents().substr(0, 3 * 146), before.substr(0, 3 * 146));
    EXPECT_EQ(contents().substr(4 * 146), before.substr(4 * 146));
    EXPECT_EQ(titleStatus(2), 0);  // a sample entry becomes the user's own
    EXPECT_EQ(titleStatus(1), 9);
    EXPECT_EQ(view.caption, "3/7");
    EXPECT_EQ(view.color, palette::Black);
}

TEST_F(WriteTest, TheCellShowsWhatTheFileGivesBack) {
    // An input method's 〜 (U+301C) is stored as the ～ (U+FF5E) that the
    // file reads back; a search before the next reload must meet that.
    select(3, 4, 3, bcol::Content);
    table().setText(3, bcol::Content, "9時〜17時");
    inPlaceWrite(program, 3, bcol::Content, view);
    EXPECT_EQ(table().text(3, bcol::Content), "9時～17時");
}

TEST_F(WriteTest, MismatchedRowStopsAndGivesTheCounterItsCaptionBack) {
    select(3, 4, 4, bcol::Item);
    table().setText(3, bcol::Item, "changed");
    const std::string titlesBefore = titles(), contentsBefore = contents();
    inPlaceWrite(program, 3, bcol::Item, view);

    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text, "行読込が異常です。 4 <>  3");
    EXPECT_EQ(messages.last().icon, Icon::None);
    EXPECT_EQ(titles(), titlesBefore);
    EXPECT_EQ(contents(), contentsBefore);
    EXPECT_EQ(view.caption, "3/7");  // not "Saved": nothing was saved
    EXPECT_EQ(view.color, palette::Black);
    EXPECT_EQ(view.editScreenHidden, 0);
}

TEST_F(WriteTest, OutputCheckWritesOnlyItsRowAndLeavesSaved) {
    select(5, 7, 5, bcol::Output);
    table().setCheckState(5, bcol::Output, Checked);
    const std::string before = contents();
    inPlaceWrite(program, 5, bcol::Output, view);
    EXPECT_EQ(content(1).substr(0, 2), "1 ");
    EXPECT_EQ(contents().substr(2), before.substr(2));
    EXPECT_EQ(titleStatus(1), 9);  // no title update
    EXPECT_EQ(view.caption, "Saved");
    EXPECT_EQ(view.color, palette::LightRed);

    table().setCheckState(5, bcol::Output, Unchecked);
    inPlaceWrite(program, 5, bcol::Output, view);
    EXPECT_EQ(content(1).substr(0, 2), "2 ");
}

TEST_F(WriteTest, RowWithoutRecordOrAFailingDiskWritesNothing) {
    select(3, 4, 3, bcol::Item);
    table().setText(3, bcol::Child, "0");
    table().setText(3, bcol::Item, "changed");
    const std::string before = contents();
    inPlaceWrite(program, 3, bcol::Item, view);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(view.caption, "3/7");
    EXPECT_TRUE(messages.messages.empty());

    table().setText(3, bcol::Child, "4");
    fs::failOperation("write", ENOSPC);
    inPlaceWrite(program, 3, bcol::Item, view);
    fs::clearFaults();
    EXPECT_EQ(contents(), before);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.front().title, "エラー発生表示");
    EXPECT_NE(messages.messages.front().text.find(kInPlaceWriteLocation), std::string::npos);
    EXPECT_EQ(view.caption, "3/7");
    EXPECT_FALSE(program.store.file2Open());
}

TEST_F(WriteTest, TheFreeMarkIsRefusedAndTheCellShowsTheStoredTextAgain) {
    const std::string t0 = titles(), c0 = contents();
    struct Case {
        int first, last, row, col;
        std::string text, stored;
    } cases[] = {
        // The mark, spaces and text that the cut to 42 characters drops.
        {3, 4, 3, bcol::Item, "<削除<" + std::string(38, ' ') + "abc", "ID"},
        {5, 7, 6, bcol::Title, " <削除< ", "Bank"},
    };
    for (const Case& c : cases) {
        select(c.first, c.last, c.row, c.col);
        table().setText(c.row, c.col, c.text);
        messages.messages.clear();
        inPlaceWrite(program, c.row, c.col, view);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.last().text, kFreeMarkMessage);
        EXPECT_EQ(table().text(c.row, c.col), c.stored);
        EXPECT_EQ(titles(), t0);
        EXPECT_EQ(contents(), c0);
        EXPECT_EQ(view.caption, "3/7");
        EXPECT_EQ(view.editScreenHidden, 0);
    }
}

}  // namespace
}  // namespace mk
