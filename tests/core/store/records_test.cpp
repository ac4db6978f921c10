// The record layouts are checked against an independent reader and writer:
// Python's struct module and its cp932 codec.
#include "core/store/records.h"

#include <gtest/gtest.h>

#include "core/base/scripted_messages.h"
#include "core/store/data_store.h"
#include "core/store/text.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

// Runs a Python program with `args` and returns what it printed.
std::string python(const test::TempFolder& temp, const std::string& program,
                   const std::string& args) {
    const std::string script = temp.path() + "check.py";
    test::writeFile(script, program);
    int code = -1;
    std::string out = test::runCommand("python3 '" + script + "' " + args, &code);
    EXPECT_EQ(code, 0) << out;
    return out;
}

const char* const kReadTitles = R"PY(
import struct, sys
data = open(sys.argv[1], 'rb').read()
for n in range(len(data) // 154):
    rec = data[n * 154:(n + 1) * 154]
    title = rec[:50].decode('cp932').rstrip(' ')
    nums = struct.unpack('<52h', rec[50:])
    print(title + '|' + ','.join(str(x) for x in nums))
)PY";

const char* const kReadContents = R"PY(
import struct, sys
data = open(sys.argv[1], 'rb').read()
for n in range(len(data) // 146):
    rec = data[n * 146:(n + 1) * 146]
    parent, own = struct.unpack('<2h', rec[142:])
    print('|'.join([rec[:2].decode('cp932'), rec[2:52].decode('cp932').rstrip(' '),
                    rec[52:142].decode('cp932').rstrip(' '), str(parent), str(own)]))
)PY";

class RecordsTest : public ::testing::Test {
protected:
    test::TempFolder temp;
    ScriptedMessages messages;
    DataStore store{temp.path()};
};

TEST_F(RecordsTest, TitleRecordBytesMatchAnIndependentReader) {
    TitleRecord r;
    r.表題 = "銀行ＡＢＣ abc";
    r.子Rec[0] = 3;
    r.子Rec[1] = 32767;
    r.子Rec[49] = -2;
    r.自分Rec = 2;
    r.Status = 9;
    store.Openfile1();
    store.writeTitle(1, TitleRecord{});
    store.writeTitle(2, r);
    store.Close1();

    std::string expected = "銀行ＡＢＣ abc|3,32767";
    for (int i = 2; i < 49; ++i) expected += ",0";
    expected += ",-2,2,9\n";
    const std::string out = python(temp, kReadTitles, "'" + store.titlePath() + "'");
    EXPECT_EQ(out.substr(out.find('\n') + 1), expected);
    EXPECT_EQ(test::fileSize(store.titlePath()), 308);
}

TEST_F(RecordsTest, ContentRecordBytesMatchAnIndependentReader) {
    ContentRecord r;
    r.出力 = "1";
    r.項目 = "パスワード";
    r.内容 = "p@ss ワード\\1";
    r.親Rec = 12;
    r.自分Rec = -1;
    EXPECT_EQ(r.toBytes().size(), ContentRecord::kSize);
    store.Openfile2();
    store.writeContent(1, r);
    store.Close2();
    EXPECT_EQ(python(temp, kReadContents, "'" + store.contentPath() + "'"),
              "1 |パスワード|p@ss ワード\\1|12|-1\n");
}

TEST_F(RecordsTest, FieldsWrittenElsewhereReadBackAndClean) {
    // A title with a NUL after "abc"; a title of exactly 25 full-width
    // characters; an item and content of full width.
    const char* writer = R"PY(
import struct, sys
def title(text, own):
    raw = text.encode('cp932').ljust(50, b' ')[:50]
    return raw + struct.pack('<50h', *([5] + [0] * 49)) + struct.pack('<2h', own, 0)
full = 'あ' * 25
with open(sys.argv[1], 'wb') as f:
    f.write(title('abc', 1).replace(b'abc ', b'abc\x00', 1))
    f.write(title(full, 2))
with open(sys.argv[2], 'wb') as f:
    f.write(b'2 ' + 'ＩＤ'.encode('cp932').ljust(50, b' ')
            + 'ユーザー名'.encode('cp932').ljust(90, b' ') + struct.pack('<2h', 1, 1))
)PY";
    std::string folder = store.dataFolder();
    MakeFolderPath(folder);
    python(temp, writer, "'" + store.titlePath() + "' '" + store.contentPath() + "'");

    store.Openfile1();
    store.Openfile2();
    TitleRecord first = store.readTitle(1);
    TitleRecord second = store.readTitle(2);
    ContentRecord row = store.readContent(1);
    store.CloseAll();

    EXPECT_EQ(CleanField(first.表題), "abc");
    EXPECT_EQ(first.子Rec[0], 5);
    EXPECT_EQ(CharCount(second.表題), 50u);  // 25 characters padded to the field width
    std::string full;
    for (int i = 0; i < 25; ++i) full += "あ";
    EXPECT_EQ(CleanField(second.表題), full);
    EXPECT_EQ(LeadingNumber(row.出力), 2);
    EXPECT_EQ(CleanField(row.項目), "ＩＤ");
    EXPECT_EQ(CleanField(row.内容), "ユーザー名");
}

