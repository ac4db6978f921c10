// CipherControl as the program uses it: round trips, limits, the shape of
// the cipher text and failures that must end in a message, not a crash.
#include <gtest/gtest.h>

#include <random>

#include "ciphrax/cipher_control.h"

namespace {

using ciphrax::CipherControl;

struct Recorder {
    std::vector<std::string> descriptions;
    CipherControl::ErrorHandler handler() {
        return [this](const std::string& d) { descriptions.push_back(d); };
    }
};

// `count` characters taken in turn from `chars` (whole UTF-8 characters).
std::string cycle(const std::vector<std::string>& chars, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += chars[i % chars.size()];
    return out;
}

void expectWellFormed(const std::string& cipher) {
    ASSERT_FALSE(cipher.empty());
    EXPECT_NE(cipher.front(), '-');
    EXPECT_NE(cipher.back(), '-');
    EXPECT_EQ(cipher.find("--"), std::string::npos);
    std::size_t pieceLength = 0;
    for (char c : cipher) {
        ASSERT_GE(static_cast<unsigned char>(c), 33) << cipher;
        ASSERT_LE(static_cast<unsigned char>(c), 126) << cipher;
        if (c == '-') {
            EXPECT_GE(pieceLength, 2u) << cipher;
            pieceLength = 0;
        } else {
            ++pieceLength;
        }
    }
    EXPECT_GE(pieceLength, 2u) << cipher;
}

TEST(CipherControl, RoundTrips) {
    CipherControl control;
    Recorder recorder;
    control.setErrorHandler(recorder.handler());
    std::string ascii;
    for (int c = 32; c < 127; ++c) ascii.push_back(char(c));
    std::vector<std::string> texts = {
        "a", ascii, "パスワード備忘録　全角スペース", "ｱｲｳｴｵｶﾞｷﾞﾊﾟｰ｡｢｣", "①②Ⅰ㈱髙﨑ⅰ≒∵",
        std::string("nul\0inside", 10), cycle({"a", "あ", "ｱ", "漢", "①", "~"}, 2000)};
    std::mt19937 gen(7);
    const std::vector<std::string> pool = {"a", "Z", "9", "!", "~", "\\", "-", "*", "あ", "漢", "ｱ", "①", "　"};
    for (int i = 0; i < 200; ++i) texts.push_back(cycle({pool[gen() % 13], pool[gen() % 13]}, 1 + gen() % 30));
    for (const auto& text : texts) {
        const std::string cipher = control.toCipher(text);
        expectWellFormed(cipher);
        EXPECT_EQ(control.reCipher(cipher), text) << text.substr(0, 40);
    }
    EXPECT_TRUE(recorder.descriptions.empty());

    // Each call draws a new key and new lengths.
    const std::string a = control.toCipher("same text");
    const std::string b = control.toCipher("same text");
    EXPECT_NE(a, b);
    EXPECT_EQ(control.reCipher(a), control.reCipher(b));

    // Characters outside the code page come back as "?".
    EXPECT_EQ(control.reCipher(control.toCipher("a😀b¦")), "a?b?");
}

TEST(CipherControl, LengthLimitAndEmptyText) {
    CipherControl control;
    Recorder recorder;
    control.setErrorHandler(recorder.handler());
    EXPECT_EQ(control.toCipher(""), "");
    EXPECT_EQ(control.reCipher(""), "");
    EXPECT_FALSE(control.toCipher(cycle({"漢"}, 2000)).empty());
    EXPECT_EQ(control.toCipher(cycle({"漢"}, 2001)), "");
    EXPECT_EQ(control.toCipher(std::string(2001, 'a')), "");
    EXPECT_EQ(control.toCipher(std::string(100000, 'a')), "");
    EXPECT_TRUE(recorder.descriptions.empty());  // silently empty
}

TEST(CipherControl, OneCharacterWithoutSeparator) {
    // Find a key whose run text for "a" fits into one chunk of 9, then draw
    // exactly that key and length 9: the cipher text is a single numeral.
    auto bits16 = [](uint16_t v) {
        std::string s;
        for (int b = 15; b >= 0; --b) s.push_back(((v >> b) & 1) ? '1' : '0');
        return s;
    };
    int key = -1;
    for (int k = 0; k < 65536 && key < 0; ++k)
        if (ciphrax::detail::runTextOfBits(bits16(uint16_t(0x61 ^ k)) + bits16(uint16_t(k))).size() <= 9) key = k;
    ASSERT_GE(key, 0);

    std::vector<uint32_t> draws;
    for (int b = 15; b >= 0; --b) draws.push_back(((key >> b) & 1) ? 0x80000000u : 0u);
    draws.push_back(0xFFFFFFFFu);  // chunk length 9
    std::size_t next = 0;
    CipherControl control;
    control.setRandomSource([&] { return next < draws.size() ? draws[next++] : 0u; });
    const std::string cipher = control.toCipher("a");
    EXPECT_EQ(cipher.find('-'), std::string::npos) << cipher;
    EXPECT_EQ(control.reCipher(cipher), "a");
}

TEST(CipherControl, StuckRandomSourceStillEnds) {
    // The chunk length is drawn again until it differs; a source that always
    // gives the same value must not hang the cipher.
    for (uint32_t stuck : {0u, 0xFFFFFFFFu}) {
        CipherControl control;
        control.setRandomSource([stuck] { return stuck; });
        const std::string text = cycle({"パ", "ス", "a"}, 200);
        const std::string cipher = control.toCipher(text);
        expectWellFormed(cipher);
        EXPECT_EQ(control.reCipher(cipher), text);
    }
}

TEST(CipherControl, MalformedCipherTextsReportAndReturn) {
    CipherControl control;
    Recorder recorder;
    control.setErrorHandler(recorder.handler());

    // Empty pieces: the key at the end is never reached, nothing decoded.
    for (const char* bad : {"a--b", "-ab", "ab-", "-"}) {
        recorder.descriptions.clear();
        EXPECT_EQ(control.reCipher(bad), "") << bad;
        ASSERT_EQ(recorder.descriptions.size(), 1u) << bad;
        EXPECT_FALSE(recorder.descriptions[0].empty());
    }
    // A piece too large to count, and a text too short to hold a key.
    for (const char* bad : {"~~~~~~~~~~~~~~~", "01"}) {
        recorder.descriptions.clear();
        EXPECT_EQ(control.reCipher(bad), "") << bad;
        EXPECT_EQ(recorder.descriptions.size(), 1u) << bad;
    }
    // Text the cipher did not write but that parses decodes to something
    // without a message: foreign characters count as 0, zeros are skipped.
    recorder.descriptions.clear();
    const std::string good = control.toCipher("abc");
    EXPECT_EQ(control.reCipher(good), "abc");
    EXPECT_FALSE(control.reCipher("\x01\xff" "zz-" + good).empty());
    EXPECT_TRUE(recorder.descriptions.empty());
    // All zeros leave no bits at all, so no key: reported.
    EXPECT_EQ(control.reCipher("0000-0000-0000"), "");
    EXPECT_EQ(recorder.descriptions.size(), 1u);

    // A handler that throws, or none at all: still nothing escapes.
    control.setErrorHandler([](const std::string&) { throw std::runtime_error("boom"); });
    EXPECT_NO_THROW(control.reCipher("a--b"));
    control.setErrorHandler(nullptr);
    EXPECT_NO_THROW(control.reCipher("a--b"));
}

TEST(CipherControl, FailingRandomSourceReportsAndGivesEmpty) {
    CipherControl control;
    Recorder recorder;
    control.setErrorHandler(recorder.handler());
    control.setRandomSource([]() -> uint32_t { throw std::runtime_error("no entropy"); });
    EXPECT_EQ(control.toCipher("abc"), "");
    ASSERT_EQ(recorder.descriptions.size(), 1u);
    EXPECT_EQ(recorder.descriptions[0], "no entropy");
}

}  // namespace
