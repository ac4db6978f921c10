#pragma once
// Ciphrax: turns a short text into printable ASCII cipher text and back.
// Every cipher text carries its own random key. Texts are UTF-8.
#include <cstdint>
#include <functional>
#include <string>

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

}  // namespace ciphrax
