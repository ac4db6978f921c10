// The edit menu's row and cell commands, the title delete and the undo
// history, checked in the table and the data files.
#include "tests/core/edit/edit_fixture.h"

#include "core/store/file_layer.h"

namespace mk::test {
namespace {

TEST_F(EditTest, DeleteRowMarksTheRecordAndClosesUpTheSlots) {
    writeThreeEntries();
    openBlock(4, 6);  // A: contents 1, 2, 3
    session.clickedRow = 2;
    session.clickedCol = ecol::Content;
    const auto t0 = titles().size();
    EXPECT_FALSE(RunMenuItem(session, 3));
    RawContent freed = rawContent(contents(), 2);
    EXPECT_EQ(freed.item, kMarkCp932);
    EXPECT_EQ(freed.content, "a2");
    EXPECT_EQ(freed.output, "2");
    EXPECT_EQ(firstSlots(rawTitle(titles(), 1), 3), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(titles().size(), t0);
    EXPECT_EQ(session.table.rows(), 4);
    EXPECT_EQ(session.table.text(2, ecol::Item), "URL");
    EXPECT_EQ(session.undo.top(), 2);

    // The input row has no record.
    session.clickedRow = 3;
    const std::string c0 = contents();
    RunMenuItem(session, 3);
    EXPECT_EQ(messages.last().text, "追加入力用の行は削除出来ません。    ");
    EXPECT_EQ(contents(), c0);

    // The last stored row of C asks first; No changes nothing.
    openBlock(1, 1);
    session.clickedRow = 1;
    messages.answers = {AnswerNo};
    RunMenuItem(session, 3);
    EXPECT_NE(messages.last().text.find("この行を削除すると修正保存が出来なくなります。"),
              std::string::npos);
    EXPECT_EQ(contents(), c0);
    EXPECT_EQ(session.table.rows(), 3);

    // A record number beyond the file names no row of the entry: like a row
    // typed on the screen, refused before either file changes.
    session.table.setText(1, ecol::Child, "99");
    messages.answers = {AnswerYes};
    const std::string t1 = titles();
    RunMenuItem(session, 3);
    EXPECT_EQ(messages.last().text, "追加入力用の行は削除出来ません。    ");
    EXPECT_FALSE(reported(kDeleteRowLocation));
    EXPECT_EQ(contents(), c0);
    EXPECT_EQ(titles(), t1);
}

TEST_F(EditTest, ModifySaveAfterAnUndoneRowDeleteStoresTheRowAgain) {
    writeThreeEntries();
    openBlock(4, 6);
    session.clickedRow = 2;
    session.clickedCol = ecol::Content;
    RunMenuItem(session, 3);
    Undo(session);
    ASSERT_EQ(session.table.text(2, ecol::Child), "2");  // a record that is free now
    修正保存(session);
    EXPECT_EQ(firstSlots(rawTitle(titles(), 1), 4), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(rawContent(contents(), 2).item, "PW");
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});
}

TEST_F(EditTest, AddRowAndMenuItemsByHeight) {
    writeThreeEntries();
    openBlock(4, 6);
    session.clickedRow = 1;
    session.clickedCol = 1;
    RunMenuItem(session, 2);
    EXPECT_EQ(session.table.rows(), 6);
    EXPECT_TRUE(session.table.text(1, ecol::Item).empty());
    EXPECT_EQ(session.table.text(1, ecol::Number), "3");
    EXPECT_EQ(session.table.backColor(1, ecol::Item), palette::LightCyan);
    EXPECT_EQ(session.table.text(2, ecol::Item), "ID");

    EXPECT_EQ(MenuItemAt(0), 1);
    EXPECT_EQ(MenuItemAt(228), 2);
    EXPECT_EQ(MenuItemAt(681), 3);
    EXPECT_EQ(MenuItemAt(1363), 7);
    EXPECT_EQ(MenuItemAt(1581), 0);
    EXPECT_EQ(MenuItemHelp(3), " 行を削除します。");
}

TEST_F(EditTest, DeleteTitleInTheMiddleLeavesAZeroGap) {
    writeThreeEntries();
    openBlock(2, 3);  // B: title 2, contents 4 and 5
    // A leftover temporary file from an earlier failure goes away.
    writeFile(program.dataFolder() + kTitleTempFileName, "junk");
    EXPECT_TRUE(RunMenuItem(session, 7));
    const std::string t = titles();
    ASSERT_EQ(t.size(), 3u * 154);
    EXPECT_TRUE(rawTitle(t, 2).allZero);
    EXPECT_EQ(rawTitle(t, 3).title, "C");
    EXPECT_EQ(rawContent(contents(), 4).output, "0");
    EXPECT_EQ(rawContent(contents(), 5).item, kMarkCp932);
    EXPECT_EQ(rawContent(contents(), 5).parent, 2);
    EXPECT_FALSE(fileExists(program.dataFolder() + kTitleTempFileName));
    EXPECT_TRUE(session.titleBox.text.empty());
    EXPECT_TRUE(session.table.text(1, ecol::Item).empty());
    EXPECT_EQ(program.browse.rows(), 1 + 4);
    EXPECT_EQ(program.browse.text(1, 0), "1");  // C keeps its number

    // The freed rows are reused, lowest first.
    EXPECT_EQ(ReserveContentRecords(program.store, 3), (std::vector<int>{4, 5, 7}));
}

TEST_F(EditTest, DeleteTitleFreesEveryRowOfTheEntryNotOnlyThoseShown) {
    writeThreeEntries();
    openBlock(4, 5);  // A's rows 1 and 2 only, as after a sort
    EXPECT_TRUE(RunMenuItem(session, 7));
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(rawContent(contents(), k).item, kMarkCp932) << k;
    EXPECT_EQ(rawContent(contents(), 4).item, "ID");
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});
}

