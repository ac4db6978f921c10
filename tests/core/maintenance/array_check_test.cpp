#include "core/maintenance/array_check.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>
#include <vector>

#include "core/base/scripted_messages.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

using test::contentRecordBytes;
using test::titleRecordBytes;

const std::string kAllClear =
    "データの配列検査の結果　　異常なレコード番号や重複はありません。　データは全て正常です。";
std::string outOfRange(int n) {
    return "異常報告　　項目Recが　Maxrec2 を超えているデータが　" + std::to_string(n) +
           "件ありました。";
}
std::string duplicates(int n) {
    return "異常報告　　項目Recの重複が　" + std::to_string(n) + "件ありました。";
}

TEST(ArrayCheck, ReportsOutOfRangeSlotsAndDuplicatesOnce) {
    test::TempFolder folder;
    ScriptedMessages messages;
    DataStore store(folder.path());
    ::mkdir(store.dataFolder().c_str(), 0700);
    const std::string two =
        contentRecordBytes("0", "a", "x", 1, 1) + contentRecordBytes("0", "b", "y", 1, 2);
    struct Case {
        const char* name;
        std::string titles, contents;
        std::vector<std::string> reports;
    } cases[] = {
        {"empty files", "", "", {kAllClear}},
        {"sound", titleRecordBytes("A", {1, 0, 2}, 1), two, {kAllClear}},
        {"past Maxrec2", titleRecordBytes("A", {1, 3}, 1), two, {outOfRange(1)}},
        {"negative", titleRecordBytes("A", {-1, 1}, 1), two, {outOfRange(1)}},
        {"two titles",
         titleRecordBytes("A", {1}, 1) + titleRecordBytes("B", {1, 2}, 2),
         two,
         {duplicates(1)}},
        {"three slots, twice",
         titleRecordBytes("A", {2, 2, 2, 1, 1, 9}, 1),
         two,
         {outOfRange(1), duplicates(2)}},
        {"unnamed record", titleRecordBytes("A", {2}, 1), two, {kAllClear}},
    };
    for (const Case& c : cases) {
        test::writeFile(store.titlePath(), c.titles);
        test::writeFile(store.contentPath(), c.contents);
        messages.messages.clear();
        GridTable table;
        表題と項目のRec(store, table);
        std::vector<std::string> shown;
        for (const RecordedMessage& m : messages.messages) {
            shown.push_back(m.text);
            EXPECT_EQ(m.icon, Icon::None);
            EXPECT_EQ(m.buttons, Buttons::OK);
        }
        EXPECT_EQ(shown, c.reports) << c.name;
        EXPECT_EQ(table.rows(), int(c.titles.size() / 154) + 1) << c.name;
        EXPECT_EQ(table.cols(), 53) << c.name;
    }

    // The last case's tables, cell by cell where it matters.
    GridTable slots, rows;
    test::writeFile(store.titlePath(), titleRecordBytes("  表題  ", {2}, 1));
    表題と項目のRec(store, slots);
    EXPECT_EQ(slots.text(0, 2), "1");
    EXPECT_EQ(slots.text(0, 51), "50");
    EXPECT_EQ(slots.text(1, 0), "1");
    EXPECT_EQ(slots.text(1, 1), "表題");
    EXPECT_EQ(slots.text(1, 2), "2");
    EXPECT_EQ(slots.text(1, 3), "0");
    EXPECT_EQ(slots.colWidth(1), 2200);
    EXPECT_EQ(slots.rowHeight(0), 300);
    項目表示(store, rows);
    ASSERT_EQ(rows.rows(), 3);
    ASSERT_EQ(rows.cols(), 5);
    EXPECT_EQ(rows.text(0, 1), "項目");
    EXPECT_EQ(rows.text(0, 4), "親Rec");
    EXPECT_EQ(rows.text(2, 0), "2");
    EXPECT_EQ(rows.text(2, 1), "b");
    EXPECT_EQ(rows.text(2, 2), "y");
    EXPECT_EQ(rows.text(2, 3), "2");
    EXPECT_EQ(rows.text(2, 4), "1");
    EXPECT_EQ(rows.colWidth(3), 1500);
}

}  // namespace
}  // namespace mk
