#include "core/store/data_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/errors.h"
#include "core/base/scripted_messages.h"
#include "core/store/text.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

using test::errorNumberOf;

class DataStoreTest : public ::testing::Test {
protected:
    void TearDown() override { fs::clearFaults(); }

    // Writes content records whose items are given (record n = items[n-1]).
    void writeItems(const std::vector<std::string>& items) {
        store.Openfile2();
        for (std::size_t i = 0; i < items.size(); ++i) {
            ContentRecord r;
            r.出力 = "1";
            r.項目 = items[i];
            r.内容 = "content " + std::to_string(i + 1);
            r.親Rec = 1;
            r.自分Rec = static_cast<int16_t>(i + 1);
            store.writeContent(static_cast<long>(i + 1), r);
        }
        store.Close2();
    }

    test::TempFolder temp;
    ScriptedMessages messages;
    DataStore store{temp.path()};
};

mode_t modeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST_F(DataStoreTest, FirstOpenCreatesThePrivateFolderAndEmptyFiles) {
    EXPECT_EQ(store.dataFolder(), temp.path() + "DuzoZuzevod/");
    store.Openfile1();
    store.Openfile2();
    EXPECT_TRUE(store.file1Open());
    EXPECT_EQ(store.Maxrec1, 0);
    EXPECT_EQ(store.Maxrec2, 0);
    store.CloseAll();
    EXPECT_EQ(test::fileSize(store.titlePath()), 0);
    EXPECT_EQ(test::fileSize(store.contentPath()), 0);
    EXPECT_EQ(modeOf(store.dataFolder()), 0700u);
    EXPECT_EQ(modeOf(store.titlePath()), 0600u);
    EXPECT_TRUE(messages.messages.empty());

    // An app folder given without its trailing separator gets exactly one.
    std::string bare = temp.path();
    bare.pop_back();
    EXPECT_EQ(DataStore(bare).dataFolder(), temp.path() + "DuzoZuzevod/");
}

// Storing the output checks touches their two bytes only: an item that
// would not survive a decode and encode (a lead byte without its trail)
// stays as it was, and numbers outside the file are skipped.
TEST_F(DataStoreTest, OutputMarksChangeOnlyTheirOwnBytes) {
    writeItems({"ID", "PW"});
    std::string bytes = test::readFile(store.contentPath());
    bytes[ContentRecord::kSize + 2] = '\x82';  // record 2's item: a lone lead byte
    test::writeFile(store.contentPath(), bytes);

    store.writeOutputMarks({{2, "2"}, {0, "1"}, {3, "1"}, {1, "0"}});
    std::string expected = bytes;
    expected[0] = '0';
    expected[ContentRecord::kSize] = '2';
    EXPECT_EQ(test::readFile(store.contentPath()), expected);
}

TEST_F(DataStoreTest, CountsWholeRecordsAndAnAppendOverwritesATornTail) {
    std::string folder = store.dataFolder();
    MakeFolderPath(folder);
    test::writeFile(store.titlePath(), std::string(310, 'x'));
    store.Openfile1();
    EXPECT_EQ(store.Maxrec1, 2);

    TitleRecord r;
    r.表題 = "third";
    r.自分Rec = 3;
    store.writeTitle(store.Maxrec1 + 1, r);
    EXPECT_EQ(store.Maxrec1, 3);
    store.Close1();
    EXPECT_EQ(test::fileSize(store.titlePath()), 3 * 154);
    EXPECT_EQ(test::int16At(test::readFile(store.titlePath()), 2 * 154 + 150), 3);
}

TEST_F(DataStoreTest, ReadPastTheEndIsBlankAndBadCallsRaiseClassicNumbers) {
    writeItems({"ID"});
    store.Openfile2();
    ContentRecord past = store.readContent(40);
    EXPECT_EQ(CleanField(past.項目), "");
    EXPECT_EQ(CleanField(past.内容), "");
    EXPECT_EQ(past.親Rec, 0);
    EXPECT_EQ(past.自分Rec, 0);
    EXPECT_EQ(errorNumberOf([&] { store.readContent(0); }), ErrBadRecordNumber);
    EXPECT_EQ(errorNumberOf([&] { store.writeContent(-1, ContentRecord{}); }), ErrBadRecordNumber);
    EXPECT_EQ(errorNumberOf([&] { store.writeContent(32768, ContentRecord{}); }),
              ErrBadRecordNumber);
    EXPECT_EQ(test::fileSize(store.contentPath()), 146);
    store.Close2();
    EXPECT_EQ(errorNumberOf([&] { store.readContent(1); }), ErrBadFileNameOrNumber);
    EXPECT_EQ(errorNumberOf([&] { store.writeContent(1, ContentRecord{}); }),
              ErrBadFileNameOrNumber);
}

