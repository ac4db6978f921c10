#pragma once
// Ciphrax: turns a short text into printable ASCII cipher text and back.
// Every cipher text carries its own random key. Texts are UTF-8.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(CIPHRAX_BUILDING)
#define CIPHRAX_API __attribute__((visibility("default")))
#else
#define CIPHRAX_API
#endif

namespace ciphrax {

class CIPHRAX_API CipherControl {
public:
    // The library's own name, the title of its failure messages.
    static const char* const kName;  // "Ciphrax"

    // Called with an error's description when a method fails inside; the
    // method then returns its partial result. Default: no message.
    using ErrorHandler = std::function<void(const std::string& description)>;
    // Source of random numbers, uniform over 0 .. 2^32 - 1. Default: a
    // generator seeded from the clock.
    using RandomSource = std::function<uint32_t()>;

    CipherControl();
    ~CipherControl();
    CipherControl(const CipherControl&) = delete;
    CipherControl& operator=(const CipherControl&) = delete;

    void setErrorHandler(ErrorHandler handler);
    void setRandomSource(RandomSource source);

    // The cipher text of `text`; "" for "" or more than 2000 characters.
    std::string toCipher(const std::string& text) const;
    // The plain text of a cipher text; "" for "".
    std::string reCipher(const std::string& cipherText) const;

private:
    struct Impl;
    Impl* impl_;
};

// The stages of the cipher text format, exported so that tests can check
// them one by one against hand-worked examples. Not for the program's use.
namespace detail {

// The base-93 numeral of a value, at least two digits ("01" for 1).
CIPHRAX_API std::string base93Numeral(uint64_t value);
// The run text of a bit text ("0"/"1" characters; anything else is skipped).
CIPHRAX_API std::string runTextOfBits(const std::string& bits);
// Chunks a run text into a cipher text, with the chunk lengths drawn in turn
// taken from `chunkLengths` (a length equal to the one before it is skipped,
// as a redraw would; when the list runs out, 4 or 5 follow). "" when a length
// is below 1.
CIPHRAX_API std::string chunkRunText(const std::string& runText,
                                     const std::vector<int>& chunkLengths);
// The bit text that a cipher text stands for (deciphering up to the bits);
// "" when the cipher text is malformed.
CIPHRAX_API std::string bitTextOfCipher(const std::string& cipherText);

}  // namespace detail

}  // namespace ciphrax
