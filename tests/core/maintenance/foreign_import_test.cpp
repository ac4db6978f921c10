#include "core/maintenance/foreign_import.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ciphrax/cipher_control.h"
#include "core/base/scripted_messages.h"
#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

using test::cp932Bytes;

const char* const kImportQuestion =
    "ピコットパスワード管理のデータを読み込んで\r  \rこのアプリのDBに変換します。\r  \r"
    "現在のデータは削除されます。\r  \rピコットパスワード管理のデータ　パスワード管理.dat "
    "が必要です。\r  \r"
    "実行しますか？\r  \r";
const char* const kImportDone =
    "ピコットパスワード管理のデータからの\r  \rインポートが完了しました。\r  \r";
const char* const kConvertDone =
    "コンバートが完了しました。\r  \r\r  \r注意　表示順が旧バージョンとは逆になっています。\r  \r";

std::string padded(const std::string& bytes, std::size_t width) {
    std::string out = bytes.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::string cipher(const std::string& text) {
    static ciphrax::CipherControl control;
    return control.toCipher(text);
}

// One record of the other product's file; items and contents are bytes as
// stored (contents enciphered, or "-*-" and plain text).
std::string importRecord(
    const std::string& title,
    const std::vector<std::pair<int, std::pair<std::string, std::string>>>& rows) {
    std::string items(10 * 42, ' '), contents(10 * 402, ' ');
    for (const auto& [k, row] : rows) {
        items.replace(42 * (k - 1), 42, padded(row.first, 42));
        contents.replace(402 * (k - 1), 402, padded(row.second, 402));
    }
    return padded("unused", 42) + padded(title, 42) + items + contents + std::string(18, '\x07');
}

// One record of the old single-file format.
std::string oldRecord(
    const std::string& title,
    const std::vector<std::pair<int, std::pair<std::string, std::string>>>& rows) {
    std::string items(21 * 42, ' '), contents(21 * 202, ' ');
    items.replace(0, 42, padded("element zero", 42));
    for (const auto& [r, row] : rows) {
        items.replace(42 * r, 42, padded(row.first, 42));
        contents.replace(202 * r, 202, padded(row.second, 202));
    }
    return padded(title, 42) + items + contents + std::string(88, '\x01');
}

struct ForeignFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    Program program{folder.path()};
    std::vector<std::string> progress;

    ~ForeignFixture() override { fs::clearFaults(); }

    std::string data() const { return folder.path() + "DuzoZuzevod/"; }
    std::string titlePath() const { return data() + "パスワード表題.dat"; }
    std::string contentPath() const { return data() + "パスワード内容.dat"; }
    std::string pairBytes() const {
        return test::readFile(titlePath()) + "|" + test::readFile(contentPath());
    }
    std::vector<test::PairEntry> pair() const { return test::readPair(titlePath(), contentPath()); }

    // A current data set of one entry with one row.
    void writeCurrentData() {
        ::mkdir(data().c_str(), 0700);
        test::writeFile(titlePath(), test::titleRecordBytes("mine", {1}, 1));
        test::writeFile(contentPath(), test::contentRecordBytes("1", "ID", "me", 1, 1));
    }
    ForeignImportHooks hooks() {
        ForeignImportHooks h;
        h.progress = [this](int i, int n) {
            progress.push_back(std::to_string(i) + "/" + std::to_string(n));
        };
        return h;
    }
    int errorReports() const {
        int n = 0;
        for (const auto& m : messages.messages) n += m.title == "エラー発生表示";
        return n;
    }
};

