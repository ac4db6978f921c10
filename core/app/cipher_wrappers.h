#pragma once
// The program's two wrappers around the cipher library, with the plain-value
// marker "-*-": a stored value that begins with it is plain text.
#include <string>

namespace mk {

inline const char* const kPlainMarker = "-*-";

// Both call the installed cipher control (cipher_service.h) and give ""
// when there is none.

// "" for "", otherwise the control's toCipher.
std::string 暗号化(const std::string& value);
// "" for "", the rest of the value after a leading "-*-", otherwise reCipher.
// A failure inside the library is shown through the message service with the
// library's name as title; the partial result is returned.
std::string 復号化(const std::string& Buf);

}  // namespace mk