TEST(RecordBytes, ShortInputIsABlankRecordWithZeroNumbers) {
    TitleRecord t = TitleRecord::fromBytes(std::string(100, 'x'));
    EXPECT_EQ(CleanField(t.表題), "");
    EXPECT_EQ(t.子Rec[0], 0);
    EXPECT_EQ(t.自分Rec, 0);
    ContentRecord c = ContentRecord::fromBytes({});
    EXPECT_EQ(CleanField(c.項目), "");
    EXPECT_EQ(CleanField(c.内容), "");
    EXPECT_EQ(LeadingNumber(c.出力), 0);
    EXPECT_EQ(c.親Rec, 0);
}

// The loader's cleaned read must give exactly what cleaning the padded read
// gives, damaged bytes included: a lead byte before a NUL or a space, spaces
// on both sides, a NUL in the middle, a field full to its last byte.
TEST(RecordBytes, CleanedReadEqualsTheCleanedPaddedRead) {
    const std::string sjisA = "\x82\xa0";  // あ
    const std::vector<std::string> items = {
        "",
        "   ",
        "  ID  ",
        "ab\0cd",
        "\x82\0tail",
        "x\x82 ",
        " \x82",
        std::string("\0", 1) + "hidden",
        "\xff\x80\xa0 \xfd",
        [&] {
            std::string s;
            while (s.size() + 2 <= 50) s += sjisA;
            return s;
        }(),
    };
    for (const std::string& item : items) {
        std::string bytes = item.substr(0, 50);
        bytes.resize(50, ' ');
        const std::string record = "1 " + bytes + std::string(90, ' ') + std::string(4, '\0');
        ContentRecord padded = ContentRecord::fromBytes(record);
        const ContentRecord cleaned = ContentRecord::fromBytes(record, FieldForm::Cleaned);
        EXPECT_EQ(cleaned.項目, Trim(CleanField(padded.項目))) << item;
        EXPECT_EQ(cleaned.内容, "");
        EXPECT_EQ(cleaned.出力, "1");
    }
    EXPECT_EQ(ContentRecord::fromBytes({}, FieldForm::Cleaned).項目, "");
}

TEST(DeletedMark, JudgedOnTheTextAsItWouldBeStored) {
    const std::string spaces38(38, ' ');
    struct Case {
        std::string text;
        std::size_t width;
        bool free;
    } cases[] = {
        {"<削除<", 50, true},
        {" <削除<  ", 50, true},
        {std::string("<削除<\0x", 10), 50, true},
        // The mark, spaces, and more text that the field's 50 bytes cut off.
        {"<削除<" + std::string(44, ' ') + "abc", 50, true},
        // The same cut to 42 characters first, as the saves do.
        {LeftChars("<削除<" + spaces38 + "abc", 42), 50, true},
        {"<削除<abc", 50, false},
        {"<削除<　", 50, false},  // a full-width space is kept by CleanField
        {"ID", 50, false},
    };
    for (const Case& c : cases) EXPECT_EQ(storesAsDeletedMark(c.text, c.width), c.free) << c.text;

    ContentRecord r;
    r.項目 = " <削除< ";
    EXPECT_TRUE(r.itemReadsAsDeletedMark());
    TitleRecord t;
    t.表題 = "<削除<" + std::string(44, ' ') + "x";
    EXPECT_TRUE(t.titleReadsAsDeletedMark());
    EXPECT_TRUE(isDeletedMark(" <削除<   "));
    EXPECT_FALSE(isDeletedMark("<削除<abc"));
}

}  // namespace
}  // namespace mk