TEST_F(ForeignFixture, ImportKeepsRowPositionsCutsAndGuardsTheMark) {
    writeCurrentData();
    const std::string longText(100, 'x');
    const std::string wide =
        "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわを"
        "ん";  // 46 wide
    std::string file =
        importRecord(cp932Bytes("銀行"), {{1, {"ID", cipher("abc")}},
                                          {5, {cp932Bytes("暗証"), "-*-" + cp932Bytes("平文")}}}) +
        importRecord("", {}) +
        importRecord("ab\0cd\x81", {{1, {"<削除<", "-*-" + longText}},
                                    {2, {"\x81\xff", "-*-" + cp932Bytes(wide + wide)}}}) +
        std::string(100, 'z');                      // an incomplete last record
    file.replace(4542 * 2 + 42 + 3, 1, "\x00", 1);  // NUL inside the third title
    file.replace(4542 * 2 + 84, 42, padded(cp932Bytes("<削除<"), 42));
    test::writeFile(data() + "パスワード管理.dat", file);

    ASSERT_EQ(ImportOtherProduct(program, hooks()), ForeignOutcome::Done) << messages.last().text;
    EXPECT_EQ(progress, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, kImportQuestion);
    EXPECT_EQ(messages.messages[0].icon, Icon::Question);
    EXPECT_EQ(messages.messages[1].text, kImportDone);
    EXPECT_EQ(messages.messages[1].icon, Icon::Information);

    const std::vector<test::PairEntry> entries = pair();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, cp932Bytes("銀行"));
    EXPECT_EQ(std::vector<int>(entries[0].children.begin(), entries[0].children.begin() + 6),
              (std::vector<int>{1, 2, 3, 4, 5, 0}));
    ASSERT_EQ(entries[0].rows.size(), 5u);
    EXPECT_EQ(entries[0].rows[0].content, "abc");
    EXPECT_EQ(entries[0].rows[2].item, "");  // kept empty between used rows
    EXPECT_EQ(entries[0].rows[4].content, cp932Bytes("平文"));
    EXPECT_EQ(entries[0].rows[4].output, "0");
    EXPECT_EQ(entries[1].children[0], 0);  // an all-empty record gives a title only
    EXPECT_EQ(entries[1].self, 2);
    EXPECT_EQ(entries[2].title, "ab");
    ASSERT_EQ(entries[2].rows.size(), 2u);
    EXPECT_EQ(entries[2].rows[0].item, cp932Bytes("＜削除<"));
    EXPECT_EQ(entries[2].rows[0].content, std::string(82, 'x'));
    EXPECT_EQ(entries[2].rows[1].item, "??");
    EXPECT_EQ(entries[2].rows[1].content, cp932Bytes(wide.substr(0, 45 * 3)));  // 90 bytes
    EXPECT_EQ(entries[2].rows[1].parent, 3);
    EXPECT_EQ(entries[2].rows[1].self, 7);
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});
}

TEST_F(ForeignFixture, ImportThatCannotFinishLeavesTheDataAsItWas) {
    const std::string good = importRecord("A", {{1, {"ID", cipher("v")}}});
    std::vector<std::pair<int, std::pair<std::string, std::string>>> tenRows;
    for (int k = 1; k <= 10; ++k) tenRows.push_back({k, {"i", "-*-c"}});
    std::string tooManyRows;
    for (int i = 0; i < 3277; ++i) tooManyRows += importRecord("T", tenRows);  // 32,770 rows
    struct Case {
        const char* name;
        std::string file;
        long sparseRecords;  // a file of this many records, all zero bytes
        const char* failingCall;
        ForeignOutcome outcome;
    } cases[] = {
        {"zero bytes", "", 0, nullptr, ForeignOutcome::Done},
        {"not a cipher text", good + importRecord("B", {{3, {"pw", "abc"}}}), 0, nullptr,
         ForeignOutcome::Failed},
        {"more titles than numbers", "", 32768, nullptr, ForeignOutcome::Failed},
        {"more rows than numbers", tooManyRows, 0, nullptr, ForeignOutcome::Failed},
        {"rename fails", good, 0, "rename", ForeignOutcome::Failed},
    };
    for (const Case& c : cases) {
        messages.messages.clear();
        writeCurrentData();
        const std::string before = pairBytes();
        const std::string path = data() + "パスワード管理.dat";
        test::writeFile(path, c.file);
        if (c.sparseRecords) std::filesystem::resize_file(path, c.sparseRecords * 4542);
        if (c.failingCall) fs::failOperation(c.failingCall, EIO);
        EXPECT_EQ(ImportOtherProduct(program), c.outcome) << c.name;
        fs::clearFaults();
        if (c.outcome == ForeignOutcome::Done) {
            EXPECT_EQ(pairBytes(), "|") << c.name;  // both files empty
            continue;
        }
        EXPECT_EQ(pairBytes(), before) << c.name;
        EXPECT_EQ(errorReports(), 1) << c.name;
        EXPECT_EQ(fs::listDirectory(data()).size(), 3u) << c.name;  // no temporary left
    }
}

