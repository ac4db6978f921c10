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
    std::size_t start = 0;
    while (true) {
        const std::size_t dash = cipherText.find('-', start);
        const std::string_view piece =
            cipherText.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start);
        if (piece.empty()) throw CipherError(kInvalidCall);
        uint64_t value = 0;
        for (char c : piece) {
            // value * 93 + digit must stay within 64 bits.
            if (__builtin_mul_overflow(value, uint64_t(93), &value) ||
                __builtin_add_overflow(value, uint64_t(values[static_cast<unsigned char>(c)]), &value))
                throw CipherError(kOverflow);
        }
        each(value);
        if (dash == std::string_view::npos) break;
        start = dash + 1;
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

void codesOfCipher(std::string_view cipherText, std::vector<uint16_t>& codes) {
    codes.clear();
    // A cipher character stands for about two decimal digits, a digit for
    // at most four bits: one hex digit.
    std::vector<uint8_t> hex;
    hex.reserve(cipherText.size() * 2 + 8);
    unsigned pending = 0;  // bits not yet making a whole hex digit
    int pendingCount = 0;
    auto addRun = [&](int length, bool ones) {
        pending = (pending << length) | (ones ? (1u << length) - 1 : 0u);
        pendingCount += length;
        if (pendingCount >= 4) {  // a run is at most four bits long: one digit at most
            pendingCount -= 4;
            hex.push_back(static_cast<uint8_t>((pending >> pendingCount) & 0xF));
            pending &= (1u << pendingCount) - 1;
        }
    };

    forEachPieceValue(cipherText, [&addRun](uint64_t value) {
        // The value's decimal digits, most significant first, are run digits.
        char digits[20];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (count > 0) {
            const char c = digits[--count];
            if (c >= '1' && c <= '4')
                addRun(c - '0', true);
            else if (c >= '6' && c <= '9')
                addRun(10 - (c - '0'), false);
        }
    });
    // A short last group counts by the value of the bits it has.
    if (pendingCount > 0) hex.push_back(static_cast<uint8_t>(pending));
    if (hex.size() < 4) throw CipherError(kInvalidCall);  // not even a key

    const std::size_t count = hex.size() - 4;
    uint16_t key = 0;
    for (std::size_t i = count; i < hex.size(); ++i) key = static_cast<uint16_t>(key * 16 + hex[i]);
    codes.reserve(count / 4 + 1);
    for (std::size_t i = 0; i < count; i += 4) {
        uint16_t v = 0;
        for (std::size_t j = i; j < std::min(i + 4, count); ++j) v = static_cast<uint16_t>(v * 16 + hex[j]);
        codes.push_back(static_cast<uint16_t>(v ^ key));
    }
}

}  // namespace ciphrax::format
