// Opening the edit screen, 新規保存 and 修正保存, checked in the data files.
#include "tests/core/edit/edit_fixture.h"

#include "core/store/text.h"

namespace mk::test {
namespace {

TEST_F(EditTest, OpeningFillsFromTheBlockOrShowsAnEmptyForm) {
    writeThreeEntries();
    openBlock(4, 6);  // entry A
    EXPECT_EQ(session.titleBox.text, "A");
    ASSERT_EQ(session.table.rows(), 5);  // 3 rows, the input row, the header
    EXPECT_EQ(session.table.text(1, ecol::Number), "3");
    EXPECT_EQ(session.table.text(3, ecol::Item), "URL");
    EXPECT_EQ(session.table.text(3, ecol::Content), "a3");
    EXPECT_EQ(session.table.text(3, ecol::Parent), "1");
    EXPECT_EQ(session.table.text(3, ecol::Child), "3");
    EXPECT_TRUE(session.table.text(4, ecol::Item).empty());
    EXPECT_EQ(session.undo.text(1, 2, ecol::Content), "a2");
    EXPECT_EQ(session.undo.top(), 1);
    EXPECT_EQ(session.table.colWidth(ecol::Item), 3500);
    EXPECT_TRUE(session.table.colHidden(ecol::Parent));
    EXPECT_EQ(session.table.text(0, ecol::Child), "子Rec");

    program.editContext.reset();
    新規保存画面(session);
    EXPECT_EQ(session.table.rows(), 8);
    EXPECT_TRUE(session.titleBox.text.empty());
    EXPECT_TRUE(session.undo.text(1, 1, ecol::Item).empty());

    // A number block without a current row: 50 empty rows.
    program.editContext.setBlock(4, 6);
    program.editContext.currentRow = 0;
    新規保存画面(session);
    EXPECT_EQ(session.table.rows(), 51);
}

TEST_F(EditTest, NewSaveWritesFreshRecordsAndKeepsMiddleEmptyRows) {
    writeThreeEntries();
    openBlock(4, 6);
    session.titleBox.text = std::string(45, 'T');
    session.table.setText(2, ecol::Item, "");
    session.table.setText(2, ecol::Content, "");
    session.table.setText(3, ecol::Content, std::string(90, 'x'));
    新規保存(session);

    EXPECT_EQ(messages.last().text, "新規保存が完了しました。");
    EXPECT_EQ(messages.last().icon, Icon::Information);
    const std::string t = titles();
    const std::string c = contents();
    ASSERT_EQ(t.size(), 4u * 154);
    ASSERT_EQ(c.size(), 9u * 146);
    RawTitle head = rawTitle(t, 4);
    EXPECT_EQ(head.title, std::string(42, 'T'));
    EXPECT_EQ(firstSlots(head, 4), (std::vector<int>{7, 8, 9, 0}));
    EXPECT_EQ(head.self, 4);
    EXPECT_EQ(rawContent(c, 8).item, "");  // the empty middle row is stored
    EXPECT_EQ(rawContent(c, 8).parent, 4);
    EXPECT_EQ(rawContent(c, 9).content, std::string(82, 'x'));
    EXPECT_EQ(rawContent(c, 9).output, "0");
    EXPECT_EQ(rawContent(c, 9).self, 9);
    // The source entry is untouched and both appear in the browse table.
    EXPECT_EQ(firstSlots(rawTitle(t, 1), 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(program.browse.rows(), 1 + 6 + 3);
    EXPECT_EQ(session.table.text(3, ecol::Child), "9");
    EXPECT_EQ(session.table.rows(), 4);  // the trailing input row was dropped
    EXPECT_EQ(program.editContext.blockFirst, "MainR1");
    EXPECT_TRUE(session.commandEnabled[CmdNewSave]);
    EXPECT_EQ(session.indicatorCaption, "Undo");
}

TEST_F(EditTest, NewSaveRefusesBlankTitleAndKeepsSpacesInTheKey) {
    writeThreeEntries();
    openBlock(4, 6);
    const std::string before = titles();

    session.titleBox.text = "   ";
    新規保存(session);
    EXPECT_EQ(messages.last().text, "空白の表題は登録出来ません。");
    EXPECT_EQ(messages.last().icon, Icon::Critical);
    EXPECT_EQ(session.titleBox.back, palette::White);
    // The confirmation answered No writes nothing either.
    session.titleBox.text = "Z";
    messages.answers = {AnswerNo};
    新規保存(session);
    EXPECT_EQ(messages.last().text.rfind("現在のデータを新規保存します。", 0), 0u);
    EXPECT_EQ(titles(), before);

    // A trailing space makes another key: no duplicate question.
    const std::size_t asked = messages.messages.size();
    openBlock(1, 1);
    session.titleBox.text = "C ";
    新規保存(session);
    ASSERT_EQ(messages.messages.size(), asked + 2);
    EXPECT_NE(messages.messages[asked].text.find("現在のデータを新規保存します。"), std::string::npos);
}

TEST_F(EditTest, NewSaveReusesDeletedRecordsLowestFirst) {
    writeData(titleBytes("A", {1, 3}, 1),
              contentBytes("ID", "a", 1, 1) + contentBytes(kMarkCp932, "old", 0, 2, "0") +
                  contentBytes("PW", "b", 1, 3) + contentBytes(" " + kMarkCp932 + "  ", "old", 0, 4, "1") +
                  contentBytes(kMarkCp932 + "x", "", 0, 5) +
                  contentBytes(kMarkCp932 + std::string(1, '\0') + "junk", "", 0, 6));
    // Sequential allocations give the same numbers as the one-pass reserve.
    EXPECT_EQ(ReserveContentRecords(program.store, 4), (std::vector<int>{2, 4, 6, 7}));
    EXPECT_EQ(rawContent(contents(), 4).output, "1");  // a reused record keeps 出力
    EXPECT_EQ(rawContent(contents(), 7).output, "0");
    EXPECT_EQ(rawContent(contents(), 7).self, 7);
    writeData(titleBytes("A", {1, 3}, 1),
              contentBytes("ID", "a", 1, 1) + contentBytes(kMarkCp932, "old", 0, 2, "0") +
                  contentBytes("PW", "b", 1, 3) + contentBytes(" " + kMarkCp932 + "  ", "old", 0, 4, "1") +
                  contentBytes(kMarkCp932 + "x", "", 0, 5) +
                  contentBytes(kMarkCp932 + std::string(1, '\0') + "junk", "", 0, 6));
    std::vector<int> one;
    for (int i = 0; i < 4; ++i) one.push_back(program.store.AllocateContentRec());
    EXPECT_EQ(one, (std::vector<int>{2, 4, 6, 7}));
}

TEST_F(EditTest, SavesThatCannotFitAreRefusedBeforeAnyWrite) {
    writeThreeEntries();
    const std::string t0 = titles(), c0 = contents();

    // 51 rows.
    program.editContext.reset();
    新規保存画面(session);
    session.titleBox.text = "Big";
    session.table.setRows(53);
    for (int r = 1; r <= 51; ++r) session.table.setText(r, ecol::Item, "i" + std::to_string(r));
    新規保存(session);
    EXPECT_TRUE(reported(kNewSaveLocation));
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c0);
    EXPECT_TRUE(session.commandEnabled[CmdNewSave]);

    // A content file with every addressable record and none free.
    std::string full = c0;
    for (int n = 7; n <= mk::kMaxRecordNumber; ++n) full += contentBytes("X", "", 1, n);
    writeData(t0, full);
    session.table.setRows(3);
    messages.messages.clear();
    新規保存(session);
    EXPECT_TRUE(reported(kNewSaveLocation));
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(fileSize(contentPath()), mk::kMaxRecordNumber * 146);

    // 修正保存 needing a fresh record there: refused, nothing reserved.
    writeData(t0, full);
    openBlock(4, 6);
    type(4, ecol::Item, "new");
    messages.messages.clear();
    修正保存(session);
    EXPECT_TRUE(reported(kModifySaveLocation));
    EXPECT_EQ(contents(), full);
}

TEST_F(EditTest, ModifySaveWritesRowsBackAndTakesRecordsForNewRows) {
    writeThreeEntries();
    openBlock(4, 6);  // A: rows 1..3
    session.titleBox.text = "A renamed";
    type(1, ecol::Content, "  changed  ");
    type(4, ecol::Item, "Memo");  // the input row: a row is added below
    EXPECT_EQ(session.table.rows(), 6);
    // A content record was freed earlier and is reused.
    {
        std::string c = contents();
        c += contentBytes(kMarkCp932, "", 0, 7);
        writeFile(contentPath(), c);
    }
    修正保存(session);
    EXPECT_TRUE(messages.messages.empty());  // no completion message
    const std::string t = titles();
    const std::string c = contents();
    RawTitle head = rawTitle(t, 1);
    EXPECT_EQ(head.title, "A renamed");
    EXPECT_EQ(firstSlots(head, 5), (std::vector<int>{1, 2, 3, 7, 0}));
    EXPECT_EQ(rawContent(c, 1).content, "changed");
    EXPECT_EQ(rawContent(c, 1).output, "2");  // kept from disk
    EXPECT_EQ(rawContent(c, 7).item, "Memo");
    EXPECT_EQ(rawContent(c, 7).parent, 1);
    EXPECT_EQ(rawContent(c, 7).self, 7);
    EXPECT_EQ(session.table.text(4, ecol::Parent), "1");
    EXPECT_EQ(session.table.rows(), 6);  // trailing rows dropped, one added
    EXPECT_EQ(session.indicatorCaption, "Undo");
    EXPECT_EQ(program.browse.rows(), 1 + 7);

    // Clearing then saving writes blank rows over the entry.
    messages.answers = {AnswerYes};
    消去(session);
    EXPECT_TRUE(session.titleBox.text.empty());
    修正保存(session);
    EXPECT_EQ(rawContent(contents(), 2).item, "");
    EXPECT_EQ(firstSlots(rawTitle(titles(), 1), 4), (std::vector<int>{1, 2, 3, 7}));
}

TEST_F(EditTest, TheFreeMarkIsRefusedAsTitleOrItem) {
    writeThreeEntries();
    openBlock(4, 6);
    const std::string t0 = titles(), c0 = contents();
    session.table.setText(2, ecol::Item, " <削除< ");
    修正保存(session);
    EXPECT_EQ(messages.last().text, kFreeMarkMessage);
    session.table.setText(2, ecol::Item, "PW");
    // Texts that become the mark only once stored: cut to 42 characters, or
    // cut by the field's 50 bytes.
    for (const std::string& title :
         {std::string("<削除<"), "<削除<" + std::string(38, ' ') + "abc", "<削除<" + std::string(44, ' ') + "x"}) {
        session.titleBox.text = title;
        messages.messages.clear();
        新規保存(session);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.last().text, kFreeMarkMessage);
    }
    修正保存(session);
    EXPECT_EQ(messages.last().text, kFreeMarkMessage);
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c0);
}

TEST_F(EditTest, ModifySaveWithoutRecordNumbersWritesNothing) {
    writeThreeEntries();
    program.editContext.reset();
    新規保存画面(session);
    session.titleBox.text = "New";
    type(1, ecol::Item, "ID");
    const std::string t0 = titles(), c0 = contents();
    修正保存(session);
    EXPECT_EQ(messages.last().text,
              "親レコードが未設定です。修正保存ではなく新規保存を選択して下さい。");
    EXPECT_EQ(titles(), t0);
    EXPECT_EQ(contents(), c0);
}

TEST_F(EditTest, ModifySaveOfTwoEntriesWithOneTitle) {
    writeData(titleBytes("Same", {1, 2}, 1) + titleBytes("Same", {3}, 2),
              contentBytes("a", "1", 1, 1) + contentBytes("b", "2", 1, 2) +
                  contentBytes("c", "3", 2, 3));
    openBlock(1, 3);  // both entries in one block (title 2 first)
    session.titleBox.text = "Other";
    type(3, ecol::Content, "22");
    修正保存(session);
    const std::string t = titles();
    EXPECT_EQ(rawTitle(t, 2).title, "Other");
    EXPECT_EQ(firstSlots(rawTitle(t, 2), 2), (std::vector<int>{3, 0}));
    EXPECT_EQ(rawTitle(t, 1).title, "Other");
    EXPECT_EQ(firstSlots(rawTitle(t, 1), 3), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(rawContent(contents(), 2).content, "22");
}

// 修正保存 writes an entry only whole: otherwise it refuses and writes
// nothing. Either way every stored row stays named exactly once.
TEST_F(EditTest, ModifySaveWritesOnlyWholeEntries) {
    const std::string refused =
        "表示されている行が保存済みの表題の行と一致しないので修正保存出来ません。　"
        "検索・閲覧で表題を選び直してから再実行して下さい。";
    const std::string threeT = titleBytes("A", {1, 2, 3}, 1) + titleBytes("B", {4, 5}, 2) +
                               titleBytes("C", {6}, 3);
    const std::string threeC = contentBytes("ID", "a1", 1, 1) + contentBytes("PW", "a2", 1, 2) +
                               contentBytes("URL", "a3", 1, 3) + contentBytes("ID", "b1", 2, 4) +
                               contentBytes("PW", "b2", 2, 5) + contentBytes("ID", "c1", 3, 6);
    const std::string sameT = titleBytes("Same", {1, 2}, 1) + titleBytes("Same", {3}, 2);
    const std::string sameC =
        contentBytes("a", "1", 1, 1) + contentBytes("b", "2", 1, 2) + contentBytes("c", "3", 2, 3);
    const std::string gapT = titleBytes("A", {1, 0, 3}, 1);
    const std::string gapC = contentBytes("ID", "a1", 1, 1) + contentBytes(kMarkCp932, "", 0, 2, "0") +
                             contentBytes("PW", "a3", 1, 3);
    struct Case {
        const char* name;
        const std::string &titles, &contents;
        int first, last;  // the browse block the screen opens
        int row, col;     // a cell changed on the screen
        std::string text;
        std::vector<std::vector<int>> slots;  // used slots of title 1, 2 ... afterwards; empty: refused
    } cases[] = {
        {"the whole entry", threeT, threeC, 4, 6, 1, ecol::Content, "new", {{1, 2, 3}}},
        {"part of an entry (a sorted block)", threeT, threeC, 4, 5, 1, ecol::Content, "new", {}},
        {"one row twice", threeT, threeC, 4, 6, 2, ecol::Child, "1", {}},
        {"a row of another entry", threeT, threeC, 4, 6, 3, ecol::Child, "4", {}},
        {"two whole entries of one title", sameT, sameC, 1, 3, 1, ecol::Content, "new", {{1, 2}, {3}}},
        {"one of two entries in part", sameT, sameC, 1, 2, 1, ecol::Content, "new", {}},
        {"used slots with a gap", gapT, gapC, 1, 2, 1, ecol::Content, "new", {{1, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeData(c.titles, c.contents);
        openBlock(c.first, c.last);
        session.table.setText(c.row, c.col, c.text);
        messages.messages.clear();
        修正保存(session);
        EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});
        if (c.slots.empty()) {
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_EQ(messages.last().text, refused);
            EXPECT_EQ(titles(), c.titles);
            EXPECT_EQ(contents(), c.contents);
            continue;
        }
        EXPECT_TRUE(messages.messages.empty());
        for (std::size_t t = 0; t < c.slots.size(); ++t) {
            const RawTitle head = rawTitle(titles(), int(t + 1));
            std::vector<int> expected = c.slots[t];
            expected.push_back(0);  // nothing after the rows
            EXPECT_EQ(firstSlots(head, int(expected.size())), expected);
        }
        EXPECT_EQ(rawContent(contents(), session.table.number(1, ecol::Child)).content, "new");
    }
}

TEST_F(EditTest, DuplicateTitleIsJudgedAsStored) {
    // "〜" (U+301C) is stored as the CP932 wave dash, which reads back "～".
    writeData(titleBytes("A" + cp932Bytes("～") + "B", {1}, 1), contentBytes("ID", "x", 1, 1));
    program.editContext.reset();
    新規保存画面(session);
    session.titleBox.text = "a〜b";
    session.table.setText(1, ecol::Item, "ID");
    const std::string t0 = titles();
    messages.answers = {AnswerNo};
    新規保存(session);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text.rfind("新規保存の表題は　既存データと重複しています。", 0), 0u);
    EXPECT_EQ(titles(), t0);
}

TEST_F(EditTest, CommandsCheckForDataAndBackAsksAboutChanges) {
    writeThreeEntries();
    program.editContext.reset();
    新規保存画面(session);
    session.titleBox.text = "Only a title";
    for (int label : {CmdNewSave, CmdModifySave, CmdClear}) {
        messages.messages.clear();
        RunEditCommand(session, label);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.last().text, "データが未入力なので保存できません。\r  \r処理を中止します。\r  \r");
    }
    EXPECT_TRUE(ConfirmBack(session));
    type(1, ecol::Item, "ID");
    EXPECT_EQ(session.ChangeCount, 1);
    messages.answers = {AnswerYes};
    EXPECT_FALSE(ConfirmBack(session));
    EXPECT_EQ(session.ChangeCount, 1);
    messages.answers = {AnswerNo};
    EXPECT_TRUE(ConfirmBack(session));
    EXPECT_EQ(session.ChangeCount, 0);
    EXPECT_TRUE(ConfirmBack(session));

    type(1, ecol::Content, "x");
    messages.answers = {AnswerYes, AnswerYes};
    RunEditCommand(session, CmdNewSave);
    EXPECT_EQ(session.ChangeCount, 0);
}

TEST_F(EditTest, CursorMovesAfterEditsAndTodayFillsTheCurrentCell) {
    program.editContext.reset();
    新規保存画面(session);
    session.table.setRows(3);  // one data row and the input row
    session.table.setText(2, 0, "");
    CellPos to = AfterCellEdit(session, 1, ecol::Item);
    EXPECT_EQ(to.row, 1);
    EXPECT_EQ(to.col, ecol::Content);
    session.table.setText(2, ecol::Item, "typed");
    to = AfterCellEdit(session, 2, ecol::Item);
    EXPECT_EQ(session.table.rows(), 4);  // the input row grew one
    session.table.setText(2, ecol::Content, "v");
    to = AfterCellEdit(session, 2, ecol::Content);
    EXPECT_EQ(to.row, 3);
    EXPECT_EQ(to.col, ecol::Item);

    session.table.currentRow = 0;
    session.table.currentCol = 1;
    const int before = session.ChangeCount;
    本日(session, "2026/12/08");
    EXPECT_EQ(session.ChangeCount, before);
    session.table.currentRow = 1;
    session.table.currentCol = 2;
    本日(session, "2026/12/08");
    EXPECT_EQ(session.table.text(1, 2), "2026/12/08");
    EXPECT_EQ(session.ChangeCount, before + 1);
    EXPECT_EQ(session.table.backColor(1, 2), palette::White);
    EXPECT_TRUE(session.undo.text(session.undo.top(), 1, 2).empty());
    EXPECT_EQ(TodayText().size(), 10u);
}

}  // namespace
}  // namespace mk::test