TEST_F(ForeignFixture, MissingFilesAndNoChangeNothing) {
    writeCurrentData();
    const std::string before = pairBytes();
    messages.answers = {AnswerNo};
    test::writeFile(data() + "パスワード管理.dat", importRecord("A", {}));
    EXPECT_EQ(ImportOtherProduct(program), ForeignOutcome::Cancelled);
    fs::removeFile(data() + "パスワード管理.dat");
    EXPECT_EQ(ImportOtherProduct(program), ForeignOutcome::Missing);
    EXPECT_EQ(
        messages.last().text,
        data() +
            "に\r  \rパスワード管理.dat が必要です。\r  \rお手数ですが確認をお願いします。\r  \r");
    EXPECT_EQ(ConvertOldVersion(program), ForeignOutcome::Missing);
    EXPECT_EQ(messages.last().text,
              "旧バージョンのパスワード管理・備忘録のデータにアクセス出来ません。\r  \r" + data() +
                  "備忘録.dat\r  \rを確認してください。　処理を中止します。\r  \r");
    EXPECT_EQ(messages.last().icon, Icon::Critical);
    EXPECT_EQ(pairBytes(), before);
}

TEST_F(ForeignFixture, ConversionAddsEntriesBehindTheUsersOwn) {
    writeCurrentData();
    const std::string before = pairBytes();
    const std::string wide(101 * 3, 'x');
    std::string longWide;
    for (int i = 0; i < 101; ++i) longWide += "あ";
    const std::string file = oldRecord(cp932Bytes("旧い表題"), {{2, {"ID", "enciphered?"}},
                                                                {7, {"", cp932Bytes(longWide)}}}) +
                             oldRecord("empty", {}) + "partial";
    test::writeFile(data() + "備忘録.dat", "");
    EXPECT_EQ(ConvertOldVersion(program), ForeignOutcome::Done);  // nothing to add
    EXPECT_EQ(pairBytes(), before);
    EXPECT_EQ(messages.last().text, kConvertDone);

    test::writeFile(data() + "備忘録.dat", file);
    ASSERT_EQ(ConvertOldVersion(program), ForeignOutcome::Done);
    const std::vector<test::PairEntry> entries = pair();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, "mine");
    EXPECT_EQ(entries[0].rows[0].content, "me");
    EXPECT_EQ(entries[1].title, cp932Bytes("旧い表題"));
    EXPECT_EQ(entries[1].self, 2);
    std::vector<int> slots(entries[1].children.begin(), entries[1].children.begin() + 8);
    EXPECT_EQ(slots, (std::vector<int>{0, 2, 0, 0, 0, 0, 3, 0}));
    EXPECT_EQ(entries[1].rows[0].content, "enciphered?");  // as it stands
    std::string kept;
    for (int i = 0; i < 45; ++i) kept += "あ";
    EXPECT_EQ(entries[1].rows[1].content, cp932Bytes(kept));  // the first 90 bytes
    EXPECT_EQ(entries[2].children[0], 0);
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});

    // Past the last record number: refused whole.
    const std::string full = pairBytes();
    std::filesystem::resize_file(data() + "備忘録.dat", 32766L * 5254);
    EXPECT_EQ(ConvertOldVersion(program), ForeignOutcome::Failed);
    EXPECT_EQ(pairBytes(), full);
}


