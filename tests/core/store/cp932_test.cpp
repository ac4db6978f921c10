// The CP932 codec, read back and cross-checked by Python's own cp932 codec.
#include "codec/cp932.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace {

using mk::cp932::codes;
using mk::cp932::decode;
using mk::cp932::encode;
using mk::cp932::encodeField;
using mk::cp932::fromCode;

using mk::test::hexOf;

std::string runPython(const mk::test::TempFolder& folder, const std::string& script) {
    mk::test::writeFile(folder.path() + "check.py", script);
    int exitCode = -1;
    std::string out = mk::test::runCommand("python3 " + folder.path() + "check.py", &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    return out;
}

TEST(Cp932, SingleBytesAndSpecialCases) {
    // 0x5C and 0x7E stay backslash and tilde (not yen and overline).
    EXPECT_EQ(decode("\x5c\x7e"), "\\~");
    EXPECT_EQ(encode("\\~"), "\x5c\x7e");
    EXPECT_EQ(decode("\xb1\xdf\xa1"), "ｱﾟ｡");
    EXPECT_EQ(encode("ｱﾟ｡"), "\xb1\xdf\xa1");
    EXPECT_EQ(decode(std::string("abc\0\0", 5)), std::string("abc\0\0", 5));

    // Broken byte sequences: one "?" per broken character, nothing lost after.
    EXPECT_EQ(decode("ab\x81"), "ab?");                              // lone lead at the end
    EXPECT_EQ(decode(std::string("\x82\0x", 3)), std::string("?\0x", 3));  // lead before a NUL
    EXPECT_EQ(decode("\x85\x40Z"), "?Z");                             // unassigned pair
    EXPECT_EQ(decode("\x80\xa0\xfd"), "???");

    // Characters CP932 lacks, and invalid UTF-8.
    EXPECT_EQ(encode("a😀b"), "a?b");
    EXPECT_EQ(encode("\xff" "a\xe3\x81"), "?a??");
    EXPECT_EQ(encode("\xed\xa0\x80"), "???");  // an encoded surrogate
}

TEST(Cp932, CodesAndBack) {
    EXPECT_EQ(codes("A\\~"), (std::vector<uint16_t>{65, 92, 126}));
    EXPECT_EQ(codes("あ　ｱ"), (std::vector<uint16_t>{0x82A0, 0x8140, 0xB1}));
    EXPECT_EQ(codes("①髙﨑"), (std::vector<uint16_t>{0x8740, 0xFBFC, 0xFAB1}));
    EXPECT_EQ(codes("😀\xff"), (std::vector<uint16_t>{63, 63}));
    EXPECT_TRUE(codes("").empty());

    EXPECT_EQ(fromCode(0x82A0), "あ");
    EXPECT_EQ(fromCode(0xFBFC), "髙");
    EXPECT_EQ(fromCode(0xEEE0), "髙");  // the NEC-selected duplicate
    EXPECT_EQ(fromCode(92), "\\");
    EXPECT_EQ(fromCode(0xB1), "ｱ");
    EXPECT_EQ(fromCode(0), std::string(1, '\0'));
    EXPECT_EQ(fromCode(0x82), "?");    // a lead byte alone
    EXPECT_EQ(fromCode(0x4142), "?");  // no lead byte
    EXPECT_EQ(fromCode(0x8520), "?");
}

TEST(Cp932, EveryByteAndPairDecodesAsPythonDoes) {
    // Every single byte and every lead/trail pair, decoded here and by Python.
    // Python maps 0x80, 0xA0 and 0xFD..0xFF to private characters; those
    // are no characters on disk for us and read as "?".
    std::string bytes;
    std::string mine;
    for (int b = 0; b < 256; ++b) {
        if ((b >= 0x81 && b <= 0x9f) || b >= 0xe0) {
            if (b <= 0xfc) {
                for (int t = 0x40; t <= 0xfc; ++t) {
                    if (t == 0x7f) continue;
                    std::string pair{char(b), char(t)};
                    bytes += pair;
                    mine += hexOf(decode(pair)) + "\n";
                }
                continue;
            }
        }
        bytes.push_back(char(b));
        mine += hexOf(decode(std::string(1, char(b)))) + "\n";
    }
    mk::test::TempFolder folder;
    mk::test::writeFile(folder.path() + "mine.txt", mine);
    mk::test::writeFile(folder.path() + "bytes.bin", bytes);
    std::string out = runPython(folder, R"(
import sys
d = sys.argv[0].rsplit('/', 1)[0] + '/'
data = open(d + 'bytes.bin', 'rb').read()
mine = open(d + 'mine.txt').read().split('\n')
i = n = bad = 0
while i < len(data):
    b = data[i]
    width = 2 if (0x81 <= b <= 0x9f or 0xe0 <= b <= 0xfc) else 1
    chunk = data[i:i + width]
    i += width
    try:
        expected = chunk.decode('cp932')
    except UnicodeDecodeError:
        expected = '?'
    if b in (0x80, 0xa0, 0xfd, 0xfe, 0xff):
        expected = '?'
    got = bytes.fromhex(mine[n]).decode('utf-8')
    n += 1
    if got != expected:
        bad += 1
        if bad < 10:
            print('mismatch', chunk.hex(), repr(got), repr(expected))
print('checked', n)
)");
    EXPECT_NE(out.find("checked 11476"), std::string::npos) << out;
    EXPECT_EQ(out.find("mismatch"), std::string::npos) << out;
}

TEST(Cp932, EveryBmpCharacterEncodesSoThatPythonReadsItBack) {
    // For each character Python can encode, our bytes must decode (by Python)
    // to the same character. The bytes may differ only where CP932 holds the
    // character twice (NEC row 13, NEC-selected and IBM extensions): there we
    // pick the IBM code as iconv does; Python picks the NEC one.
    std::ostringstream mine;
    for (uint32_t cp = 1; cp < 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        std::string utf8;
        if (cp < 0x80) {
            utf8 = std::string(1, char(cp));
        } else if (cp < 0x800) {
            utf8 = {char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F))};
        } else {
            utf8 = {char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))};
        }
        mine << cp << ' ' << hexOf(encode(utf8)) << '\n';
    }
    mk::test::TempFolder folder;
    mk::test::writeFile(folder.path() + "mine.txt", mine.str());
    std::string out = runPython(folder, R"(
import sys
d = sys.argv[0].rsplit('/', 1)[0] + '/'
same = differ = bad = 0
bestfit = []
for line in open(d + 'mine.txt'):
    cp, hx = line.split()
    ch = chr(int(cp))
    ours = bytes.fromhex(hx)
    try:
        theirs = ch.encode('cp932')
        if ch == '\x80' or 0xf8f0 <= ord(ch) <= 0xf8f3:
            raise UnicodeEncodeError('cp932', ch, 0, 1, 'Python-only mapping')
    except UnicodeEncodeError:
        # CP932 lacks it: "?", or iconv's best fit (the yen sign to 0x5C...)
        if ours != b'?':
            bestfit.append(hex(int(cp)))
        continue
    if ours == theirs:
        same += 1
    elif ours.decode('cp932') == ch and (ours[0] in (0x87, 0x81, 0xfa, 0xfb, 0xfc)):
        differ += 1
    else:
        bad += 1
        if bad < 10:
            print('mismatch', hex(int(cp)), ours.hex(), theirs.hex())
print('same', same, 'duplicates', differ, 'bestfit', len(bestfit), ' '.join(bestfit))
)");
    EXPECT_EQ(out.find("mismatch"), std::string::npos) << out;
    EXPECT_EQ(out.find("unexpected"), std::string::npos) << out;
    // Only three best fits: yen sign, em dash and overline.
    EXPECT_NE(out.find("bestfit 3 "), std::string::npos) << out;

    // The duplicates iconv resolves to the IBM codes, as Windows does.
    EXPECT_EQ(encode("髙﨑ⅰ"), "\xfb\xfc\xfa\xb1\xfa\x40");
    EXPECT_EQ(encode("①≒"), "\x87\x40\x81\xe0");
}

