// The cipher on arbitrary text: reCipher of the input as a cipher text, and
// the input as a plain text through toCipher and back, which must give the
// text as Shift-JIS holds it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ciphrax/cipher_control.h"
#include "codec/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const ciphrax::CipherControl control;
    const std::string text(reinterpret_cast<const char*>(data), size);
    control.reCipher(text);

    const std::string cipher = control.toCipher(text);
    if (cipher.empty()) return 0;
    const std::string expected = mk::cp932::decode(mk::cp932::encode(text));
    if (control.reCipher(cipher) != expected) {
        std::fprintf(stderr, "round trip differs for a text of %zu bytes\n", size);
        std::abort();
    }
    return 0;
}