// Both files are read many records at a time: entries on either side of
// each read's boundary come in whole and in order, the partial tail left out.
TEST_F(ForeignFixture, LongFilesComeInWholeAcrossTheirReads) {
    constexpr int kEntries = 61;  // more than two reads of either file
    std::string import, old;
    for (int i = 1; i <= kEntries; ++i) {
        const std::string n = std::to_string(i);
        import += importRecord("T" + n, {{1, {"ID" + n, cipher("pw" + n)}}});
        old += oldRecord("O" + n, {{1, {"ID" + n, "memo" + n}}});
    }
    writeCurrentData();  // replaced by the import
    test::writeFile(data() + "パスワード管理.dat", import + "tail");
    test::writeFile(data() + "備忘録.dat", old + "tail");
    ASSERT_EQ(ImportOtherProduct(program), ForeignOutcome::Done) << messages.last().text;
    ASSERT_EQ(ConvertOldVersion(program), ForeignOutcome::Done) << messages.last().text;

    const std::vector<test::PairEntry> entries = pair();
    ASSERT_EQ(entries.size(), 2u * kEntries);
    for (int i = 1; i <= kEntries; ++i) {
        const std::string n = std::to_string(i);
        const test::PairEntry& imported = entries[std::size_t(i - 1)];
        const test::PairEntry& converted = entries[std::size_t(kEntries + i - 1)];
        EXPECT_EQ(imported.title, "T" + n);
        ASSERT_EQ(imported.rows.size(), 1u);
        EXPECT_EQ(imported.rows[0].item + "|" + imported.rows[0].content, "ID" + n + "|pw" + n);
        EXPECT_EQ(converted.title, "O" + n);
        ASSERT_EQ(converted.rows.size(), 1u);
        EXPECT_EQ(converted.rows[0].item + "|" + converted.rows[0].content, "ID" + n + "|memo" + n);
    }
    EXPECT_EQ(program.store.linkProblems(), std::vector<std::string>{});
}

// A folder (or anything but a regular file) under the file's name is an open
// failure: reported under the reader's own location, the data untouched and
// no completion claimed.
TEST_F(ForeignFixture, ForeignNameThatIsNoFileIsAnOpenFailure) {
    struct Case {
        const char* name;
        std::function<ForeignOutcome()> run;
        const char* location;
    } cases[] = {
        {"パスワード管理.dat", [this] { return ImportOtherProduct(program); },
         "6318 :  Sub Openfile5()"},
        {"備忘録.dat", [this] { return ConvertOldVersion(program); },
         "Sub Openfile6 :備忘録.datへのアクセス  2331"},
    };
    for (const Case& c : cases) {
        messages.messages.clear();
        writeCurrentData();
        const std::string before = pairBytes();
        ASSERT_EQ(::mkdir((data() + c.name).c_str(), 0700), 0);
        EXPECT_EQ(c.run(), ForeignOutcome::Failed) << c.name;
        EXPECT_EQ(pairBytes(), before) << c.name;
        ASSERT_EQ(messages.messages.size(), 2u) << c.name;  // the question, the report
        EXPECT_EQ(messages.last().title, "エラー発生表示");
        EXPECT_NE(messages.last().text.find(c.location), std::string::npos) << c.name;
        EXPECT_NE(messages.last().text.find("エラー番号： 75"), std::string::npos) << c.name;
        ::rmdir((data() + c.name).c_str());
    }
}

// A damaged title names content record 3 while the file holds one record:
// the converted rows pass over 3, so that no record belongs to two entries.
TEST_F(ForeignFixture, ConversionPassesOverNumbersADamagedTitleNames) {
    ::mkdir(data().c_str(), 0700);
    test::writeFile(titlePath(), test::titleRecordBytes("mine", {1, 3}, 1));
    test::writeFile(contentPath(), test::contentRecordBytes("1", "ID", "me", 1, 1));
    test::writeFile(data() + "備忘録.dat", oldRecord("old", {{1, {"a", "1"}}, {2, {"b", "2"}}}));
    ASSERT_EQ(ConvertOldVersion(program), ForeignOutcome::Done);
    const std::vector<test::PairEntry> entries = pair();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(std::vector<int>(entries[1].children.begin(), entries[1].children.begin() + 3),
              (std::vector<int>{2, 4, 0}));
    ASSERT_EQ(entries[1].rows.size(), 2u);
    EXPECT_EQ(entries[1].rows[1].item, "b");
    EXPECT_EQ(entries[1].rows[1].parent, 2);
    EXPECT_EQ(entries[1].rows[1].self, 4);
    EXPECT_EQ(test::readContentRecord(contentPath(), 3).self, 0);  // a blank record
    EXPECT_EQ(test::fileSize(contentPath()), 4 * 146);
}

}  // namespace
}  // namespace mk
