#include "core/maintenance/sample_data.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/base/scripted_messages.h"
#include "codec/cp932.h"
#include "core/store/file_layer.h"
#include "tests/core/edit/edit_fixture.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

const char* const kGenerated = "サンプルデータの生成が完了しました。　検索・閲覧に移動します。";
const char* const kDeleted = "サンプルデータの削除が完了しました。　検索・閲覧に移動します。";
const int kRowCounts[20] = {10, 9, 3, 2, 4, 8, 1, 1, 6, 4, 2, 2, 9, 4, 3, 2, 5, 3, 5, 3};

using test::contentRecordBytes;
using test::titleRecordBytes;

struct SampleFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    Program program{folder.path()};

    ~SampleFixture() override { fs::clearFaults(); }

    std::string dataFolder() const { return folder.path() + "DuzoZuzevod/"; }
    std::string titlePath() const { return dataFolder() + "パスワード表題.dat"; }
    std::string contentPath() const { return dataFolder() + "パスワード内容.dat"; }
    std::string titles() const { return test::readFile(titlePath()); }
    std::string contents() const { return test::readFile(contentPath()); }

    void writeFiles(const std::string& titleBytes, const std::string& contentBytes) {
        ::mkdir(dataFolder().c_str(), 0700);
        test::writeFile(titlePath(), titleBytes);
        test::writeFile(contentPath(), contentBytes);
    }
    int errorReports() const {
        int n = 0;
        for (const auto& m : messages.messages) n += m.title == "エラー発生表示";
        return n;
    }
};

// The whole sample set, checked record by record against the entries.
void expectSampleFiles(SampleFixture& f) {
    ASSERT_EQ(f.titles().size(), 20u * 154u);
    ASSERT_EQ(f.contents().size(), 86u * 146u);
    EXPECT_EQ(f.program.store.linkProblems(), std::vector<std::string>{});
    const std::vector<test::PairEntry> pair = test::readPair(f.titlePath(), f.contentPath());
    int next = 1;
    for (int e = 1; e <= 20; ++e) {
        const test::PairEntry& entry = pair[e - 1];
        EXPECT_EQ(entry.status, 9);
        ASSERT_EQ(int(entry.rows.size()), kRowCounts[e - 1]) << "title " << e;
        for (int s = 1; s <= kRowCounts[e - 1]; ++s) {
            EXPECT_EQ(entry.children[s - 1], next) << "title " << e << " slot " << s;
            EXPECT_EQ(entry.rows[s - 1].output, "0");
            ++next;
        }
    }
    EXPECT_EQ(next, 87);
}

// ---- the sample set itself ----------------------------------------------------

TEST(SampleSet, TwentyEntriesWithTheirRowCountsThatFitTheFields) {
    ScriptedMessages messages;
    std::vector<SampleEntry> set = SampleData();
    ASSERT_EQ(set.size(), 20u);
    for (int e = 0; e < 20; ++e) {
        const SampleEntry& entry = set[e];
        EXPECT_EQ(int(entry.rows.size()), kRowCounts[e]) << entry.title;
        // Within what the edit screen announces (20 / 40 full-width
        // characters), so nothing is cut, and every character survives
        // Shift-JIS.
        EXPECT_LE(cp932::encode(entry.title).size(), 40u) << entry.title;
        EXPECT_EQ(cp932::decode(cp932::encode(entry.title)), entry.title);
        for (const auto& [item, content] : entry.rows) {
            EXPECT_FALSE(item.empty());
            EXPECT_FALSE(content.empty());
            EXPECT_LE(cp932::encode(item).size(), 40u) << item;
            EXPECT_LE(cp932::encode(content).size(), 80u) << content;
            EXPECT_EQ(cp932::decode(cp932::encode(item)), item);
            EXPECT_EQ(cp932::decode(cp932::encode(content)), content);
            EXPECT_NE(content, "*");
        }
    }
    EXPECT_TRUE(messages.messages.empty());
}

// ---- generation ---------------------------------------------------------------

