#include "core/app/cipher_wrappers.h"

#include "core/app/cipher_service.h"

namespace mk {

namespace {
CipherService* installed = nullptr;
}  // namespace

CipherService* installCipherService(CipherService* service) {
    CipherService* previous = installed;
    installed = service;
    return previous;
}

CipherService* cipherService() { return installed; }

std::string 暗号化(const std::string& value) {
    if (value.empty() || !installed) return {};
    return installed->toCipher(value);
}

std::string 復号化(const std::string& Buf) {
    if (Buf.empty()) return {};
    // A value stored behind the marker is plain text; no cipher text can
    // begin with "-", so the two never meet.
    if (Buf.compare(0, 3, kPlainMarker) == 0) return Buf.substr(3);
    if (!installed) return {};
    return installed->reCipher(Buf);
}

}  // namespace mk