TEST(Cp932, FieldsAreCutWholeAndPadded) {
    EXPECT_EQ(encodeField("ab", 5), "ab   ");
    EXPECT_EQ(encodeField("", 3), "   ");
    EXPECT_EQ(encodeField("あいう", 5), "\x82\xa0\x82\xa2 ");
    EXPECT_EQ(encodeField("あいう", 6), "\x82\xa0\x82\xa2\x82\xa4");
    EXPECT_EQ(encodeField("aあ", 2), "a ");
    EXPECT_EQ(encodeField("ｱｲｳｴ", 3), "\xb1\xb2\xb3");
    EXPECT_EQ(encodeField("😀x", 2), "?x");
    EXPECT_EQ(encodeField("abcdef", 3), "abc");
    EXPECT_EQ(encodeField("あbc\xff" "d", 5), "\x82\xa0" "bc?");
    std::string record = "head";
    mk::cp932::appendField(record, "xyあ", 3);
    EXPECT_EQ(record, "headxy ");

    // A mixed text cut at every width: exact length, no broken character,
    // and always a whole start of the text.
    const std::string text = "aあｱ漢b字①髙~\\ｶﾅかな";
    for (std::size_t width = 0; width <= 30; ++width) {
        std::string field = encodeField(text, width);
        ASSERT_EQ(field.size(), width);
        std::string back = decode(field);
        EXPECT_EQ(back.find('?'), std::string::npos) << width;
        back.erase(back.find_last_not_of(' ') + 1);
        EXPECT_EQ(text.compare(0, back.size(), back), 0) << width;
    }
}

}  // namespace
