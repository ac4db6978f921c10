// The C entry point over CipherControl. Nothing may unwind out of these
// functions: the caller may not be C++ at all.
#include "ciphrax/ciphrax_entry.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "ciphrax/cipher_control.h"

struct CiphraxControl {
    ciphrax::CipherControl control;
};

namespace {

CiphraxControl* create() noexcept {
    try {
        return new CiphraxControl;
    } catch (...) {
        return nullptr;
    }
}

void destroy(CiphraxControl* control) noexcept { delete control; }

void setErrorHandler(CiphraxControl* control, CiphraxErrorFn handler, void* context) noexcept {
    if (!control) return;
    try {
        if (!handler) {
            control->control.setErrorHandler(nullptr);
            return;
        }
        control->control.setErrorHandler([handler, context](const std::string& description) {
            handler(context, description.c_str());
        });
    } catch (...) {
    }
}

// A malloc'ed copy, so that the caller's freeText and this library agree on
// the allocator whatever either side links.
char* copyOut(const std::string& text, size_t* resultLength) noexcept {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (!out) return nullptr;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    if (resultLength) *resultLength = text.size();
    return out;
}

template <class Method>
char* call(CiphraxControl* control, const char* text, size_t length, size_t* resultLength,
           Method method) noexcept {
    if (resultLength) *resultLength = 0;
    try {
        const std::string in = text ? std::string(text, length) : std::string();
        const std::string out = control ? (control->control.*method)(in) : std::string();
        return copyOut(out, resultLength);
    } catch (...) {
        return nullptr;
    }
}

char* toCipher(CiphraxControl* control, const char* text, size_t length,
               size_t* resultLength) noexcept {
    return call(control, text, length, resultLength, &ciphrax::CipherControl::toCipher);
}

char* reCipher(CiphraxControl* control, const char* text, size_t length,
               size_t* resultLength) noexcept {
    return call(control, text, length, resultLength, &ciphrax::CipherControl::reCipher);
}

void freeText(char* text) noexcept { std::free(text); }

const CiphraxApi kApi = {
    CIPHRAX_ABI_VERSION, sizeof(CiphraxApi), "Ciphrax", create,   destroy,
    setErrorHandler,     toCipher,           reCipher,  freeText,
};

}  // namespace

extern "C" const CiphraxApi* ciphrax_entry(void) { return &kApi; }
