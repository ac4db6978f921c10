#include "cipher_format.h"

#include <algorithm>
#include <array>
#include <limits>

namespace ciphrax::format {

const char* const kInvalidCall = "プロシージャの呼び出し、または引数が不正です。";
const char* const kOverflow = "オーバーフローしました。";
const char* const kOutOfMemory = "メモリが不足しています。";

char digitOf(unsigned value) {
    // The 93 printable characters from "!" to "~" without "-", the chunk
    // separator, in the order digits, lower case, upper case, then signs.
    if (value <= 9) return static_cast<char>(value + 48);
    if (value <= 35) return static_cast<char>(value + 87);
    if (value <= 61) return static_cast<char>(value + 29);
    if (value <= 73) return static_cast<char>(value - 29);
    if (value <= 75) return static_cast<char>(value - 28);
    if (value <= 82) return static_cast<char>(value - 18);
    if (value <= 88) return static_cast<char>(value + 8);
    if (value <= 92) return static_cast<char>(value + 34);
    throw CipherError(kInvalidCall);
}

unsigned valueOf(char digit) {
    const int c = static_cast<unsigned char>(digit);
    if (c >= 48 && c <= 57) return static_cast<unsigned>(c - 48);
    if (c >= 97 && c <= 122) return static_cast<unsigned>(c - 87);
    if (c >= 65 && c <= 90) return static_cast<unsigned>(c - 29);
    if (c >= 33 && c <= 44) return static_cast<unsigned>(c + 29);
    if (c >= 46 && c <= 47) return static_cast<unsigned>(c + 28);
    if (c >= 58 && c <= 64) return static_cast<unsigned>(c + 18);
    if (c >= 91 && c <= 96) return static_cast<unsigned>(c - 8);
    if (c >= 123 && c <= 126) return static_cast<unsigned>(c - 34);
    return 0;  // "-" and anything outside the alphabet
}

std::string numeral(uint64_t value) {
    std::string digits;  // least significant first, turned round at the end
    do {
        digits.push_back(digitOf(static_cast<unsigned>(value % 93)));
        value /= 93;
    } while (value > 0);
    if (digits.size() < 2) digits.push_back('0');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string bitText(const std::vector<uint16_t>& codes, uint16_t key) {
    // Four upper-case hex digits per value, each digit as four bits, is
    // simply the value's sixteen bits, most significant first.
    std::string bits;
    bits.reserve((codes.size() + 1) * 16);
    auto append = [&bits](uint16_t v) {
        for (int bit = 15; bit >= 0; --bit) bits.push_back(((v >> bit) & 1) ? '1' : '0');
    };
    for (uint16_t code : codes) append(static_cast<uint16_t>(code ^ key));
    append(key);
    return bits;
}

std::string runText(std::string_view bits) {
    std::string run;
    run.reserve(bits.size() / 2 + 1);
    std::size_t i = 0;
    while (i < bits.size()) {
        const char bit = bits[i];
        std::size_t length = 1;
        while (length < 4 && i + length < bits.size() && bits[i + length] == bit) ++length;
        run.push_back(bit == '1' ? static_cast<char>('0' + length)
                                 : static_cast<char>('0' + 10 - length));
        i += length;
    }
    return run;
}

namespace {

uint64_t decimalValue(std::string_view digits) {
    uint64_t value = 0;
    for (char c : digits) {
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - d) / 10) throw CipherError(kOverflow);
        value = value * 10 + d;
    }
    return value;
}

}  // namespace

std::string chunk(std::string_view run, const std::function<int(int previous)>& nextLength) {
    auto draw = [&nextLength](int previous) {
        const int length = nextLength(previous);
        if (length < 1) throw CipherError(kInvalidCall);
        return static_cast<std::size_t>(length);
    };
    std::size_t length = draw(0);
    if (run.size() <= length) return numeral(decimalValue(run));

    // Chunks are cut from the right end, each with a freshly drawn length,
    // and joined afterwards in the order of the run text (putting each in
    // front of the text so far would move the whole text once per chunk).
    // Only the leftmost chunk can be short.
    std::vector<std::string> numerals;
    numerals.reserve(run.size() / 4 + 1);
    std::size_t total = 0;
    std::size_t remaining = run.size();
    while (remaining >= 1) {
        const std::size_t take = std::min(length, remaining);
        numerals.push_back(numeral(decimalValue(run.substr(remaining - take, take))));
        total += numerals.back().size() + 1;
        remaining -= take;
        length = draw(static_cast<int>(length));
    }
    std::string out;
    out.reserve(total);
    for (auto it = numerals.rbegin(); it != numerals.rend(); ++it) {
        if (it != numerals.rbegin()) out += '-';
        out += *it;
    }
    return out;
}

namespace {

// Each "-"-separated piece's base-93 value, from the left. An empty piece is
// error 5, a value past 64 bits error 6, both before the piece is handed on.
template <class Each>
void forEachPieceValue(std::string_view cipherText, Each&& each) {
    static const std::array<uint8_t, 256> values = [] {
        std::array<uint8_t, 256> table{};
        for (int c = 0; c < 256; ++c) table[std::size_t(c)] = static_cast<uint8_t>(valueOf(static_cast<char>(c)));
        return table;
    }();
    // A piece of up to nine digits cannot pass 64 bits (93^9 < 2^63); a
    // longer one is read again, digit by digit with a check.
    const char* p = cipherText.data();
    const char* const end = p + cipherText.size();
    for (;;) {
        const char* const start = p;
        uint64_t value = 0;
        for (; p != end && *p != '-'; ++p) value = value * 93 + values[static_cast<unsigned char>(*p)];
        if (p == start) throw CipherError(kInvalidCall);
        if (p - start > 9) {
            value = 0;
            for (const char* q = start; q != p; ++q)
                if (__builtin_mul_overflow(value, uint64_t(93), &value) ||
                    __builtin_add_overflow(value, uint64_t(values[static_cast<unsigned char>(*q)]), &value))
                    throw CipherError(kOverflow);
        }
        each(value);
        if (p == end) return;
        ++p;  // past the "-"
    }
}

}  // namespace

