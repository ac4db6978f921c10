#include "core/store/records.h"

#include <cstring>

#include "codec/cp932.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr std::size_t kTitleWidth = 50;
constexpr std::size_t kOutputWidth = 2;
constexpr std::size_t kItemWidth = 50;
constexpr std::size_t kContentWidth = 90;

void putInt16(std::string& out, int16_t value) {
    const uint16_t u = static_cast<uint16_t>(value);
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
}

int16_t getInt16(std::string_view bytes, std::size_t offset) {
    const uint16_t lo = static_cast<unsigned char>(bytes[offset]);
    const uint16_t hi = static_cast<unsigned char>(bytes[offset + 1]);
    return static_cast<int16_t>(lo | (hi << 8));
}

// A fixed-width field as the program holds it in memory: the bytes decoded,
// then padded with spaces to as many characters as the field has bytes.
std::string readField(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::string text = cp932::decode(bytes.substr(offset, width));
    const std::size_t chars = CharCount(text);
    if (chars < width) text.append(width - chars, ' ');
    return text;
}

std::string blankField(std::size_t width) { return std::string(width, ' '); }

}  // namespace

std::string guardDeletedMark(const std::string& userText) {
    if (!isDeletedMark(userText)) return userText;
    return std::string(kDeletedMark) + "　";
}

bool isDeletedMark(std::string_view field) {
    return CleanField(std::string(field)) == kDeletedMark;
}

std::string TitleRecord::toBytes() const {
    std::string out;
    out.reserve(kSize);
    out += cp932::encodeField(表題, kTitleWidth);
    for (int16_t slot : 子Rec) putInt16(out, slot);
    putInt16(out, 自分Rec);
    putInt16(out, Status);
    return out;
}

TitleRecord TitleRecord::fromBytes(std::string_view bytes) {
    TitleRecord r;
    if (bytes.size() < kSize) {
        // Past the end of the file (or a torn tail): a record that cleans to
        // blank and refers to nothing, so a loader skips it and carries on.
        r.表題 = blankField(kTitleWidth);
        return r;
    }
    r.表題 = readField(bytes, 0, kTitleWidth);
    for (int i = 0; i < kSlots; ++i) r.子Rec[i] = getInt16(bytes, kTitleWidth + 2 * i);
    r.自分Rec = getInt16(bytes, 150);
    r.Status = getInt16(bytes, 152);
    return r;
}

std::string ContentRecord::toBytes() const {
    std::string out;
    out.reserve(kSize);
    out += cp932::encodeField(出力, kOutputWidth);
    out += cp932::encodeField(項目, kItemWidth);
    out += cp932::encodeField(内容, kContentWidth);
    putInt16(out, 親Rec);
    putInt16(out, 自分Rec);
    return out;
}

ContentRecord ContentRecord::fromBytes(std::string_view bytes) {
    ContentRecord r;
    if (bytes.size() < kSize) {
        r.出力 = blankField(kOutputWidth);
        r.項目 = blankField(kItemWidth);
        r.内容 = blankField(kContentWidth);
        return r;
    }
    r.出力 = readField(bytes, 0, kOutputWidth);
    r.項目 = readField(bytes, 2, kItemWidth);
    r.内容 = readField(bytes, 52, kContentWidth);
    r.親Rec = getInt16(bytes, 142);
    r.自分Rec = getInt16(bytes, 144);
    return r;
}

}  // namespace mk
