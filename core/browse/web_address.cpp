#include "core/browse/web_address.h"

#include <algorithm>

#include "core/store/text.h"

namespace mk {

namespace {

// Full-width ASCII forms and the ideographic space to their half-width
// characters; everything else is copied. Addresses typed on a Japanese
// keyboard often come out full-width.
std::string halfWidthAscii(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0xEF && i + 2 < text.size()) {
            const unsigned char b1 = static_cast<unsigned char>(text[i + 1]);
            const unsigned char b2 = static_cast<unsigned char>(text[i + 2]);
            // U+FF01..U+FF5E: EF BC 81..BF, EF BD 80..9E
            int cp = ((c & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                out += static_cast<char>(cp - 0xFEE0);
                i += 3;
                continue;
            }
        }
        if (c == 0xE3 && i + 2 < text.size() && text[i + 1] == '\x80' && text[i + 2] == '\x80') {
            out += ' ';  // U+3000
            i += 3;
            continue;
        }
        out += text[i++];
    }
    return out;
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

bool isBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '<' || c == '>'; }

}  // namespace

bool isWebAddress(const std::string& text) {
    const std::string key = CompareKey(text);
    return key.find("HTTP") != std::string::npos || key.find("WWW") != std::string::npos;
}

std::string webAddressFor(const std::string& text) {
    const std::string half = halfWidthAscii(text);
    const std::string upper = upperAscii(half);
    std::size_t start = std::min(upper.find("HTTP"), upper.find("WWW"));
    if (start == std::string::npos) return {};
    std::size_t end = start;
    while (end < half.size() && !isBreak(half[end]) && static_cast<unsigned char>(half[end]) >= 0x20)
        ++end;
    std::string address = half.substr(start, end - start);
    const std::string head = upperAscii(address.substr(0, 8));
    if (head.rfind("HTTP://", 0) == 0 || head.rfind("HTTPS://", 0) == 0) return address;
    return "http://" + address;
}

}  // namespace mk
