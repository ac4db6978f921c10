#include "core/store/records.h"

#include <algorithm>
#include <cstring>

#include "codec/cp932.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr std::size_t kTitleWidth = kTitleFieldBytes;
constexpr std::size_t kOutputWidth = kOutputFieldBytes;
constexpr std::size_t kItemWidth = kItemFieldBytes;
constexpr std::size_t kContentWidth = kContentFieldBytes;
constexpr std::size_t kSlotsOffset = kTitleWidth;
constexpr std::size_t kTitleOwnOffset = kSlotsOffset + 2 * TitleRecord::kSlots;
constexpr std::size_t kStatusOffset = kTitleOwnOffset + 2;
constexpr std::size_t kItemOffset = kOutputWidth;
constexpr std::size_t kContentOffset = kItemOffset + kItemWidth;
constexpr std::size_t kParentOffset = kContentOffset + kContentWidth;
constexpr std::size_t kContentOwnOffset = kParentOffset + 2;
static_assert(kStatusOffset + 2 == TitleRecord::kSize);
static_assert(kContentOwnOffset + 2 == ContentRecord::kSize);

void putInt16(std::string& out, int16_t value) {
    const uint16_t u = static_cast<uint16_t>(value);
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
}

void setInt16(std::string& bytes, std::size_t offset, int16_t value) {
    const uint16_t u = static_cast<uint16_t>(value);
    bytes.at(offset + 1) = static_cast<char>(u >> 8);
    bytes[offset] = static_cast<char>(u & 0xFF);
}

int16_t getInt16(std::string_view bytes, std::size_t offset) {
    const uint16_t lo = static_cast<unsigned char>(bytes[offset]);
    const uint16_t hi = static_cast<unsigned char>(bytes[offset + 1]);
    return static_cast<int16_t>(lo | (hi << 8));
}

// A fixed-width field as the program holds it in memory: the bytes decoded,
// then padded with spaces to as many characters as the field has bytes.
std::string readField(std::string_view bytes, std::size_t offset, std::size_t width,
                      FieldForm form) {
    if (form == FieldForm::Cleaned) return cp932::decode(cleanedFieldBytes(bytes.substr(offset, width)));
    std::string text = cp932::decode(bytes.substr(offset, width));
    const std::size_t chars = CharCount(text);
    if (chars < width) text.append(width - chars, ' ');
    return text;
}

std::string blankField(std::size_t width, FieldForm form) {
    return form == FieldForm::Cleaned ? std::string() : std::string(width, ' ');
}

}  // namespace

// Fields are mostly padding: the trailing spaces go eight at a time.
std::string_view cleanedFieldBytes(std::string_view field) {
    const char* p = field.data();
    // The first NUL: a library search in a long field (the foreign file's),
    // eight bytes at a time in a record's short ones, too short for the
    // call to pay.
    std::size_t end = field.size();
    std::size_t at = 0;
    if (field.size() > 128) {
        const void* nul = std::memchr(p, '\0', field.size());
        if (nul) end = std::size_t(static_cast<const char*>(nul) - p);
        at = field.size();
    }
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    for (uint64_t word; at + 8 <= field.size(); at += 8) {
        std::memcpy(&word, p + at, 8);
        // The lowest flagged byte is the first zero byte (little-endian).
        if (const uint64_t zero = (word - kOnes) & ~word & kHighs) {
            end = at + std::size_t(__builtin_ctzll(zero) / 8);
            at = field.size();
            break;
        }
    }
    for (; at < field.size(); ++at)
        if (p[at] == '\0') {
            end = at;
            break;
        }
    constexpr uint64_t kSpaces = 0x2020202020202020ull;
    for (uint64_t word; end >= 8; end -= 8) {
        std::memcpy(&word, p + end - 8, 8);
        if (word != kSpaces) break;
    }
    while (end > 0 && p[end - 1] == ' ') --end;
    std::size_t begin = 0;
    while (begin < end && p[begin] == ' ') ++begin;
    return field.substr(begin, end - begin);
}

int16_t TitleRecordBytes::status() const { return getInt16(bytes, kStatusOffset); }

bool storesAsDeletedMark(std::string_view text, std::size_t fieldBytes) {
    // Only "<" itself is stored as the byte "<", which no CP932 pair holds:
    // a text without one can never read back as the mark.
    if (text.find('<') == std::string_view::npos) return false;
    return isDeletedMark(cp932::decode(cp932::encodeField(text, fieldBytes)));
}

std::string avoidDeletedMark(std::string text, std::size_t fieldBytes) {
    if (!storesAsDeletedMark(text, fieldBytes)) return text;
    return "＜削除<";
}

bool isDeletedMark(std::string_view field) {
    return CleanField(std::string(field)) == kDeletedMark;
}

std::string TitleRecord::toBytes() const {
    std::string out;
    out.reserve(kSize);
    appendBytes(out);
    return out;
}

void TitleRecord::appendBytes(std::string& out) const {
    cp932::appendField(out, 表題, kTitleWidth);
    for (int16_t slot : 子Rec) putInt16(out, slot);
    putInt16(out, 自分Rec);
    putInt16(out, Status);
}

TitleRecord TitleRecord::fromBytes(std::string_view bytes, FieldForm form) {
    TitleRecord r;
    if (bytes.size() < kSize) {
        // Past the end of the file (or a torn tail): a record that cleans to
        // blank and refers to nothing, so a loader skips it and carries on.
        r.表題 = blankField(kTitleWidth, form);
        return r;
    }
    r.表題 = readField(bytes, 0, kTitleWidth, form);
    for (int i = 0; i < kSlots; ++i) r.子Rec[i] = getInt16(bytes, kSlotsOffset + 2 * i);
    r.自分Rec = getInt16(bytes, kTitleOwnOffset);
    r.Status = getInt16(bytes, kStatusOffset);
    return r;
}

