#pragma once
// Web addresses stored in cells: which cells hold one, and the address that
// is handed to the desktop's browser.
#include <string>

namespace mk {

inline const char* const kOpenBrowserNotice = "インターネットエクスプローラーを開きます";

// True when CompareKey(text) holds "HTTP" or "WWW" (so full-width and lower
// case forms count).
bool isWebAddress(const std::string& text);

// The address to open for such a text: the run of characters from the first
// "http" or "www" (any case or width) to the next space, in half-width form.
// An address that does not begin with "http://" or "https://" gets "http://"
// in front, so the result is always an http(s) address and never a command or
// a local file. Empty when the text holds no address.
std::string webAddressFor(const std::string& text);

}  // namespace mk
