// Password generation over many draws of the system's random source: the
// rules every password keeps, the spread of its characters over the pool,
// the strength thresholds, the length box's reading and the date check.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <string>

#include "core/generator/password.h"
#include "core/generator/site_form.h"

namespace {

using mk::PasswordClass;
using mk::Strength;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The words a test hands the draw, in order.
struct ScriptedRandom : mk::RandomSource {
    std::deque<uint64_t> words;
    uint64_t next() override {
        if (words.empty()) throw std::runtime_error("script ran out");
        const uint64_t w = words.front();
        words.pop_front();
        return w;
    }
};

struct ClassCase {
    int passwordClass;
    std::string allowed;  // every character the class may use
    int digitWeight;      // how often the digit run is in the pool
};

const ClassCase kClasses[] = {
    {mk::DigitsOnly, "0123456789", 1},
    {mk::DigitsLower, "0123456789abcdefghjkmnpqrstuvwxyz", 2},
    {mk::DigitsUpper, "0123456789ABCDEFGHJKMNPQRSTUVWXYZ", 2},
    {mk::DigitsLowerUpper, "0123456789ABCDEFGHJKMNPQRSTUVWXYZabcdefghjkmnpqrstuvwxyz", 3},
};

TEST(Generator, EveryPasswordKeepsTheRulesAndTheSpreadFollowsThePool) {
    constexpr int kPasswords = 3000;
    for (const ClassCase& cc : kClasses) {
        for (int length : {4, 5, 20}) {
            SCOPED_TRACE("class " + std::to_string(cc.passwordClass) + " length " +
                         std::to_string(length));
            std::map<char, int> counts;  // positions after the first
            int drawn = 0;
            for (int n = 0; n < kPasswords; ++n) {
                const std::string p =
                    mk::GeneratePassword(length, cc.passwordClass, mk::systemRandom());
                ASSERT_EQ(int(p.size()), length);
                ASSERT_EQ(p.find_first_not_of(cc.allowed), std::string::npos) << p;
                ASSERT_EQ(p.find_first_of("iloILO"), std::string::npos) << p;
                ASSERT_NE(p[0], '0') << p;
                int digits = 0, nonZeroDigits = 0, lower = 0, upper = 0;
                for (char c : p) {
                    digits += isDigit(c);
                    nonZeroDigits += c >= '1' && c <= '9';
                    lower += isLower(c);
                    upper += isUpper(c);
                }
                if (cc.passwordClass == mk::DigitsLower || cc.passwordClass == mk::DigitsUpper) {
                    ASSERT_GT(digits, 0) << p;
                    ASSERT_LT(digits, length) << p;
                }
                if (cc.passwordClass == mk::DigitsLowerUpper) {
                    ASSERT_GT(nonZeroDigits, 0) << p;
                    ASSERT_GT(lower, 0) << p;
                    ASSERT_GT(upper, 0) << p;
                }
                for (int i = 1; i < length; ++i) ++counts[p[i]];
                drawn += length - 1;
            }
            // The acceptance rules bend the spread of short passwords of the
            // mixed classes; class 1 and length 20 draw as the pool says.
            if (cc.passwordClass != mk::DigitsOnly && length != 20) continue;
            const int letters = int(cc.allowed.size()) - 10;
            const double poolSize = 10.0 * cc.digitWeight + letters;
            double chi2 = 0;
            for (char c : cc.allowed) {
                const double expected = drawn * (isDigit(c) ? cc.digitWeight : 1) / poolSize;
                const double d = counts[c] - expected;
                chi2 += d * d / expected;
            }
            // Mean df, spread about sqrt(2 df): a bound this loose fails a
            // sound draw practically never and any skewed pool by far.
            const double df = double(cc.allowed.size()) - 1;
            EXPECT_LT(chi2, 2 * df + 40) << "chi-square " << chi2;
        }
    }
}

TEST(Generator, LeadingZeroBiasedWordsAndTheClassPools) {
    // Class 1: "0123" drawn, the leading 0 replaced by the ninth draw's 1..8.
    ScriptedRandom r;
    r.words = {0, 1, 2, 3, 7};
    EXPECT_EQ(mk::GeneratePassword(4, mk::DigitsOnly, r), "8123");

    // A word in the top range that would favour low numbers is drawn again.
    r.words = {UINT64_MAX, 5};
    EXPECT_EQ(mk::UniformBelow(r, 10), 5u);
    EXPECT_TRUE(r.words.empty());

    // Class 4: a candidate whose only digit is 0 is drawn again; in class 2
    // it passes. Pool 4 is 0-9, A-Z, 0-9, a-z, 0-9 (A at 10, a at 43).
    r.words = {10, 43, 44, 0, /* "Aab0": rejected */ 10, 43, 1, 44 /* "Aa1b" */};
    EXPECT_EQ(mk::GeneratePassword(4, mk::DigitsLowerUpper, r), "Aa1b");
    r.words = {10, 11, 0, 12};  // pool 2: a at 10
    EXPECT_EQ(mk::GeneratePassword(4, mk::DigitsLower, r), "ab0c");

    EXPECT_EQ(mk::CharacterPool(1).size(), 10u);
    EXPECT_EQ(mk::CharacterPool(2).size(), 43u);
    EXPECT_EQ(mk::CharacterPool(3).size(), 43u);
    EXPECT_EQ(mk::CharacterPool(4).size(), 76u);
}

TEST(Generator, StrengthThresholds) {
    struct Case {
        int passwordClass;
        double length;
        Strength expected;
    };
    const Case cases[] = {
        {1, 4, Strength::Weak},    {1, 9, Strength::Weak},    {1, 9.5, Strength::Medium},
        {1, 10, Strength::Medium}, {1, 11, Strength::Medium}, {1, 12, Strength::Strong},
        {1, 20, Strength::Strong}, {2, 8, Strength::Weak},    {2, 9, Strength::Medium},
        {2, 10, Strength::Medium}, {2, 11, Strength::Strong}, {3, 8, Strength::Weak},
        {3, 9, Strength::Medium},  {3, 10, Strength::Medium}, {3, 11, Strength::Strong},
        {4, 4, Strength::Weak},    {4, 7, Strength::Weak},    {4, 8, Strength::Medium},
        {4, 9, Strength::Medium},  {4, 10, Strength::Strong}, {4, 20, Strength::Strong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mk::PasswordStrength(c.length, c.passwordClass), c.expected)
            << "class " << c.passwordClass << " length " << c.length;
    EXPECT_STREQ(mk::StrengthCaption(Strength::Weak), "弱");
    EXPECT_STREQ(mk::StrengthCaption(Strength::Medium), "中");
    EXPECT_STREQ(mk::StrengthCaption(Strength::Strong), "強");
}

TEST(Generator, LengthBoxReadingAndSteps) {
    struct Case {
        const char* text;
        double value;
        bool valid;
        int length;
    };
    const Case cases[] = {
        {"3", 3, false, 0},       {"21", 21, false, 0},          {"", 0, false, 0},
        {"abc", 0, false, 0},     {"12abc", 12, true, 12},       {"4.5", 4.5, true, 4},
        {"5.5", 5.5, true, 6},    {"19.5", 19.5, true, 20},      {"3.9", 3.9, false, 0},
        {"20.4", 20.4, false, 0}, {"  7", 7, true, 7},           {"1e1", 10, true, 10},
        {"4", 4, true, 4},        {"20", 20, true, 20},          {"-5", -5, false, 0},
        {"１２", 0, false, 0},    {"1e999", HUGE_VAL, false, 0}, {".", 0, false, 0},
    };
    for (const Case& c : cases) {
        const mk::PasswordLength l = mk::ReadPasswordLength(c.text);
        EXPECT_EQ(l.value, c.value) << c.text;
        EXPECT_EQ(l.valid, c.valid) << c.text;
        EXPECT_EQ(l.length, c.length) << c.text;
    }

    struct Step {
        const char* text;
        int step;
        const char* expected;
    };
    const Step steps[] = {
        {"20", 1, "20"}, {"19", 1, "20"},    {"4", -1, "4"},    {"5", -1, "4"},
        {"", 1, "1"},    {"abc", -1, "0"},   {"25", 1, "25"},   {"25", -1, "24"},
        {"3", -1, "3"},  {"12abc", 1, "13"}, {"4.5", 1, "5.5"}, {" 10", -1, "9"},
    };
    for (const Step& s : steps)
        EXPECT_EQ(mk::StepPasswordLength(s.text, s.step), s.expected) << s.text << " " << s.step;
}

TEST(Generator, DateCheckAndTheRowsHandedOver) {
    const std::pair<const char*, bool> dates[] = {
        {"2026/12/08", true},
        {"2026/13/01", false},
        {"2024/2/29", true},
        {"2023/2/29", false},
        {"2026-1-5", true},
        {"2026年1月5日", true},
        {"２０２６／１２／０８", true},
        {"12/8", true},
        {"2026/12/8/1", false},
        {"2026/1-5", false},
        {"words", false},
        {"", false},
        {"2026/04/31", false},
        {" 2026/4/30 ", true},
    };
    for (const auto& [text, expected] : dates) EXPECT_EQ(mk::IsDateText(text), expected) << text;

    const std::vector<std::string> names = {"サイト", "URL", "ID", "", "", "", "日付", "備考"};
    const std::vector<std::string> values = {"Shop", "", "me", "", "", "", "not a date", ""};
    const std::vector<mk::EntryRowText> rows = mk::SiteEntryRows(names, values, "");
    const std::vector<mk::EntryRowText> expected = {
        {"サイト", "Shop"}, {"ID", "me"}, {"日付", "not a date"}, {"パスワード", ""}};
    EXPECT_EQ(rows, expected);
}

}  // namespace