TEST_F(EditTest, DeleteTitleRefusalsAndFailuresKeepTheFiles) {
    writeData(titleBytes("Same", {1}, 1) + titleBytes("Same", {2}, 2),
              contentBytes("a", "1", 1, 1) + contentBytes("b", "2", 2, 2));
    const std::string t0 = titles(), c0 = contents();
    openBlock(1, 2);
    messages.answers = {AnswerNo};
    EXPECT_FALSE(表題を削除(session));
    EXPECT_EQ(session.table.backColor(1, 1), palette::White);
    EXPECT_FALSE(表題を削除(session));  // two entries: refused
    EXPECT_EQ(messages.last().text.rfind("複数の表題が選択されていますので", 0), 0u);
    EXPECT_EQ(session.table.backColor(1, 1), kDeletePink);
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c0);

    // A sync that fails (the journal's, then the files') leaves both files
    // as they were.
    openBlock(1, 1);
    fs::failOperation("fsync", EIO);
    EXPECT_FALSE(表題を削除(session));
    fs::clearFaults();
    EXPECT_TRUE(reported(kDeleteTitleLocation));
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c0);

    // A never-saved entry: no content changes, the title file unchanged.
    program.editContext.reset();
    新規保存画面(session);
    session.table.setText(1, ecol::Item, "x");
    const std::string c1 = contents();
    EXPECT_TRUE(表題を削除(session));
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c1);
}

TEST_F(EditTest, ElevenEditsThenTheUndoRedoWalk) {
    program.editContext.reset();
    新規保存画面(session);
    for (int i = 1; i <= 11; ++i) type(1, ecol::Item, "v" + std::to_string(i));
    EXPECT_EQ(session.undo.top(), 10);
    EXPECT_EQ(session.undo.current(), 10);
    // Level 10 holds the state after edit 11, level 1 after edit 2.
    EXPECT_EQ(session.undo.text(1, 1, 1), "v2");
    for (int i = 0; i < 9; ++i) Undo(session);
    EXPECT_EQ(session.table.text(1, 1), "v2");
    EXPECT_EQ(session.table.text(1, ecol::Parent), "");  // no number comes back as none
    Undo(session);
    EXPECT_EQ(session.undo.current(), 1);
    EXPECT_EQ(session.table.text(1, 1), "v2");
    Redo(session);
    EXPECT_EQ(session.table.text(1, 1), "v3");
    EXPECT_EQ(session.undo.box(2), UndoHistory::Box::Current);
    EXPECT_EQ(session.undo.box(3), UndoHistory::Box::Stored);

    // Undo twice from the top, then an edit: stored above every level.
    for (int i = 0; i < 8; ++i) Redo(session);
    Undo(session);
    Undo(session);
    type(1, ecol::Item, "new");
    EXPECT_EQ(session.undo.top(), 10);
    EXPECT_EQ(session.undo.current(), 10);
    Undo(session);
    EXPECT_EQ(session.table.text(1, 1), "v11");  // the old top, shifted down
}

TEST_F(EditTest, UndoHistoryRefusesMoreThanAHundredRows) {
    program.editContext.reset();
    新規保存画面(session);
    EXPECT_EQ(session.undo.box(1), UndoHistory::Box::Current);
    EXPECT_EQ(session.undo.box(2), UndoHistory::Box::Empty);
    session.table.setRows(101);
    type(100, ecol::Item, "last");
    // The last-row rule adds no row past an entry's 50, and says so.
    EXPECT_EQ(session.table.rows(), 101);
    EXPECT_EQ(messages.messages.size(), 1u);
    session.table.setRows(102);
    SetUnDo(session);
    EXPECT_TRUE(reported(kSetUnDoLocation));
    EXPECT_EQ(session.undo.top(), 3);
    EXPECT_EQ(session.table.rows(), 102);
}

}  // namespace
}  // namespace mk::test
