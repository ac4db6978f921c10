#include "core/store/text.h"

#include <climits>
#include <cstdint>

#include "codec/cp932.h"
#include "core/store/file_layer.h"

namespace mk {

namespace {

// Decodes one UTF-8 sequence starting at text[i]. Returns the code point and
// sets `len`; an invalid or cut sequence gives -1 with len 1, so that the
// caller can pass the byte through unchanged.
inline long decodeAt(std::string_view text, std::size_t i, std::size_t& len) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t left = text.size() - i;
    auto cont = [&](std::size_t k) {
        return (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    };
    if (c < 0x80) {
        len = 1;
        return c;
    }
    if (c >= 0xC2 && c < 0xE0 && left >= 2 && cont(1)) {
        len = 2;
        return ((c & 0x1F) << 6) | (text[i + 1] & 0x3F);
    }
    if (c >= 0xE0 && c < 0xF0 && left >= 3 && cont(1) && cont(2)) {
        long cp = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
            len = 3;
            return cp;
        }
    }
    if (c >= 0xF0 && c < 0xF5 && left >= 4 && cont(1) && cont(2) && cont(3)) {
        long cp = ((c & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) |
                  ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            len = 4;
            return cp;
        }
    }
    len = 1;
    return -1;
}

inline void appendUtf8(std::string& out, long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Half-width forms of the katakana U+30A1..U+30FC, as offsets into the
// half-width block U+FF61..U+FF9F; the second value is the voiced (ﾞ, 1) or
// semi-voiced (ﾟ, 2) mark that follows, 0 for none. ヮ, ヰ, ヱ, ヵ, ヶ, ヸ and
// ヹ have no half-width form (kKeep): they stay as they are, so that ヰ does
// not meet イ nor ヶ meet ケ.
struct HalfKana {
    uint8_t base;  // code point - 0xFF00
    uint8_t mark;
};
constexpr HalfKana kKeep = {0, 0};

constexpr HalfKana kKatakana[] = {
    {0x67, 0}, {0x71, 0}, {0x68, 0}, {0x72, 0}, {0x69, 0}, {0x73, 0},  // ァアィイゥウ
    {0x6A, 0}, {0x74, 0}, {0x6B, 0}, {0x75, 0},                        // ェエォオ
    {0x76, 0}, {0x76, 1}, {0x77, 0}, {0x77, 1}, {0x78, 0}, {0x78, 1},  // カガキギクグ
    {0x79, 0}, {0x79, 1}, {0x7A, 0}, {0x7A, 1},                        // ケゲコゴ
    {0x7B, 0}, {0x7B, 1}, {0x7C, 0}, {0x7C, 1}, {0x7D, 0}, {0x7D, 1},  // サザシジスズ
    {0x7E, 0}, {0x7E, 1}, {0x7F, 0}, {0x7F, 1},                        // セゼソゾ
    {0x80, 0}, {0x80, 1}, {0x81, 0}, {0x81, 1}, {0x6F, 0},             // タダチヂッ
    {0x82, 0}, {0x82, 1}, {0x83, 0}, {0x83, 1}, {0x84, 0}, {0x84, 1},  // ツヅテデトド
    {0x85, 0}, {0x86, 0}, {0x87, 0}, {0x88, 0}, {0x89, 0},             // ナニヌネノ
    {0x8A, 0}, {0x8A, 1}, {0x8A, 2}, {0x8B, 0}, {0x8B, 1}, {0x8B, 2},  // ハバパヒビピ
    {0x8C, 0}, {0x8C, 1}, {0x8C, 2}, {0x8D, 0}, {0x8D, 1}, {0x8D, 2},  // フブプヘベペ
    {0x8E, 0}, {0x8E, 1}, {0x8E, 2},                                   // ホボポ
    {0x8F, 0}, {0x90, 0}, {0x91, 0}, {0x92, 0}, {0x93, 0},             // マミムメモ
    {0x6C, 0}, {0x94, 0}, {0x6D, 0}, {0x95, 0}, {0x6E, 0}, {0x96, 0},  // ャヤュユョヨ
    {0x97, 0}, {0x98, 0}, {0x99, 0}, {0x9A, 0}, {0x9B, 0},             // ラリルレロ
    kKeep,     {0x9C, 0}, kKeep,     kKeep,     {0x66, 0}, {0x9D, 0},  // ヮワヰヱヲン
    {0x73, 1}, kKeep,     kKeep,                                       // ヴヵヶ
    {0x9C, 1}, kKeep,     kKeep,     {0x66, 1},                        // ヷヸヹヺ
    {0x65, 0}, {0x70, 0},                                              // ・ー
};
static_assert(sizeof kKatakana / sizeof kKatakana[0] == 0x30FC - 0x30A1 + 1,
              "one entry per katakana U+30A1..U+30FC");

// Upper case of a single code point for the scripts a CP932 text can hold
// (Latin, Latin-1, Greek, Cyrillic); anything else is returned unchanged.
inline long upper(long cp) {
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
    if (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2) return cp - 0x20;
    if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;
    if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;
    return cp;
}

inline bool isSpace(char c) { return c == ' '; }

// What the search folds further, on the half-width forms that the comparison
// key already holds: a small kana meets its full-size form (ｧ → ｱ, ｯ → ﾂ),
// as an input method gives either for the same word.
inline long fullSizeKana(long cp) {
    if (cp >= 0xFF67 && cp <= 0xFF6B) return cp + 10;         // ｧｨｩｪｫ → ｱｲｳｴｵ
    if (cp >= 0xFF6C && cp <= 0xFF6E) return cp + 0x28;       // ｬｭｮ → ﾔﾕﾖ
    if (cp == 0xFF6F) return 0xFF82;                          // ｯ → ﾂ
    return cp;
}

// The small katakana without a half-width form, for the search: ヮ ヵ ヶ
// meet ﾜ ｶ ｹ (霞ヶ関 and 霞ケ関 are the same place).
inline long searchSmallKana(long cp) {
    switch (cp) {
        case 0x30EE: return 0xFF9C;  // ヮ
        case 0x30F5: return 0xFF76;  // ヵ
        case 0x30F6: return 0xFF79;  // ヶ
        default: return 0;
    }
}

// The dashes an input method gives for the long vowel: they meet ｰ.
inline bool isLongVowelDash(long cp) { return cp == 0x2015 || cp == 0x2010; }

// The comparison key; `search` widens it for the keyword search (see
// SearchKeyInto).
void keyInto(std::string_view text, std::string& out, bool search);

}  // namespace

std::string CleanField(std::string& text) {
    // Everything from the first NUL on is blank; trimming then removes it.
    std::size_t end = text.find('\0');
    if (end == std::string::npos) end = text.size();
    std::size_t begin = 0;
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
    return text;
}

std::string CleanField(std::string&& text) {
    std::string local = std::move(text);
    return CleanField(local);
}

std::string StripLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\n' && c != '\r' && c != '\x1f') out += c;
    }
    return out;
}

