#pragma once
// Password generation and rating: the character pools, the draw, the rules
// that make every chosen kind of character appear, the strength rating and
// the reading of the length box. No screen and no clock: the caller hands in
// the random source.
#include <cstdint>
#include <string>
#include <string_view>

namespace mk {

// The four character classes, numbered as the option buttons.
enum PasswordClass : int {
    DigitsOnly = 1,        // "数字のみ"
    DigitsLower = 2,       // "数字+小文字"
    DigitsUpper = 3,       // "数字+大文字"
    DigitsLowerUpper = 4,  // "数字+小文字+大文字"
};

inline const char* const kPasswordClassCaptions[5] = {"", "数字のみ", "数字+小文字", "数字+大文字",
                                                      "数字+小文字+大文字"};

constexpr int kMinPasswordLength = 4;
constexpr int kMaxPasswordLength = 20;

// A source of independent, uniformly distributed 64-bit words.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual uint64_t next() = 0;
};

// A number in 0 .. n-1, every one equally likely (n > 0). Words that would
// favour the low numbers are drawn again rather than folded in.
uint64_t UniformBelow(RandomSource& random, uint64_t n);

// The operating system's cryptographic random source (getrandom). Throws
// RuntimeError when the system refuses it.
class SystemRandom : public RandomSource {
public:
    uint64_t next() override;

private:
    uint64_t buffer_[32] = {};
    int left_ = 0;
};
// One SystemRandom for the whole program.
RandomSource& systemRandom();

// The characters of a class's pool, in pool order, one entry each (a digit
// run appears two or three times). Empty for a class outside 1..4.
std::string CharacterPool(int passwordClass);

// True when a candidate of the class has every kind of character the class
// asks for.
bool AcceptablePassword(std::string_view candidate, int passwordClass);

// A password of exactly `length` characters (4..20) from the class's pool
// that passes AcceptablePassword and never begins with "0".
std::string GeneratePassword(int length, int passwordClass, RandomSource& random);

enum class Strength : int { Weak = 1, Medium = 2, Strong = 3 };
// "弱", "中", "強".
const char* StrengthCaption(Strength strength);
// The rating of a length (as read, fraction and all) for a class.
Strength PasswordStrength(double length, int passwordClass);

// The length box's text read as its leading number (leading blanks skipped;
// sign, digits, a fraction and an exponent as far as they go; no number is
// 0), whether that value is in 4..20, and the password length it gives
// (rounded to the nearest whole number, a half to the even one).
struct PasswordLength {
    double value = 0;
    bool valid = false;
    int length = 0;
};
double LeadingValue(std::string_view text);
PasswordLength ReadPasswordLength(std::string_view text);
// The length box after "+" (step 1) or "-" (step -1): the value moved by one
// within 4..20 (a value already outside stays) and written as a plain number.
std::string StepPasswordLength(std::string_view text, int step);
// A number as the length box shows it: "10", "4.5", "-3".
std::string LengthText(double value);

}  // namespace mk
