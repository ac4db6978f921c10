#include "codec/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace mk::cp932 {
namespace {

// Marks "no character" in both tables. U+FFFF is no CP932 character, and
// 0xFFFF is no CP932 code (0xFF is not a lead byte).
constexpr uint16_t kNone = 0xFFFF;
constexpr uint16_t kQuestion = 0x3F;

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Converts one character with an open descriptor; returns the output bytes,
// or false when iconv refuses it.
bool convertOne(iconv_t cd, const char* in, std::size_t inLen, std::string& out) {
    char inBuf[8];
    for (std::size_t i = 0; i < inLen; ++i) inBuf[i] = in[i];
    char outBuf[16];
    char* ip = inBuf;
    char* op = outBuf;
    std::size_t il = inLen;
    std::size_t ol = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0) return false;
    // Flush: a stateless code page writes nothing here, but be thorough.
    if (iconv(cd, nullptr, nullptr, &op, &ol) == static_cast<std::size_t>(-1)) return false;
    out.assign(outBuf, static_cast<std::size_t>(op - outBuf));
    return true;
}

struct Descriptor {
    iconv_t cd;
    Descriptor(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Descriptor() {
        if (valid()) iconv_close(cd);
    }
    bool valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

// CP932 bytes -> Unicode (BMP), built once by asking iconv about every byte
// and every lead/trail pair, so that decoding never calls iconv again.
struct DecodeTable {
    std::array<uint16_t, 256> single;
    std::unique_ptr<uint16_t[]> pair;  // indexed by lead * 256 + trail

    DecodeTable() : pair(new uint16_t[65536]) {
        single.fill(kNone);
        for (int i = 0; i < 65536; ++i) pair[i] = kNone;
        // The ASCII half and the half-width katakana are fixed; CP932 keeps
        // 0x5C as the backslash and 0x7E as the tilde.
        for (int b = 0; b < 0x80; ++b) single[b] = static_cast<uint16_t>(b);
        for (int b = 0xA1; b <= 0xDF; ++b) single[b] = static_cast<uint16_t>(0xFF61 + (b - 0xA1));

        Descriptor d("UTF-32LE", "CP932");
        if (!d.valid()) return;
        std::string out;
        auto toCodePoint = [&](const std::string& o) -> uint16_t {
            if (o.size() != 4) return kNone;
            uint32_t cp = uint32_t(uint8_t(o[0])) | uint32_t(uint8_t(o[1])) << 8 |
                          uint32_t(uint8_t(o[2])) << 16 | uint32_t(uint8_t(o[3])) << 24;
            if (cp >= 0xFFFF || (cp >= 0xD800 && cp < 0xE000)) return kNone;
            return static_cast<uint16_t>(cp);
        };
        for (int b = 0x80; b < 0x100; ++b) {
            if (single[b] != kNone || isLeadByte(static_cast<unsigned char>(b))) continue;
            char in[1] = {static_cast<char>(b)};
            if (convertOne(d.cd, in, 1, out)) single[b] = toCodePoint(out);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail))) continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                if (convertOne(d.cd, in, 2, out)) pair[lead * 256 + trail] = toCodePoint(out);
            }
        }
    }
};

// Unicode (BMP) -> CP932 code (0..255 single byte, lead * 256 + trail),
// taken from iconv's own encoder for every code point, so that characters
// CP932 holds twice (NEC and IBM extensions) get the code iconv gives them.
struct EncodeTable {
    std::unique_ptr<uint16_t[]> code;

    EncodeTable() : code(new uint16_t[65536]) {
        for (int i = 0; i < 65536; ++i) code[i] = kNone;
        for (int c = 0; c < 0x80; ++c) code[c] = static_cast<uint16_t>(c);
        Descriptor d("CP932", "UTF-32LE");
        if (!d.valid()) return;
        std::string out;
        for (uint32_t cp = 0x80; cp < 0xFFFF; ++cp) {
            if (cp >= 0xD800 && cp < 0xE000) continue;
            char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF), 0, 0};
            if (!convertOne(d.cd, in, 4, out)) continue;
            if (out.size() == 1) {
                code[cp] = uint8_t(out[0]);
            } else if (out.size() == 2 && isLeadByte(uint8_t(out[0]))) {
                code[cp] = static_cast<uint16_t>(uint8_t(out[0]) * 256 + uint8_t(out[1]));
            }
        }
    }
};

const DecodeTable& decodeTable() {
    static const DecodeTable table;  // thread-safe one-time construction
    return table;
}

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