void CompareKeyInto(std::string_view text, std::string& out) { keyInto(text, out, false); }

void SearchKeyInto(std::string_view text, std::string& out) { keyInto(text, out, true); }

std::string SearchKey(std::string_view text) {
    std::string out;
    SearchKeyInto(text, out);
    return out;
}

namespace {

void keyInto(std::string_view text, std::string& out, bool search) {
    out.clear();
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            ++i;
            continue;
        }
        std::size_t len;
        long cp = decodeAt(text, i, len);
        if (cp < 0) {  // not UTF-8: keep the byte as it is
            out += c;
            ++i;
            continue;
        }
        if (search) {
            if (cp >= 0x3041 && cp <= 0x3096) cp += 0x60;  // hiragana → katakana
            else if (cp == 0x309D || cp == 0x309E) cp += 0x60;  // ゝゞ → ヽヾ
            else if (cp == 0x3099) cp = 0xFF9E;  // combining voiced marks
            else if (cp == 0x309A) cp = 0xFF9F;
            else if (isLongVowelDash(cp)) cp = 0xFF70;
            else if (cp >= 0xFF61 && cp <= 0xFF9F) cp = fullSizeKana(cp);
        }
        if (cp >= 0xFF01 && cp <= 0xFF5E) {
            // Full-width ASCII: ａ..ｚ and a..z both end as A..Z.
            char ascii = static_cast<char>(cp - 0xFEE0);
            if (ascii >= 'a' && ascii <= 'z') ascii = static_cast<char>(ascii - 32);
            out += ascii;
        } else if (cp >= 0x30A1 && cp <= 0x30FC) {
            const HalfKana k = kKatakana[cp - 0x30A1];
            if (k.base == 0) {
                const long small = search ? searchSmallKana(cp) : 0;
                if (small)
                    appendUtf8(out, small);
                else
                    appendUtf8(out, cp);
            } else {
                appendUtf8(out, search ? fullSizeKana(0xFF00 + k.base) : 0xFF00 + k.base);
                if (k.mark) appendUtf8(out, k.mark == 1 ? 0xFF9E : 0xFF9F);
            }
        } else {
            switch (cp) {
                case 0x3000: out += ' '; break;              // ideographic space
                case 0x3001: appendUtf8(out, 0xFF64); break;  // 、
                case 0x3002: appendUtf8(out, 0xFF61); break;  // 。
                case 0x300C: appendUtf8(out, 0xFF62); break;  // 「
                case 0x300D: appendUtf8(out, 0xFF63); break;  // 」
                case 0x309B: appendUtf8(out, 0xFF9E); break;  // ゛
                case 0x309C: appendUtf8(out, 0xFF9F); break;  // ゜
                // "￥" is the full-width form of the byte 0x5C, which a
                // Japanese system shows as the yen sign: it meets "\" and "＼".
                case 0xFFE5: out += '\\'; break;
                // CP932 has no full-width apostrophe, quote or tilde; these
                // are the characters that stand for them.
                case 0x2019: out += '\''; break;  // ’
                case 0x201D: out += '"'; break;   // ”
                case 0xFFE3: out += '~'; break;   // ￣
                default:
                    appendUtf8(out, cp < 0x500 ? upper(cp) : cp);
            }
        }
        i += len;
    }
}

}  // namespace

