#pragma once
// Byte layouts of the two data files. Little-endian signed 16-bit numbers,
// CP932 text padded with spaces.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mk {

// Marks a free record in 表題 (title file) or 項目 (content file).
inline const char* const kDeletedMark = "<削除<";

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