TEST_F(DataStoreTest, ReadAllMatchesRecordByRecord) {
    writeItems({"a", "b", "c"});
    store.Openfile2();
    std::vector<ContentRecord> all = store.readAllContents();
    ASSERT_EQ(all.size(), 3u);
    for (long n = 1; n <= 3; ++n) EXPECT_EQ(all[n - 1].toBytes(), store.readContent(n).toBytes());
    store.Close2();
}

TEST_F(DataStoreTest, AllocationInAnEmptyFileReservesRecordOne) {
    EXPECT_EQ(store.AllocateTitleRec(), 1);
    EXPECT_EQ(store.AllocateContentRec(), 1);
    EXPECT_FALSE(store.file1Open());
    EXPECT_FALSE(store.file2Open());
    EXPECT_EQ(test::fileSize(store.titlePath()), 154);
    EXPECT_EQ(test::fileSize(store.contentPath()), 146);
    const std::string title = test::readFile(store.titlePath());
    EXPECT_EQ(title.substr(0, 50), std::string(50, ' '));
    EXPECT_EQ(test::int16At(title, 150), 1);
    EXPECT_EQ(test::int16At(test::readFile(store.contentPath()), 144), 1);
}

TEST_F(DataStoreTest, AllocationReusesTheLowestFreeRecordsThenAppends) {
    writeItems({"ID", "x", " <削除< ", "y", "<削除<abc", "z", "<削除<", "w"});
    EXPECT_EQ(store.AllocateContentRec(), 3);
    EXPECT_EQ(store.AllocateContentRec(), 7);
    EXPECT_EQ(store.AllocateContentRec(), 9);
    EXPECT_EQ(test::fileSize(store.contentPath()), 9 * 146);

    store.Openfile2();
    ContentRecord reused = store.readContent(3);
    EXPECT_EQ(CleanField(reused.項目), "");
    EXPECT_EQ(CleanField(reused.内容), "");
    EXPECT_EQ(reused.親Rec, 0);
    EXPECT_EQ(reused.自分Rec, 3);
    EXPECT_EQ(CleanField(store.readContent(5).項目), "<削除<abc");  // not free
    EXPECT_EQ(CleanField(store.readContent(9).出力), "0");
    store.Close2();
}

TEST_F(DataStoreTest, TitleAllocationReusesAMarkedTitle) {
    store.Openfile1();
    for (int n = 1; n <= 3; ++n) {
        TitleRecord r;
        r.表題 = n == 2 ? "<削除<" : "title";
        r.子Rec[0] = static_cast<int16_t>(n);
        r.自分Rec = static_cast<int16_t>(n);
        r.Status = 9;
        store.writeTitle(n, r);
    }
    store.Close1();
    EXPECT_EQ(store.AllocateTitleRec(), 2);
    store.Openfile1();
    TitleRecord reserved = store.readTitle(2);
    store.Close1();
    EXPECT_EQ(CleanField(reserved.表題), "");
    EXPECT_EQ(reserved.子Rec[0], 0);
    EXPECT_EQ(reserved.自分Rec, 2);
    EXPECT_EQ(store.AllocateTitleRec(), 4);
}

TEST_F(DataStoreTest, RecordNumberAbove32767IsOverflowAndWritesNothing) {
    // 32766 used records: the next is the last number that fits 16 bits.
    std::string folder = store.dataFolder();
    MakeFolderPath(folder);
    ContentRecord used;
    used.項目 = "used";
    const std::string one = used.toBytes();
    std::string bytes;
    bytes.reserve(one.size() * 32766);
    for (int i = 0; i < 32766; ++i) bytes += one;
    test::writeFile(store.contentPath(), bytes);

    EXPECT_EQ(store.AllocateContentRec(), 32767);
    const std::string before = test::readFile(store.contentPath());
    EXPECT_EQ(errorNumberOf([&] { store.AllocateContentRec(); }), ErrOverflow);
    EXPECT_EQ(test::readFile(store.contentPath()), before);
    EXPECT_FALSE(store.file2Open());
}