TEST_F(SampleFixture, FirstGenerationWritesTheSetAndReloads) {
    ASSERT_TRUE(サンプルデータ生成(program));
    expectSampleFiles(*this);
    std::vector<SampleEntry> set = SampleData();
    EXPECT_EQ(cp932::decode(titles().substr(0, 50)).find(set[0].title), 0u);
    EXPECT_EQ(cp932::decode(contents().substr(85 * 146 + 52, 90)).find(set[19].rows.back().second), 0u);

    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text, kGenerated);
    EXPECT_EQ(messages.last().buttons, Buttons::OK);
    EXPECT_EQ(messages.last().icon, Icon::None);
    EXPECT_EQ(program.browse.rows(), 87);  // header + 86 rows
}

// ---- deletion -----------------------------------------------------------------

TEST_F(SampleFixture, DeletionRightAfterGenerationEmptiesBothFiles) {
    ASSERT_TRUE(サンプルデータ生成(program));
    messages.messages.clear();
    ASSERT_TRUE(サンプルデータ削除(program));
    EXPECT_EQ(test::fileSize(titlePath()), 0);
    EXPECT_EQ(test::fileSize(contentPath()), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text, kDeleted);
    EXPECT_EQ(messages.last().icon, Icon::None);
}

// User entries between samples, a free title, an unused slot in the middle,
// a free and an orphaned content record and a slot past the end of the file.
struct MixedFiles {
    std::string titles, contents;
    MixedFiles() {
        titles = titleRecordBytes("User A", {3, 1}, 1, 0) +        // kept as 1
                 titleRecordBytes("Sample", {2}, 2, 9) +          // dropped
                 titleRecordBytes("", {}, 3, 0) +                 // free, kept as 2
                 titleRecordBytes("User B", {5, 0, 7, 9}, 4, 0) +  // kept as 3
                 titleRecordBytes("Sample2", {4, 6}, 5, 9);       // dropped
        contents = contentRecordBytes("1", "A2", "a-two", 1, 1) + contentRecordBytes("1", "S", "s", 2, 2) +
                   contentRecordBytes("1", "A1", "a-one", 1, 3) + contentRecordBytes("1", "S2", "s", 5, 4) +
                   contentRecordBytes("1", "B1", "b-one", 4, 5) + contentRecordBytes("1", "S2b", "s", 5, 6) +
                   contentRecordBytes("1", "B3", "b-three", 4, 7) + contentRecordBytes("1", "<削除<", "", 0, 8);
        // Record 9 is not in the file.
    }
};

TEST_F(SampleFixture, DeletionKeepsUserEntriesRenumberedInOrder) {
    MixedFiles mixed;
    writeFiles(mixed.titles, mixed.contents);
    ASSERT_TRUE(サンプルデータ削除(program));
    ASSERT_EQ(titles().size(), 3u * 154u);
    ASSERT_EQ(contents().size(), 5u * 146u);
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});

    // Titles keep their texts and Status; rows follow in title and slot
    // order, an unused slot stays unused, the output state is kept.
    const std::vector<test::PairEntry> pair = test::readPair(titlePath(), contentPath());
    const std::vector<std::string> names = {"User A", "", "User B"};
    const std::vector<std::vector<int>> slots = {{1, 2}, {}, {3, 0, 4, 5}};
    const std::vector<std::vector<std::string>> items = {{"A1", "A2"}, {}, {"B1", "B3", ""}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(pair[k].title, names[k]);
        EXPECT_EQ(pair[k].status, 0);
        std::vector<int> used(pair[k].children.begin(), pair[k].children.begin() + int(slots[k].size()));
        EXPECT_EQ(used, slots[k]);
        ASSERT_EQ(pair[k].rows.size(), items[k].size());
        for (std::size_t r = 0; r < items[k].size(); ++r) EXPECT_EQ(pair[k].rows[r].item, items[k][r]);
    }
    EXPECT_EQ(pair[0].rows[0].output, "1");
    EXPECT_EQ(pair[2].rows[0].content, "b-one");
}

// ---- a failure at any step leaves the old files or the new ones ------------------

