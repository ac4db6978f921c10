#include "core/app/cipher_wrappers.h"

#include "ciphrax/cipher_control.h"
#include "core/base/messages.h"

namespace mk {
namespace {

// The program's one cipher control. A failure inside the library is shown
// as the library's own message: its description, critical-stop icon, OK,
// and the library's name as title.
ciphrax::CipherControl& programCipher() {
    struct Holder {
        ciphrax::CipherControl control;
        Holder() {
            control.setErrorHandler([](const std::string& description) {
                MsgBox(description, Buttons::OK, Icon::Critical, ciphrax::CipherControl::kName);
            });
        }
    };
    static Holder holder;
    return holder.control;
}

}  // namespace

std::string 暗号化(const std::string& value) {
    if (value.empty()) return {};
    return programCipher().toCipher(value);
}

std::string 復号化(const std::string& Buf) {
    if (Buf.empty()) return {};
    // A value stored behind the marker is plain text; no cipher text can
    // begin with "-", so the two never meet.
    if (Buf.compare(0, 3, kPlainMarker) == 0) return Buf.substr(3);
    return programCipher().reCipher(Buf);
}

}  // namespace mk