// A code point of the BMP as UTF-8 at `o`; the end of what was written.
inline char* putUtf8(char* o, uint32_t cp) {
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return o;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Reads one UTF-8 character at `pos` and advances past it. Returns the code
// point, or kNone for an invalid sequence (one byte is then skipped) and for
// characters beyond the BMP, which CP932 cannot hold anyway.
uint32_t nextCodePoint(std::string_view s, std::size_t& pos) {
    const unsigned char b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra;
    uint32_t cp;
    uint32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return kNone;
    }
    if (s.size() - pos <= static_cast<std::size_t>(extra)) {  // cut short by the end
        ++pos;
        return kNone;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return kNone;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
        ++pos;
        return kNone;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

uint16_t codeOf(const EncodeTable& table, uint32_t cp) {
    if (cp >= 0xFFFF) return kQuestion;  // invalid UTF-8 or outside the BMP
    const uint16_t c = table.code[cp];
    return c == kNone ? kQuestion : c;
}

void appendCode(std::string& out, uint16_t code) {
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

namespace {

// `n` bytes into `out`: over its own characters when it already has that
// many (a reload writes mostly the texts a cell held before), else anew.
void assignBytes(std::string& out, const char* bytes, std::size_t n) {
    if (out.empty())
        out.append(bytes, n);  // the lighter call
    else if (out.size() == n)
        std::memcpy(&out[0], bytes, n);
    else
        out.assign(bytes, n);
}

// The UTF-8 of `bytes` into `o`, which has room for three bytes per byte
// (half-width katakana); the end of what was written.
char* decodeTo(char* o, std::string_view bytes) {
    const DecodeTable& table = decodeTable();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    auto put = [&o](uint32_t cp) { o = putUtf8(o, cp); };
    while (p < end) {
        // Fields are mostly ASCII and space padding: copy eight at a time.
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL) break;
            std::memcpy(o, p, 8);
            o += 8;
            p += 8;
        }
        if (p == end) break;
        const unsigned char b = *p;
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
            ++p;
        } else if (isLeadByte(b)) {
            if (p + 1 < end && isTrailByte(p[1])) {
                const uint16_t cp = table.pair[b * 256 + p[1]];
                put(cp == kNone ? kQuestion : cp);
                p += 2;
            } else {
                // A lead byte without a proper trail: the next byte (a NUL
                // padding byte, say) is read on its own.
                *o++ = '?';
                ++p;
            }
        } else {
            const uint16_t cp = table.single[b];
            put(cp == kNone ? kQuestion : cp);
            ++p;
        }
    }
    return o;
}

}  // namespace

void decodeInto(std::string& out, std::string_view bytes) {
    // Plain ASCII, the most common field, is its own UTF-8.
    bool ascii = true;
    std::size_t i = 0;
    for (uint64_t word; ascii && i + 8 <= bytes.size(); i += 8) {
        std::memcpy(&word, bytes.data() + i, 8);
        ascii = (word & 0x8080808080808080ULL) == 0;
    }
    for (; ascii && i < bytes.size(); ++i) ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii) {
        assignBytes(out, bytes.data(), bytes.size());
        return;
    }
    // A record's field decodes on the stack; only a longer text is written
    // into `out` at its largest size and cut to length afterwards.
    constexpr std::size_t kStackBytes = 128;
    if (bytes.size() <= kStackBytes) {
        char buffer[kStackBytes * 3];
        assignBytes(out, buffer, static_cast<std::size_t>(decodeTo(buffer, bytes) - buffer));
        return;
    }
    out.resize(bytes.size() * 3);
    out.resize(static_cast<std::size_t>(decodeTo(&out[0], bytes) - out.data()));
}

std::string decode(std::string_view bytes) {
    std::string out;
    decodeInto(out, bytes);
    return out;
}

std::string encode(std::string_view utf8) {
    const EncodeTable& table = encodeTable();
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) appendCode(out, codeOf(table, nextCodePoint(utf8, pos)));
    return out;
}

void appendField(std::string& out, std::string_view utf8, std::size_t width) {
    const EncodeTable& table = encodeTable();
    const std::size_t start = out.size();
    out.append(width, ' ');  // the padding; the text goes over it
    char* const field = &out[start];
    const auto* const text = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size() && used < width) {
        if (text[pos] < 0x80) {
            // A run of ASCII is its own CP932: copied whole, as far as the
            // field goes.
            const std::size_t limit = std::min(utf8.size(), pos + (width - used));
            std::size_t end = pos + 1;
            while (end < limit && text[end] < 0x80) ++end;
            std::memcpy(field + used, text + pos, end - pos);
            used += end - pos;
            pos = end;
            continue;
        }
        const uint16_t code = codeOf(table, nextCodePoint(utf8, pos));
        if (code > 0xFF) {
            if (used + 2 > width) break;  // never half a character
            field[used++] = static_cast<char>(code >> 8);
        }
        field[used++] = static_cast<char>(code & 0xFF);
    }
}

std::string encodeField(std::string_view utf8, std::size_t width) {
    std::string out;
    appendField(out, utf8, width);
    return out;
}

std::vector<uint16_t> codes(std::string_view utf8) {
    const EncodeTable& table = encodeTable();
    std::vector<uint16_t> result;
    result.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) result.push_back(codeOf(table, nextCodePoint(utf8, pos)));
    return result;
}

namespace {

// The code point of a 16-bit code; "?" for a code that is no character.
uint32_t codePointOf(const DecodeTable& table, uint16_t code) {
    uint16_t cp;
    if (code <= 0xFF) {
        cp = isLeadByte(static_cast<unsigned char>(code)) ? kNone : table.single[code];
    } else {
        const unsigned char lead = static_cast<unsigned char>(code >> 8);
        const unsigned char trail = static_cast<unsigned char>(code & 0xFF);
        cp = (isLeadByte(lead) && isTrailByte(trail)) ? table.pair[code] : kNone;
    }
    return cp == kNone ? kQuestion : cp;
}

}  // namespace

void appendCharacter(std::string& out, uint16_t code) { appendUtf8(out, codePointOf(decodeTable(), code)); }

std::string fromCodes(const std::vector<uint16_t>& codes) {
    // A character of the BMP takes at most three UTF-8 bytes.
    std::string out(codes.size() * 3, '\0');
    const DecodeTable& table = decodeTable();
    char* o = &out[0];
    for (uint16_t code : codes) {
        if (code < 0x80)
            *o++ = static_cast<char>(code);  // ASCII is itself
        else
            o = putUtf8(o, codePointOf(table, code));
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string fromCode(uint16_t code) {
    std::string out;
    appendCharacter(out, code);
    return out;
}

}  // namespace mk::cp932