std::string runTextOfCipher(std::string_view cipherText) {
    std::string run;
    forEachPieceValue(cipherText, [&run](uint64_t value) { run += std::to_string(value); });
    return run;
}

std::string bitsOfRunText(std::string_view run) {
    std::string bits;
    bits.reserve(run.size() * 2);
    for (char c : run) {
        if (c >= '1' && c <= '4') {
            bits.append(static_cast<std::size_t>(c - '0'), '1');
        } else if (c >= '6' && c <= '9') {
            bits.append(static_cast<std::size_t>(10 - (c - '0')), '0');
        }
        // "0", "5" and anything else stand for no run.
    }
    return bits;
}

namespace {

// The bits that four decimal run digits stand for, most significant digit
// first: "1".."4" that many ones, "6".."9" ten less that many zeros, "0" and
// "5" nothing. A value's digits are read four at a time through this table;
// the zeros in front of a short group add no bits, so every group can be
// looked up as four digits.
struct RunBits {
    uint16_t bits;
    uint8_t length;
};

const std::array<RunBits, 10000>& runBitsTable() {
    static const std::array<RunBits, 10000> table = [] {
        std::array<RunBits, 10000> t{};
        for (unsigned v = 0; v < 10000; ++v) {
            unsigned bits = 0, length = 0;
            for (unsigned scale = 1000; scale > 0; scale /= 10) {
                const unsigned d = v / scale % 10;
                if (d >= 1 && d <= 4) {
                    bits = bits << d | ((1u << d) - 1);
                    length += d;
                } else if (d >= 6) {
                    bits <<= 10 - d;
                    length += 10 - d;
                }
            }
            t[v] = {static_cast<uint16_t>(bits), static_cast<uint8_t>(length)};
        }
        return t;
    }();
    return table;
}

}  // namespace

void codesOfCipher(std::string_view cipherText, std::vector<uint16_t>& codes) {
    codes.clear();
    // Every sixteen bits are one group of four hex digits; they go into
    // `codes` as they come, and the end below takes the key back out. A
    // cipher character stands for about two run digits, a digit for two bits
    // on average.
    codes.reserve(cipherText.size() / 4 + 2);
    const std::array<RunBits, 10000>& table = runBitsTable();
    uint64_t pending = 0;  // fewer than sixteen bits not yet in a group
    int pendingCount = 0;
    // Up to 36 more bits at the end of the pending ones.
    auto emit = [&](uint64_t bits, int length) {
        pending = pending << length | bits;
        pendingCount += length;
        while (pendingCount >= 16) {
            pendingCount -= 16;
            codes.push_back(static_cast<uint16_t>(pending >> pendingCount));
        }
        pending &= (uint64_t(1) << pendingCount) - 1;
    };

    forEachPieceValue(cipherText, [&](uint64_t value) {
        // A piece the cipher wrote has at most nine decimal digits: its
        // three groups (the first of one digit) in one step.
        if (value < 1000000000) {
            const uint32_t v = static_cast<uint32_t>(value);
            const uint32_t rest = v % 100000000;
            const RunBits top = table[v / 100000000], high = table[rest / 10000],
                          low = table[rest % 10000];
            emit((uint64_t(top.bits) << (high.length + low.length)) |
                     (uint64_t(high.bits) << low.length) | low.bits,
                 top.length + high.length + low.length);
            return;
        }
        // The value's decimal digits four at a time, most significant first.
        uint16_t groups[5];
        int count = 0;
        do {
            groups[count++] = static_cast<uint16_t>(value % 10000);
            value /= 10000;
        } while (value > 0);
        while (count > 0) {
            const RunBits run = table[groups[--count]];
            emit(run.bits, run.length);
        }
    });

    // The hex digits after the last whole group: the whole ones, then a
    // short last one counting by the value of the bits it has.
    uint8_t tail[8];
    int tailCount = 0;
    for (int left = pendingCount; left >= 4; left -= 4)
        tail[tailCount++] = static_cast<uint8_t>(pending >> (left - 4) & 0xF);
    if (pendingCount % 4) tail[tailCount++] = static_cast<uint8_t>(pending & ((1u << (pendingCount % 4)) - 1));
    // The key is the last four hex digits: the last group gives back what
    // the tail lacks of them.
    if (tailCount < 4) {
        if (codes.empty()) throw CipherError(kInvalidCall);  // not even a key
        const uint16_t last = codes.back();
        codes.pop_back();
        std::copy_backward(tail, tail + tailCount, tail + tailCount + 4);
        for (int i = 0; i < 4; ++i) tail[i] = static_cast<uint8_t>(last >> (12 - 4 * i) & 0xF);
        tailCount += 4;
    }
    const int shortCount = tailCount - 4;  // the digits of a short last group, 0..3
    uint16_t key = 0;
    for (int i = shortCount; i < tailCount; ++i) key = static_cast<uint16_t>(key * 16 + tail[i]);
    for (uint16_t& code : codes) code = static_cast<uint16_t>(code ^ key);
    if (shortCount > 0) {
        uint16_t v = 0;
        for (int i = 0; i < shortCount; ++i) v = static_cast<uint16_t>(v * 16 + tail[i]);
        codes.push_back(static_cast<uint16_t>(v ^ key));
    }
}

}  // namespace ciphrax::format
