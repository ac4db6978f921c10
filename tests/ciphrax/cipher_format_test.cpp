// The cipher text format, stage by stage and as a whole, checked against
// hand-worked values and against an independent reader written in Python.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "ciphrax/cipher_control.h"
#include "tests/support/test_support.h"

namespace {

using ciphrax::CipherControl;

// A random source that hands out chosen draws: key bits first (top bit of
// each draw), then chunk lengths; when the queue is empty, a fixed LCG.
struct ScriptedRandom {
    std::deque<uint32_t> queue;
    uint32_t state = 12345;

    void keyBits(uint16_t key) {
        for (int bit = 15; bit >= 0; --bit) queue.push_back(((key >> bit) & 1) ? 0x80000000u : 0u);
    }
    // A draw that gives `length` (4..9) as a chunk length.
    void length(int length) {
        queue.push_back(uint32_t(((uint64_t(length - 4) << 32) + (1ull << 31)) / 6));
    }
    uint32_t operator()() {
        if (!queue.empty()) {
            uint32_t v = queue.front();
            queue.pop_front();
            return v;
        }
        state = state * 1103515245u + 12345u;
        return state;
    }
};

using mk::test::hexOf;

std::string unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Written from the description of the format alone, not from the library.
const char* const kPythonReader = R"(
import sys, re

ALPHABET = ('0123456789' + 'abcdefghijklmnopqrstuvwxyz' + 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'
            + ''.join(chr(c) for c in range(33, 127)
                      if c != 45 and not chr(c).isalnum()))
assert len(ALPHABET) == 93

def numeral(v):
    q, r = divmod(v, 93)
    if q >= 93:
        return numeral(q) + ALPHABET[r]
    return ALPHABET[q] + ALPHABET[r]

def code_of(ch):
    b = ch.encode('cp932', errors='replace')
    return b[0] if len(b) == 1 else b[0] * 256 + b[1]

def char_of(code):
    b = bytes([code]) if code < 256 else bytes([code >> 8, code & 255])
    return b.decode('cp932', errors='replace').replace('\ufffd', '?')

RUN = {'1': '1', '11': '2', '111': '3', '1111': '4',
       '0': '9', '00': '8', '000': '7', '0000': '6'}

def encipher(text, key, lengths):
    draws = iter(lengths)
    H = ''.join('%04X' % ((code_of(c) ^ key) & 0xFFFF) for c in text) + '%04X' % key
    B = ''.join(format(int(h, 16), '04b') for h in H)
    R = ''.join(RUN[run] for run in re.findall('1{1,4}|0{1,4}', B))
    L = next(draws)
    if len(R) <= L:
        return numeral(int(R))
    out, counter = '', len(R)
    while counter >= 1:
        piece = R[-L:] if len(R) >= L else R
        out = '-' + numeral(int(piece)) + out
        if len(R) > L:
            R = R[:-L]
        counter -= L
        previous = L
        L = next(draws, None)
        if L is None or L == previous:
            L = 4 if previous != 4 else 5
    return out[1:]

def decipher(ct):
    R = ''
    for piece in ct.split('-'):
        v = 0
        for i, c in enumerate(reversed(piece)):
            v += (ALPHABET.index(c) if c in ALPHABET else 0) * 93 ** i
        R += str(v)
    inverse = {d: run for run, d in RUN.items()}
    B = ''.join(inverse.get(c, '') for c in R)
    H = ''
    for i in range(0, len(B), 4):
        H += '%X' % int(B[i:i + 4].rjust(4, '0'), 2)
    K = int(H[-4:], 16)
    H = H[:-4]
    return ''.join(char_of(int(H[i:i + 4], 16) ^ K) for i in range(0, len(H), 4))

for line in open(sys.argv[1]):
    parts = line.split()
    if parts[0] == 'enc':
        text = bytes.fromhex(parts[1]).decode('utf-8')
        print(encipher(text, int(parts[2]), [int(x) for x in parts[3].split(',')]).encode().hex())
    else:
        print(decipher(bytes.fromhex(parts[1]).decode()).encode('utf-8').hex())
)";