// Runs `action` once cleanly to count its file calls, then once for every
// call number with that call failing, each time over fresh copies of the
// files: a reported failure must leave the old bytes, a success the new.
template <class Action>
void failEveryCall(SampleFixture& f, const std::string& oldT, const std::string& oldC, Action action) {
    f.writeFiles(oldT, oldC);
    const long start = fs::callCount();
    ASSERT_TRUE(action());
    const long calls = fs::callCount() - start;
    const std::string newT = f.titles(), newC = f.contents();
    ASSERT_GT(calls, 4);
    int failures = 0;

    for (long n = 1; n <= calls; ++n) {
        f.writeFiles(oldT, oldC);
        f.messages.messages.clear();
        fs::failCall(n, EIO);
        const bool ok = action();
        fs::clearFaults();
        if (ok) {
            EXPECT_EQ(f.titles(), newT) << "call " << n;
            EXPECT_EQ(f.contents(), newC) << "call " << n;
        } else {
            ++failures;
            EXPECT_GE(f.errorReports(), 1) << "call " << n;
            EXPECT_EQ(f.titles(), oldT) << "call " << n;
            EXPECT_EQ(f.contents(), oldC) << "call " << n;
        }
    }
    EXPECT_GT(failures, 4);
}

TEST_F(SampleFixture, FaultDuringDeletionLeavesOldOrNewFiles) {
    MixedFiles mixed;
    failEveryCall(*this, mixed.titles, mixed.contents, [&] { return サンプルデータ削除(program); });
}

TEST_F(SampleFixture, FaultDuringGenerationLeavesOldOrNewFiles) {
    const std::string t = titleRecordBytes("mine", {1, 2}, 1, 0);
    const std::string c = contentRecordBytes("1", "ID", "me", 1, 1) + contentRecordBytes("1", "PW", "x", 1, 2);
    failEveryCall(*this, t, c, [&] { return サンプルデータ生成(program); });
    expectSampleFiles(*this);  // the user's entry is gone
}

TEST_F(SampleFixture, RefusedRenamesKeepTheOldFiles) {
    MixedFiles mixed;
    for (int deleting = 0; deleting < 2; ++deleting) {
        writeFiles(mixed.titles, mixed.contents);
        messages.messages.clear();
        fs::failOperation("rename", EACCES);
        EXPECT_FALSE(deleting ? サンプルデータ削除(program) : サンプルデータ生成(program));
        fs::clearFaults();
        EXPECT_EQ(titles(), mixed.titles);
        EXPECT_EQ(contents(), mixed.contents);
        ASSERT_EQ(errorReports(), 1);
        EXPECT_NE(messages.last().text.find(deleting ? "サンプルデータ削除 :  4519   "
                                                     : "サンプルデータ生成 :  4518   "),
                  std::string::npos);
    }
    // A failed first generation leaves no data file behind.
    ::unlink(titlePath().c_str());
    ::unlink(contentPath().c_str());
    fs::failOperation("rename", EIO);
    EXPECT_FALSE(サンプルデータ生成(program));
    fs::clearFaults();
    EXPECT_FALSE(test::fileExists(titlePath()));
    EXPECT_FALSE(test::fileExists(contentPath()));
}


// A sample entry changed and saved on the edit screen, or edited in place,
// is the user's own: the sample deletion keeps it, with what was saved.
using test::EditTest;

TEST_F(EditTest, SampleDeletionKeepsSampleEntriesTheUserSaved) {
    using test::contentBytes;
    using test::titleBytes;
    writeData(titleBytes("S1", {1}, 1, 9) + titleBytes("S2", {2}, 2, 9) + titleBytes("S3", {3}, 3, 9),
              contentBytes("ID", "s1", 1, 1) + contentBytes("ID", "s2", 2, 2) +
                  contentBytes("ID", "s3", 3, 3));
    openBlock(2, 2);  // S2, the second row of the browse table
    type(1, ecol::Content, "mine now");
    修正保存(session);
    ASSERT_TRUE(messages.messages.empty());
    EXPECT_EQ(test::rawTitle(titles(), 2).status, 0);
    EXPECT_EQ(test::rawTitle(titles(), 1).status, 9);

    ASSERT_TRUE(サンプルデータ削除(program));
    const std::vector<test::PairEntry> kept = test::readPair(titlePath(), contentPath());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].title, "S2");
    ASSERT_EQ(kept[0].rows.size(), 1u);
    EXPECT_EQ(kept[0].rows[0].content, "mine now");
}

}  // namespace
}  // namespace mk