std::string ContentRecord::toBytes() const {
    std::string out;
    out.reserve(kSize);
    appendBytes(out);
    return out;
}

void ContentRecord::appendBytes(std::string& out) const {
    cp932::appendField(out, 出力, kOutputWidth);
    cp932::appendField(out, 項目, kItemWidth);
    cp932::appendField(out, 内容, kContentWidth);
    putInt16(out, 親Rec);
    putInt16(out, 自分Rec);
}

ContentRecord ContentRecord::fromBytes(std::string_view bytes, FieldForm form) {
    ContentRecord r;
    if (bytes.size() < kSize) {
        r.出力 = blankField(kOutputWidth, form);
        r.項目 = blankField(kItemWidth, form);
        r.内容 = blankField(kContentWidth, form);
        return r;
    }
    r.出力 = readField(bytes, 0, kOutputWidth, form);
    r.項目 = readField(bytes, kItemOffset, kItemWidth, form);
    r.内容 = readField(bytes, kContentOffset, kContentWidth, form);
    r.親Rec = getInt16(bytes, kParentOffset);
    r.自分Rec = getInt16(bytes, kContentOwnOffset);
    return r;
}

bool TitleRecord::titleReadsAsDeletedMark() const { return storesAsDeletedMark(表題, kTitleWidth); }

bool ContentRecord::itemReadsAsDeletedMark() const { return storesAsDeletedMark(項目, kItemWidth); }

namespace {

// A stored text field that cleans to the free-record mark, judged on its bytes.
bool fieldBytesAreMark(std::string_view field) {
    static const std::string mark = cp932::encode(kDeletedMark);
    std::size_t first = 0;
    while (first < field.size() && field[first] == ' ') ++first;
    // Nearly every field is told apart by its first byte, without looking
    // for a NUL (which, before the mark, would cut the field to blank).
    if (first == field.size() || field[first] != mark[0]) return false;
    field = field.substr(0, field.find('\0'));
    return field.substr(first, field.find_last_not_of(' ') + 1 - first) == mark;
}

}  // namespace

bool contentBytesAreFree(std::string_view bytes, int n) {
    return fieldBytesAreMark(
        bytes.substr(std::size_t(n - 1) * ContentRecord::kSize + kItemOffset, kItemWidth));
}

bool titleBytesAreFree(std::string_view bytes, int n) {
    return fieldBytesAreMark(bytes.substr(std::size_t(n - 1) * TitleRecord::kSize, kTitleWidth));
}

std::array<int16_t, TitleRecord::kSlots> titleSlotsOf(std::string_view bytes, int n) {
    std::array<int16_t, TitleRecord::kSlots> slots{};
    const std::size_t base = std::size_t(n - 1) * TitleRecord::kSize + kSlotsOffset;
    for (int i = 0; i < TitleRecord::kSlots; ++i) slots[i] = getInt16(bytes, base + 2 * i);
    return slots;
}

void noteFirstTitleNaming(std::string_view titleBytes, const std::vector<uint8_t>& wanted,
                          std::vector<int>& owner) {
    const std::size_t count = titleBytes.size() / TitleRecord::kSize;
    const std::size_t limit = std::min(wanted.size(), owner.size());
    static_assert(TitleRecord::kSlots % 2 == 0, "slots are read two at a time");
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t base = t * TitleRecord::kSize + kSlotsOffset;
        // Most slots are empty: two at a time, and past an empty pair.
        for (std::size_t i = 0; i < std::size_t(TitleRecord::kSlots); i += 2) {
            uint32_t pair;
            std::memcpy(&pair, titleBytes.data() + base + 2 * i, sizeof pair);
            if (pair == 0) continue;
            for (std::size_t j = i; j < i + 2; ++j) {
                const int k = getInt16(titleBytes, base + 2 * j);
                if (k > 0 && std::size_t(k) < limit && wanted[std::size_t(k)] && owner[std::size_t(k)] == 0)
                    owner[std::size_t(k)] = int(t) + 1;
            }
        }
    }
}

void setTitleNumbers(std::string& bytes, int n,
                     const std::array<int16_t, TitleRecord::kSlots>& slots, int16_t own) {
    const std::size_t base = std::size_t(n - 1) * TitleRecord::kSize;
    for (int i = 0; i < TitleRecord::kSlots; ++i)
        setInt16(bytes, base + kSlotsOffset + 2 * i, slots[i]);
    setInt16(bytes, base + kTitleOwnOffset, own);
}

void setContentNumbers(std::string& bytes, int n, int16_t parent, int16_t own) {
    const std::size_t base = std::size_t(n - 1) * ContentRecord::kSize;
    setInt16(bytes, base + kParentOffset, parent);
    setInt16(bytes, base + kContentOwnOffset, own);
}

NamedPastEnd::NamedPastEnd(int contentCount)
    : contentCount_(contentCount), named_(std::size_t(kMaxRecordNumber) + 2, false) {}

void NamedPastEnd::note(const TitleRecord& title) {
    for (int16_t k : title.子Rec)
        if (k > contentCount_) named_[std::size_t(k)] = true;
}

void NamedPastEnd::noteAll(std::string_view titleBytes) {
    const std::size_t size = TitleRecord::kSize;
    for (std::size_t at = 0; at + size <= titleBytes.size(); at += size)
        note(TitleRecord::fromBytes(titleBytes.substr(at, size)));
}

long NamedPastEnd::nextAfter(long n) const {
    ++n;
    while (n <= kMaxRecordNumber && n >= 1 && named_[std::size_t(n)]) ++n;
    return std::min<long>(n, kMaxRecordNumber + 1L);
}

}  // namespace mk