std::vector<std::string> runReader(const std::vector<std::string>& requests) {
    mk::test::TempFolder folder;
    mk::test::writeFile(folder.path() + "reader.py", kPythonReader);
    std::string input;
    for (const auto& r : requests) input += r + "\n";
    mk::test::writeFile(folder.path() + "requests.txt", input);
    int exitCode = -1;
    std::string out = mk::test::runCommand(
        "python3 " + folder.path() + "reader.py " + folder.path() + "requests.txt", &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(unhex(line));
    return lines;
}

TEST(CipherFormat, WorkedExample) {
    const std::string bits = "11110000111000110010101000011111";
    EXPECT_EQ(ciphrax::detail::runTextOfBits(bits), "46372819191641");
    EXPECT_EQ(ciphrax::detail::chunkRunText("46372819191641", {5, 8, 5}), "04-=lpy-aTA");
    EXPECT_EQ(ciphrax::detail::bitTextOfCipher("04-=lpy-aTA"), bits);
}

TEST(CipherFormat, StagesByHand) {
    EXPECT_EQ(ciphrax::detail::base93Numeral(0), "00");
    EXPECT_EQ(ciphrax::detail::base93Numeral(1), "01");
    EXPECT_EQ(ciphrax::detail::base93Numeral(92), "0~");
    EXPECT_EQ(ciphrax::detail::base93Numeral(93), "10");
    EXPECT_EQ(ciphrax::detail::base93Numeral(4444), "L,");
    EXPECT_EQ(ciphrax::detail::base93Numeral(93 * 93), "100");
    // 999999999 = 13*93^4 + 34*93^3 + 21*93^2 + 28*93 + 15
    EXPECT_EQ(ciphrax::detail::base93Numeral(999999999), "dylsf");

    // Runs longer than four are cut from the left, the remainder last.
    EXPECT_EQ(ciphrax::detail::runTextOfBits("111111"), "42");
    EXPECT_EQ(ciphrax::detail::runTextOfBits("0000000001"), "6691");

    // A run text no longer than the first length is one numeral; chunks
    // of a longer one stand in run-text order, only the first one short.
    EXPECT_EQ(ciphrax::detail::chunkRunText("12", {4}), "0c");
    // 123456789 = 1*93^4 + 60*93^3 + 45*93^2 + 10*93 + 33; 1234 = 13*93 + 25
    EXPECT_EQ(ciphrax::detail::chunkRunText("123456789", {9}), "1YJax");
    EXPECT_EQ(ciphrax::detail::chunkRunText("1234", {4}), "dp");
    EXPECT_EQ(ciphrax::detail::chunkRunText("12341234", {4, 5}), "dp-dp");
    // An equal length drawn again is skipped, as the redraw does.
    EXPECT_EQ(ciphrax::detail::chunkRunText("123412341", {4, 4, 5}),
              ciphrax::detail::chunkRunText("123412341", {4, 5}));
}

TEST(CipherFormat, FixedKeyAndLengthsMatchTheIndependentReader) {
    struct Case {
        std::string text;
        uint16_t key;
        std::vector<int> lengths;
    };
    const std::vector<Case> cases = {
        {"A", 0x0000, {9, 4, 5}},
        {"password123", 0xBEEF, {4, 9, 5, 7, 6, 8, 4, 9, 5, 7, 6, 8, 4, 9, 5, 7, 6, 8, 4, 9, 5}},
        {"パスワード", 0x1234, {7, 5, 9, 4, 6, 8, 7, 5, 9, 4, 6, 8, 7, 5, 9, 4, 6, 8, 7, 5, 9, 4, 6}},
        {"ｶﾀｶﾅ\\~①", 0xFFFF, {6, 4, 8, 9, 5, 7, 6, 4, 8, 9, 5, 7, 6, 4, 8, 9, 5, 7, 6, 4, 8}},
    };
    std::vector<std::string> requests;
    std::vector<std::string> mine;
    for (const auto& c : cases) {
        ScriptedRandom random;
        random.keyBits(c.key);
        std::string lengths;
        for (int l : c.lengths) {
            random.length(l);
            lengths += (lengths.empty() ? "" : ",") + std::to_string(l);
        }
        CipherControl control;
        control.setRandomSource(std::ref(random));
        mine.push_back(control.toCipher(c.text));
        requests.push_back("enc " + hexOf(c.text) + " " + std::to_string(c.key) + " " + lengths);
    }
    const auto theirs = runReader(requests);
    ASSERT_EQ(theirs.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(mine[i], theirs[i]) << cases[i].text;

    // And a value fixed by hand, so that the reader itself is pinned down:
    // "A" XOR 0 = 0041, key 0000 -> 00000000010000010000000000000000
    // -> runs 6 6 9 1 6 9 1 6 6 6 6 -> "66916916666"; with 9 then 4 the
    // chunks are "916916666" (12,23,87,16,92 in base 93) and "66" (0,66).
    EXPECT_EQ(mine[0], ciphrax::detail::chunkRunText("66916916666", {9, 4}));
    EXPECT_EQ(mine[0], "0%-cn_g~");
}

TEST(CipherFormat, IndependentReaderDeciphersOurTexts) {
    const std::vector<std::string> texts = {
        "x", "Passw0rd!", "パスワード備忘録", "ｱｲｳｴｵﾊﾟ", "①髙﨑ⅰ≒", std::string(300, 'z'),
        "漢字とかなと\\~¥混在"};
    CipherControl control;
    std::vector<std::string> requests;
    for (const auto& t : texts) requests.push_back("dec " + hexOf(control.toCipher(t)));
    const auto theirs = runReader(requests);
    ASSERT_EQ(theirs.size(), texts.size());
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) EXPECT_EQ(theirs[i], texts[i]);
    EXPECT_EQ(theirs.back(), "漢字とかなと\\~\\混在");  // the yen sign is stored as 0x5C
}

}  // namespace