TEST_F(DataStoreTest, OpenfileOnAnUncreatableFolderIsReportedAndLeavesTheFileClosed) {
    test::writeFile(temp.path() + "plain", "a file where the program folder should be");
    DataStore blocked(temp.path() + "plain");
    blocked.Openfile1();
    EXPECT_FALSE(blocked.file1Open());
    EXPECT_EQ(blocked.Maxrec1, 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().title, "エラー発生表示");
    EXPECT_NE(messages.last().text.find("エラーの場所： 4802 :  Sub Openfile1()\r"),
              std::string::npos);
    EXPECT_NE(messages.last().text.find("　エラー番号： 76\r"), std::string::npos);
    EXPECT_NE(messages.last().text.find("指定のディレクトリは見当たりません。"), std::string::npos);
}

TEST_F(DataStoreTest, OpenfileFailureKeepsTheFileClosedEvenAfterAnEarlierOpen) {
    writeItems({"ID", "PW"});
    store.Openfile2();
    ASSERT_EQ(store.Maxrec2, 2);
    fs::failOperation("open", EACCES);
    store.Openfile2();
    fs::clearFaults();
    EXPECT_FALSE(store.file2Open());
    EXPECT_EQ(store.Maxrec2, 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string& text = messages.last().text;
    EXPECT_NE(text.find("エラーの場所： 4951 :  Sub Openfile2()\r"), std::string::npos);
    EXPECT_NE(text.find("　エラー番号： 70\r"), std::string::npos);
    EXPECT_NE(text.find("ファイルを終了させて　再度プログラムを実行してください。"),
              std::string::npos);
    EXPECT_EQ(test::fileSize(store.contentPath()), 2 * 146);

    // The allocation that follows meets the closed file: its caller reports it.
    fs::failOperation("open", EACCES);
    EXPECT_EQ(errorNumberOf([&] { store.AllocateContentRec(); }), ErrPathFileAccess);
    fs::clearFaults();
    EXPECT_EQ(test::fileSize(store.contentPath()), 2 * 146);
}

using test::contentRecordBytes;
using test::titleRecordBytes;

TEST_F(DataStoreTest, OperationsCloseTheirFilesAlsoWhenTheyThrow) {
    std::string folder = store.dataFolder();
    MakeFolderPath(folder);
    test::writeFile(store.titlePath(),
                    titleRecordBytes("A", {1}, 1) + titleRecordBytes("B", {2}, 2));
    test::writeFile(store.contentPath(), contentRecordBytes("2", "ID", "a", 1, 1) +
                                             contentRecordBytes("2", "ID", "b", 2, 2));
    const std::string t0 = test::readFile(store.titlePath()),
                      c0 = test::readFile(store.contentPath());
    EXPECT_EQ(errorNumberOf([&] { store.readEntry(3); }), ErrBadRecordNumber);
    // A row that its title does not name is never freed.
    EXPECT_EQ(errorNumberOf([&] { store.deleteRow(1, 2); }), ErrBadRecordNumber);
    fs::failOperation("write", ENOSPC);
    EXPECT_NE(errorNumberOf([&] { store.deleteRow(1, 1); }), 0);
    fs::clearFaults();
    EXPECT_FALSE(store.file1Open());
    EXPECT_FALSE(store.file2Open());
    EXPECT_EQ(test::readFile(store.titlePath()), t0);
    EXPECT_EQ(test::readFile(store.contentPath()), c0);
}

// A replacement of a two-entry pair by a one-entry pair, and what the files
// hold after it: each file "old", "new", or "none" (absent).
struct PairReplacement {
    DataStore& store;
    const std::string oldT = titleRecordBytes("O", {1, 2}, 1),
                      oldC = contentRecordBytes("2", "a", "", 1, 1) + contentRecordBytes("2", "b", "", 1, 2),
                      newT = titleRecordBytes("N", {1}, 1), newC = contentRecordBytes("0", "x", "y", 1, 1);

    void reset(bool existed) {
        std::string folder = store.dataFolder();
        MakeFolderPath(folder);
        for (const std::string& name : fs::listDirectory(folder)) ::unlink((folder + name).c_str());
        if (existed) {
            test::writeFile(store.titlePath(), oldT);
            test::writeFile(store.contentPath(), oldC);
        }
    }
    // True when it reported a failure.
    bool run() { return errorNumberOf([&] { store.replacePair(newT, newC); }) != 0; }
    static std::string stateOf(const std::string& path, const std::string& oldBytes,
                               const std::string& newBytes) {
        if (!test::fileExists(path)) return "none";
        const std::string bytes = test::readFile(path);
        return bytes == oldBytes ? "old" : bytes == newBytes ? "new" : "other";
    }
    std::string titles() const { return stateOf(store.titlePath(), oldT, newT); }
    std::string contents() const { return stateOf(store.contentPath(), oldC, newC); }
    std::size_t names() const { return fs::listDirectory(store.dataFolder()).size(); }
};

TEST_F(DataStoreTest, ReplacePairLeavesOldOrNewPairAtEveryFailingCall) {
    PairReplacement pair{store};
    for (bool existed : {true, false}) {
        const std::string was = existed ? "old" : "none";
        pair.reset(existed);
        const long start = fs::callCount();
        pair.run();
        const long calls = fs::callCount() - start;
        for (long n = 1; n <= calls; ++n) {
            pair.reset(existed);
            fs::failCall(n, EIO);
            const bool failed = pair.run();
            fs::clearFaults();
            EXPECT_EQ(pair.titles(), failed ? was : "new") << n;
            EXPECT_EQ(pair.contents(), failed ? was : "new") << n;
            EXPECT_LE(pair.names(), 2u) << n;  // no temporary left
        }
    }
}

// A second failure while the first is undone, with and without second names
// for the old files. The pair still ends old or new; once the next open has
// tidied, nothing else is left. The one mixture no order of steps avoids: the
// rows are back, and then the rename that would bring back the titles fails.
TEST(PairReplacementTest, SurvivesASecondFailureWhileUndoingTheFirst) {
    const test::TempFolder memory(true);
    ScriptedMessages messages;
    DataStore store(memory.path());
    PairReplacement pair{store};
    for (bool links : {true, false}) {
        auto reset = [&] {
            fs::clearFaults();
            pair.reset(true);
            if (!links) fs::failOperation("hardlink", EPERM);
        };
        reset();
        long start = fs::callCount();
        ASSERT_FALSE(pair.run());
        const long cleanCalls = fs::callCount() - start;
        for (long n = 1; n <= cleanCalls; ++n) {
            reset();
            start = fs::callCount();
            fs::failCall(n, EIO);
            pair.run();
            const long calls = fs::callCount() - start;
            int mixed = 0;
            for (long m = n + 1; m <= calls; ++m) {
                reset();
                fs::failCall(n, EIO);
                fs::failCall(m, EIO);
                pair.run();
                fs::clearFaults();
                DataStore(store.appFolder()).finishInterruptedWrites();  // the next open
                const std::string t = pair.titles(), c = pair.contents();
                const std::string where = std::to_string(links) + " " + std::to_string(n) + " " +
                                          std::to_string(m);
                if (t != c) {
                    ++mixed;
                    EXPECT_EQ(t + c, "newold") << where;
                } else {
                    EXPECT_NE(t, "other") << where;
                }
                EXPECT_EQ(pair.names(), 2u) << where;
            }
            fs::clearFaults();
            EXPECT_LE(mixed, 1) << links << " " << n;
        }
    }
}

TEST_F(DataStoreTest, LinkCheckFindsEveryBrokenLink) {
    const std::string a = contentRecordBytes("2", "a", "", 1, 1);
    struct Case {
        std::string titles, contents;
        std::size_t problems;
    } cases[] = {
        {titleRecordBytes("A", {1}, 1) + std::string(154, '\0'), a,
         0},                                       // a deleted title is no entry
        {titleRecordBytes("A", {0, 1}, 1), a, 0},  // slots need not follow each other
        {titleRecordBytes("A", {1, 2}, 1), a, 1},  // past the end
        {titleRecordBytes("A", {1}, 1) + titleRecordBytes("B", {1}, 2), a,
         2},  // twice, wrong 親Rec
        {titleRecordBytes("A", {1}, 1), contentRecordBytes("0", "<削除<", "", 1, 1), 1},  // free
        {titleRecordBytes("A", {1}, 3), contentRecordBytes("2", "a", "", 1, 4), 2},  // both 自分Rec
    };
    std::string folder = store.dataFolder();
    MakeFolderPath(folder);
    for (const Case& c : cases) {
        test::writeFile(store.titlePath(), c.titles);
        test::writeFile(store.contentPath(), c.contents);
        const std::vector<std::string> problems = store.linkProblems();
        EXPECT_EQ(problems.size(), c.problems) << (problems.empty() ? "" : problems.front());
    }
}

}  // namespace
}  // namespace mk
