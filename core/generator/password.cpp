#include "core/generator/password.h"

#include <sys/random.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/base/errors.h"

namespace mk {

uint64_t UniformBelow(RandomSource& random, uint64_t n) {
    if (n <= 1) return 0;
    // The largest multiple of n that fits: words at or above it would make
    // the low numbers more likely, so they are drawn again.
    const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    for (;;) {
        const uint64_t word = random.next();
        if (word < limit) return word % n;
    }
}

uint64_t SystemRandom::next() {
    if (left_ == 0) {
        auto* bytes = reinterpret_cast<unsigned char*>(buffer_);
        std::size_t filled = 0;
        while (filled < sizeof buffer_) {
            const ssize_t got = getrandom(bytes + filled, sizeof buffer_ - filled, 0);
            if (got < 0) {
                if (errno == EINTR) continue;
                throw RuntimeError(ErrIllegalCall, "乱数を取得できません。");
            }
            filled += std::size_t(got);
        }
        left_ = int(sizeof buffer_ / sizeof buffer_[0]);
    }
    const uint64_t word = buffer_[--left_];
    buffer_[left_] = 0;  // drawn words do not stay in memory
    return word;
}

RandomSource& systemRandom() {
    static SystemRandom random;
    return random;
}

namespace {

void appendDigits(std::string& pool) {
    for (char c = '0'; c <= '9'; ++c) pool += c;
}
// Letters that are easily mistaken for digits (i l o, I L O) are left out.
void appendLetters(std::string& pool, char first) {
    for (char c = first; c < first + 26; ++c) {
        const char lower = char(c | 0x20);
        if (lower == 'i' || lower == 'l' || lower == 'o') continue;
        pool += c;
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string CharacterPool(int passwordClass) {
    std::string pool;
    switch (passwordClass) {
        case DigitsOnly:
            appendDigits(pool);
            break;
        case DigitsLower:
            appendDigits(pool);
            appendLetters(pool, 'a');
            appendDigits(pool);
            break;
        case DigitsUpper:
            appendDigits(pool);
            appendLetters(pool, 'A');
            appendDigits(pool);
            break;
        case DigitsLowerUpper:
            appendDigits(pool);
            appendLetters(pool, 'A');
            appendDigits(pool);
            appendLetters(pool, 'a');
            appendDigits(pool);
            break;
        default:
            break;
    }
    return pool;
}

bool AcceptablePassword(std::string_view s, int passwordClass) {
    switch (passwordClass) {
        case DigitsLower:
        case DigitsUpper: {
            std::size_t digits = 0;
            for (char c : s) digits += isDigit(c);
            return digits != 0 && digits != s.size();
        }
        case DigitsLowerUpper: {
            // A 0 alone does not count as the digit: it reads too much like O.
            std::size_t digits = 0, others = 0;
            bool lower = false, upper = false;
            for (char c : s) {
                if (c >= '1' && c <= '9')
                    ++digits;
                else
                    ++others;
                lower |= c >= 'a' && c <= 'z';
                upper |= c >= 'A' && c <= 'Z';
            }
            return digits != 0 && others != 0 && lower && upper;
        }
        default:
            return true;
    }
}

std::string GeneratePassword(int length, int passwordClass, RandomSource& random) {
    const std::string pool = CharacterPool(passwordClass);
    if (pool.empty() || length < kMinPasswordLength || length > kMaxPasswordLength)
        throw RuntimeError(ErrIllegalCall);
    std::string s;
    do {
        s.clear();
        while (int(s.size()) != length) s += pool[UniformBelow(random, pool.size())];
        // Never a leading 0: it would be lost wherever the password is
        // taken for a number. 9 is not used here.
        if (s[0] == '0') s[0] = char('1' + UniformBelow(random, 8));
    } while (!AcceptablePassword(s, passwordClass));
    return s;
}

const char* StrengthCaption(Strength strength) {
    switch (strength) {
        case Strength::Weak:
            return "弱";
        case Strength::Medium:
            return "中";
        default:
            return "強";
    }
}

Strength PasswordStrength(double length, int passwordClass) {
    // Weak up to b, medium up to c, strong beyond.
    int b = 8, c = 10;
    if (passwordClass == DigitsOnly) {
        b = 9;
        c = 11;
    } else if (passwordClass == DigitsLowerUpper) {
        b = 7;
        c = 9;
    }
    if (length <= b) return Strength::Weak;
    if (length <= c) return Strength::Medium;
    return Strength::Strong;
}

double LeadingValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissa = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    std::size_t digits = i - mantissa;
    if (i < text.size() && text[i] == '.') {
        const std::size_t point = ++i;
        while (i < text.size() && isDigit(text[i])) ++i;
        digits += i - point;
    }
    if (digits == 0) return 0;
    std::string number(text.substr(start, i - start));
    // An exponent only counts when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t expDigits = j;
        while (j < text.size() && isDigit(text[j])) ++j;
        if (j > expDigits) number += "e" + std::string(text.substr(i + 1, j - i - 1));
    }
    if (number[0] == '+') number.erase(0, 1);
    double value = 0;
    // from_chars ignores the locale's decimal sign; out of range gives an
    // infinity, which no length accepts.
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) return number[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return value;
}

PasswordLength ReadPasswordLength(std::string_view text) {
    PasswordLength out;
    out.value = LeadingValue(text);
    out.valid = out.value >= kMinPasswordLength && out.value <= kMaxPasswordLength;
    // nearbyint rounds a half to the even neighbour in the default mode.
    if (out.valid) out.length = int(std::nearbyint(out.value));
    return out;
}

std::string LengthText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return std::string(buf) == "-0" ? "0" : buf;
    }
    char buf[40];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string StepPasswordLength(std::string_view text, int step) {
    double value = LeadingValue(text);
    if (!std::isfinite(value)) return std::string(text);  // no length is that far out
    if (step > 0 && value < kMaxPasswordLength) value += 1;
    if (step < 0 && value > kMinPasswordLength) value -= 1;
    return LengthText(value);
}

}  // namespace mk