std::string CompareKey(std::string_view text) {
    std::string out;
    CompareKeyInto(text, out);
    return out;
}

std::string EnsureTrailingBackslash(std::string& path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

void MakeFolderPath(std::string& path) {
    EnsureTrailingBackslash(path);
    std::string built;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) break;  // the empty piece after the last "/"
        built.append(path, start, slash - start);
        built += '/';
        // Existing folders and the root fail here; that is expected.
        try {
            fs::makeDirectory(built);
        } catch (...) {
        }
        start = slash + 1;
    }
}

std::string Trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string LeftChars(std::string_view text, std::size_t n) {
    if (text.size() <= n) return std::string(text);  // no more characters than bytes
    std::size_t i = 0, count = 0;
    while (i < text.size() && count < n) {
        std::size_t len;
        decodeAt(text, i, len);
        i += len;
        ++count;
    }
    return std::string(text.substr(0, i));
}

std::size_t CharCount(std::string_view text) {
    std::size_t i = 0, count = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t len = 1;
        if (c >= 0x80) decodeAt(text, i, len);
        i += len;
        ++count;
    }
    return count;
}

long LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (LONG_MAX - digit) / 10) {
            value = LONG_MAX;
            // Skip the remaining digits; the value is already clamped.
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string AsStored(std::string_view text) { return cp932::decode(cp932::encode(text)); }

std::string FirstCharNotStored(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len;
        decodeAt(text, i, len);
        const std::string_view one = text.substr(i, len);
        if (AsStored(one) != one) return std::string(one);
        i += len;
    }
    return {};
}

std::string CharsCp932Lacks(std::string_view text) {
    std::string lacking;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = 1;
        if (static_cast<unsigned char>(text[i]) >= 0x80) decodeAt(text, i, len);
        const std::string_view ch = text.substr(i, len);
        i += len;
        if (len == 1 && static_cast<unsigned char>(ch[0]) < 0x80) continue;  // ASCII is stored
        if (cp932::encode(ch) == "?" && lacking.find(ch) == std::string::npos) lacking += ch;
    }
    return lacking;
}

std::string StoredFieldText(std::string_view text, std::size_t fieldBytes) {
    return CleanField(cp932::decode(cp932::encodeField(text, fieldBytes)));
}

}  // namespace mk
