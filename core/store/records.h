#pragma once
// Byte layouts of the two data files. Little-endian signed 16-bit numbers,
// CP932 text padded with spaces.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mk {

// Record numbers are signed 16-bit on disk: 1..32767 can be addressed.
constexpr int kMaxRecordNumber = 32767;
// An entry has at most this many rows (the title record's slots).
constexpr int kMaxEntryRows = 50;
// What the saves store of a typed text, in characters.
constexpr std::size_t kTitleChars = 42;
constexpr std::size_t kItemChars = 42;
constexpr std::size_t kContentChars = 82;

// Marks a free record in 表題 (title file) or 項目 (content file).
inline const char* const kDeletedMark = "<削除<";

// What to store for a title or item that a user typed (or that an import or
// conversion brings in). A text that would clean to exactly "<削除<" would be
// taken for a free record by the next allocation and overwritten, so such a
// text is stored as "<削除<　" (a full-width space after the mark): it reads
// and shows the same, it round-trips through CP932, and CleanField keeps the
// full-width space. Every other text is returned unchanged. Every writer of
// user text into 表題 or 項目 passes it through here; only the deletes write
// the mark itself.
std::string guardDeletedMark(const std::string& userText);

// True when a 表題 or 項目 read from disk marks a free record: cleaned, it is
// exactly "<削除<".
bool isDeletedMark(std::string_view field);

struct TitleRecord {
    static constexpr std::size_t kSize = 154;
    static constexpr int kSlots = 50;

    std::string 表題;                  // 50 bytes
    std::array<int16_t, kSlots> 子Rec{};  // slot i (1..50) is 子Rec[i - 1]
    int16_t 自分Rec = 0;
    int16_t Status = 0;                // 0 ordinary, 9 sample entry

    // Exactly kSize bytes.
    std::string toBytes() const;
    // Reads kSize bytes; fewer bytes (a record past the end) read as a blank
    // record with zero numbers.
    static TitleRecord fromBytes(std::string_view bytes);
};

struct ContentRecord {
    static constexpr std::size_t kSize = 146;

    std::string 出力;  // 2 bytes: "1" checked, "2" unchecked, "0" newly saved
    std::string 項目;  // 50 bytes
    std::string 内容;  // 90 bytes
    int16_t 親Rec = 0;
    int16_t 自分Rec = 0;

    std::string toBytes() const;
    static ContentRecord fromBytes(std::string_view bytes);
};

}  // namespace mk
