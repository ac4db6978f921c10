#pragma once
// Byte layouts of the two data files. Little-endian signed 16-bit numbers,
// CP932 text padded with spaces.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Byte widths of the text fields on disk.
constexpr std::size_t kTitleFieldBytes = 50;
constexpr std::size_t kOutputFieldBytes = 2;
constexpr std::size_t kItemFieldBytes = 50;
constexpr std::size_t kContentFieldBytes = 90;

// True when `text`, stored in a field of `fieldBytes` bytes (encoded to
// CP932 and cut to the field), would read back as the free-record mark.
// Such a title or item would be taken for a free record by the next
// allocation and overwritten, so no writer of user text may store it.
bool storesAsDeletedMark(std::string_view text, std::size_t fieldBytes);

// What a writer of foreign data (an import, a conversion) stores instead of
// a text that storesAsDeletedMark: the mark with its first angle bracket
// full width, "＜削除<", which reads as itself and is plainly not the mark.
// Any other text comes back unchanged.
std::string avoidDeletedMark(std::string text, std::size_t fieldBytes);

// True when a 表題 or 項目 read from disk marks a free record: cleaned, it is
// exactly "<削除<".
bool isDeletedMark(std::string_view field);

// How a record's text fields come out of its bytes. Padded: as the program
// holds them, padded with spaces to the field's width. Cleaned: cut at the
// first NUL and trimmed of spaces on both sides, as the browse table shows
// them; the same text as cleaning the padded form, because neither a NUL nor
// a space byte is ever the trail byte of a CP932 pair, so the cut can be made
// on the bytes and the padding is never decoded.
enum class FieldForm { Padded, Cleaned };

struct TitleRecord {
    static constexpr std::size_t kSize = 154;
    static constexpr int kSlots = 50;

    std::string 表題;                  // 50 bytes
    std::array<int16_t, kSlots> 子Rec{};  // slot i (1..50) is 子Rec[i - 1]
    int16_t 自分Rec = 0;
    int16_t Status = 0;                // 0 ordinary, 9 sample entry

    // Exactly kSize bytes, returned or appended to `out`.
    std::string toBytes() const;
    void appendBytes(std::string& out) const;
    // Reads kSize bytes; fewer bytes (a record past the end) read as a blank
    // record with zero numbers.
    static TitleRecord fromBytes(std::string_view bytes, FieldForm form = FieldForm::Padded);
    // The 表題 field would read back as the free-record mark.
    bool titleReadsAsDeletedMark() const;
    // Some slot names a content record: the browse table shows the entry.
    bool hasRows() const {
        for (const int16_t child : 子Rec)
            if (child > 0) return true;
        return false;
    }
};

struct ContentRecord {
    static constexpr std::size_t kSize = 146;

    std::string 出力;  // 2 bytes: "1" checked, "2" unchecked, "0" newly saved
    std::string 項目;  // 50 bytes
    std::string 内容;  // 90 bytes
    int16_t 親Rec = 0;
    int16_t 自分Rec = 0;

    std::string toBytes() const;  // exactly kSize bytes
    void appendBytes(std::string& out) const;
    static ContentRecord fromBytes(std::string_view bytes, FieldForm form = FieldForm::Padded);
    bool itemReadsAsDeletedMark() const;
};

// A text field's bytes as FieldForm::Cleaned takes them, still CP932: cut at
// the first NUL, spaces trimmed on both sides.
std::string_view cleanedFieldBytes(std::string_view field);

// The fields of a stored record read in place, for a loader that decodes
// each text once, straight into the storage that keeps it. `bytes` holds
// the whole record.
struct TitleRecordBytes {
    std::string_view bytes;
    std::string_view title() const { return bytes.substr(0, kTitleFieldBytes); }
    int16_t slot(int i) const {  // 子Rec slot i, 0-based
        const std::size_t at = kTitleFieldBytes + 2 * std::size_t(i);
        return int16_t(uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8));
    }
    int16_t status() const;
};
struct ContentRecordBytes {
    std::string_view bytes;
    std::string_view output() const { return bytes.substr(0, kOutputFieldBytes); }
    std::string_view item() const { return bytes.substr(kOutputFieldBytes, kItemFieldBytes); }
    std::string_view content() const {
        return bytes.substr(kOutputFieldBytes + kItemFieldBytes, kContentFieldBytes);
    }
};

// True when record n of `bytes` (whole content records) is free, judged on
// the stored bytes of its 項目 without decoding them: the same answer as
// isDeletedMark on the decoded field, because CP932 trail bytes are never
// NUL or a space.
bool contentBytesAreFree(std::string_view bytes, int n);
// The same for title record n of `bytes` (whole title records), on its 表題.
bool titleBytesAreFree(std::string_view bytes, int n);
// The 子Rec slots of title record n of `bytes`, read without decoding its title.
std::array<int16_t, TitleRecord::kSlots> titleSlotsOf(std::string_view bytes, int n);
// For every content record k that `wanted[k]` marks, owner[k] becomes the
// first title record of `titleBytes` whose slots name it (owner[k] already
// set is kept). Both vectors reach past the highest number looked up.
void noteFirstTitleNaming(std::string_view titleBytes, const std::vector<uint8_t>& wanted,
                          std::vector<int>& owner);

// The content record numbers past the end of the content file that title
// records already name (a damaged title can). A new record is never given
// one of them, or its row would belong to that title as well; the gap left
// reads as blank records, which no allocation takes.
class NamedPastEnd {
public:
    // `contentCount`: the whole records of the content file.
    explicit NamedPastEnd(int contentCount);
    void note(const TitleRecord& title);
    // Every title record of `titleBytes` (whole records).
    void noteAll(std::string_view titleBytes);
    // The lowest number above `n` that no title names past the end; may be
    // kMaxRecordNumber + 1 when none is left.
    long nextAfter(long n) const;

private:
    int contentCount_;
    std::vector<bool> named_;
};

// Renumbering records in their stored bytes, without decoding and encoding
// their texts again (which would not give back every byte). `bytes` holds
// whole records; `n` is the record number (1-based) inside it.
void setTitleNumbers(std::string& bytes, int n, const std::array<int16_t, TitleRecord::kSlots>& slots,
                     int16_t own);
void setContentNumbers(std::string& bytes, int n, int16_t parent, int16_t own);

}  // namespace mk
