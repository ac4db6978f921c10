#include "core/store/text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>

#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

TEST(CleanField, BlanksFromTheFirstNulAndTrimsHalfWidthSpacesOnly) {
    std::string field = std::string("  abc\0def  ", 11);
    EXPECT_EQ(CleanField(field), "abc");
    EXPECT_EQ(field, "abc");  // the caller's variable is cleaned too

    std::string allNul(50, '\0');
    EXPECT_EQ(CleanField(allNul), "");

    std::string fullWidth = "　表題　 ";
    EXPECT_EQ(CleanField(fullWidth), "　表題　");
    EXPECT_EQ(CleanField(std::string(" <削除< ")), "<削除<");
}

TEST(StripLineBreaks, RemovesLfCrAndUnitSeparator) {
    EXPECT_EQ(StripLineBreaks("a\r\nb\x1f" "c\td"), "abc\td");
}

TEST(CompareKey, UpperCasesAndNarrowsLatinDigitsAndSigns) {
    EXPECT_EQ(CompareKey("abc Ａｂｃ　１２３！＠～"), "ABC ABC 123!@~");
    EXPECT_EQ(CompareKey("ｇｍａｉｌ．ｃｏｍ"), CompareKey("Gmail.COM"));
    EXPECT_EQ(CompareKey("über"), "ÜBER");
    // Yen sign and backslash are one byte on a Japanese system.
    EXPECT_EQ(CompareKey("￥＼\\"), "\\\\\\");
}

TEST(CompareKey, NarrowsKatakanaWithVoicedMarksAndPunctuation) {
    EXPECT_EQ(CompareKey("ガパヴ"), "ｶﾞﾊﾟｳﾞ");
    EXPECT_EQ(CompareKey("アイウエオンッャ"), "ｱｲｳｴｵﾝｯｬ");
    EXPECT_EQ(CompareKey("ー・「」。、"), "ｰ･｢｣｡､");
    EXPECT_EQ(CompareKey("パスワード"), "ﾊﾟｽﾜｰﾄﾞ");
    // Half-width katakana are already in their compared form.
    EXPECT_EQ(CompareKey("ﾊﾟｽﾜｰﾄﾞ"), "ﾊﾟｽﾜｰﾄﾞ");
}

TEST(CompareKey, NarrowsTheSignsThatStandInForQuotesAndTilde) {
    EXPECT_EQ(CompareKey("’”￣"), "'\"~");
    EXPECT_EQ(CompareKey("O’Neil"), CompareKey("o'neil"));
}

// ヰ is no イ and ヶ no ケ: katakana without a half-width form stay, while
// the ones that have one (ヷ, ヺ as ﾜﾞ, ｦﾞ) still narrow.
TEST(CompareKey, KeepsKatakanaThatHaveNoHalfWidthForm) {
    for (const char* kana : {"ヮ", "ヰ", "ヱ", "ヵ", "ヶ", "ヸ", "ヹ"})
        EXPECT_EQ(CompareKey(kana), kana);
    EXPECT_EQ(CompareKey("ヷヺワヲ"), "ﾜﾞｦﾞﾜｦ");
}

// What a typed text becomes once stored: CP932 reads some characters back
// as others, and characters it lacks as "?".
TEST(AsStored, GivesBackWhatTheDataFilesWouldHold) {
    EXPECT_EQ(AsStored("9時〜5時 −‖¢£¬"), "9時～5時 －∥￠￡￢");
    EXPECT_EQ(AsStored("Aあ漢ｶ"), "Aあ漢ｶ");
    EXPECT_EQ(AsStored("😀"), "?");
}

TEST(CompareKey, LeavesHiraganaKanjiAndInvalidBytesAlone) {
    EXPECT_EQ(CompareKey("あいう漢字"), "あいう漢字");
    const std::string invalid("a\xff\xe3\x81", 4);
    EXPECT_EQ(CompareKey(invalid), std::string("A\xff\xe3\x81", 4));
}

TEST(Paths, EnsureTrailingBackslashAppendsOnlyWhenMissing) {
    std::string a = "/tmp/x";
    EXPECT_EQ(EnsureTrailingBackslash(a), "/tmp/x/");
    EXPECT_EQ(a, "/tmp/x/");
    std::string b = "/tmp/x/";
    EXPECT_EQ(EnsureTrailingBackslash(b), "/tmp/x/");
}

TEST(Paths, MakeFolderPathCreatesEveryLevelPrivatelyAndIgnoresFailures) {
    test::TempFolder temp;
    std::string path = temp.path() + "a/b/c";
    MakeFolderPath(path);
    EXPECT_EQ(path, temp.path() + "a/b/c/");
    ASSERT_TRUE(fs::isDirectory(temp.path() + "a/b/c"));
    struct stat st;
    ASSERT_EQ(::stat((temp.path() + "a/b").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Existing levels and a level blocked by a plain file are passed over.
    MakeFolderPath(path);
    test::writeFile(temp.path() + "file", "x");
    std::string blocked = temp.path() + "file/sub/";
    EXPECT_NO_THROW(MakeFolderPath(blocked));
    EXPECT_FALSE(fs::exists(blocked));
}

TEST(Characters, CountAndCutByCodePoints) {
    EXPECT_EQ(CharCount("aあ漢ｶﾞ"), 5u);
    EXPECT_EQ(LeftChars("aあ漢ｶﾞ", 3), "aあ漢");
    EXPECT_EQ(LeftChars("ab", 42), "ab");
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("　a　"), "　a　");
}

TEST(Characters, LeadingNumberReadsLikeVal) {
    EXPECT_EQ(LeadingNumber("  12abc"), 12);
    EXPECT_EQ(LeadingNumber("-3"), -3);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("99999999999999999999999"), LONG_MAX);
}

}  // namespace
}  // namespace mk
