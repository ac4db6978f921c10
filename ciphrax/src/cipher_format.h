#pragma once
// The stages of the cipher text format. Texts written by one build must
// decipher in every other, so each stage is kept small and literal.
//
//   character codes -> (XOR key) hex text -> bit text -> run text
//   -> chunks of the run text as base-93 numerals joined by "-"
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ciphrax::format {

// A failure inside the cipher; `what()` is the description shown to the user.
class CipherError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Descriptions of the classic run-time errors the cipher can meet.
extern const char* const kInvalidCall;  // 5
extern const char* const kOverflow;     // 6
extern const char* const kOutOfMemory;  // 7

// The longest text that is enciphered; longer texts give "".
constexpr std::size_t kMaxCharacters = 2000;

// One base-93 digit for 0..92, and the value of a digit character (any
// character outside the alphabet, "-" included, counts as 0).
char digitOf(unsigned value);
unsigned valueOf(char digit);

// At least two digits, most significant first: 1 -> "01", 4444 -> "L,".
std::string numeral(uint64_t value);

// Each code XORed with the key, then the key itself, each as four hex digits
// written as sixteen binary digits, most significant first.
std::string bitText(const std::vector<uint16_t>& codes, uint16_t key);

// Runs of equal bits, cut into runs of at most four from the left:
// "1".."1111" give 1..4, "0".."0000" give 9..6.
std::string runText(std::string_view bits);

// `nextLength(previous)` gives the next chunk length (previous is 0 before
// the first draw) and never returns the previous one.
std::string chunk(std::string_view run, const std::function<int(int previous)>& nextLength);

// Deciphering: the run text of a cipher text (throws CipherError on an empty
// piece or a piece too large to count), and the bit text of a run text.
std::string runTextOfCipher(std::string_view cipherText);
std::string bitsOfRunText(std::string_view run);

// The whole decipher in one pass, holding neither the run text nor the bit
// text: each piece's decimal digits give runs of bits as they come, four
// digits at a time through a table, and every sixteen bits four hex digits.
// The key is the last four hex digits; every group of four before it is one
// character's code XOR key, a short last group counting by the digits it
// has. `codes` receives the codes. It throws what runTextOfCipher throws (an
// empty piece, a piece too large), and error 5 when not even a key is left.
void codesOfCipher(std::string_view cipherText, std::vector<uint16_t>& codes);

}  // namespace ciphrax::format
