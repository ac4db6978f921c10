// The cipher on arbitrary text: reCipher of the input as a cipher text must
// give what the format's stages give one after the other (the bit text, then
// groups of four bits, the key last); and the input as a plain text through
// toCipher and back must give the text as Shift-JIS holds it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ciphrax/cipher_control.h"
#include "codec/cp932.h"

namespace {

// reCipher as its steps read, from the bit text of the cipher text: hex
// digits from groups of four bits (a short last group by its value), the key
// the last four, each group of four before it one character XOR the key.
std::string decipherStepByStep(const std::string& cipherText) {
    const std::string bits = ciphrax::detail::bitTextOfCipher(cipherText);
    std::string hex;
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        int v = 0;
        for (std::size_t j = i; j < bits.size() && j < i + 4; ++j) v = v * 2 + (bits[j] == '1');
        hex.push_back(char(v));
    }
    if (hex.size() < 4) return {};
    const std::size_t count = hex.size() - 4;
    unsigned key = 0;
    for (std::size_t i = count; i < hex.size(); ++i) key = key * 16 + unsigned(hex[i]);
    std::string text;
    for (std::size_t i = 0; i < count; i += 4) {
        unsigned v = 0;
        for (std::size_t j = i; j < count && j < i + 4; ++j) v = v * 16 + unsigned(hex[j]);
        text += mk::cp932::fromCode(uint16_t(v ^ key));
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const ciphrax::CipherControl control;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (control.reCipher(text) != decipherStepByStep(text)) {
        std::fprintf(stderr, "reCipher differs from its steps for a text of %zu bytes\n", size);
        std::abort();
    }

    const std::string cipher = control.toCipher(text);
    if (cipher.empty()) return 0;
    const std::string expected = mk::cp932::decode(mk::cp932::encode(text));
    if (control.reCipher(cipher) != expected) {
        std::fprintf(stderr, "round trip differs for a text of %zu bytes\n", size);
        std::abort();
    }
    return 0;
}
