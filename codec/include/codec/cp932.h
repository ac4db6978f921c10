#pragma once
// The CP932 (Shift-JIS, Windows variant) codec. Text in memory is UTF-8; on
// disk it is CP932. Characters CP932 cannot hold become "?".
//
// Built from glibc iconv's "CP932" tables (its "SHIFT_JIS" maps 0x5C to the
// yen sign and lacks the NEC and IBM extensions).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mk::cp932 {

// Decodes CP932 bytes to UTF-8. Bytes that form no character decode to "?"
// (a lone lead byte at the end included); NUL bytes are kept as U+0000.
std::string decode(std::string_view bytes);
// The same into `out`, whose storage is reused: a caller that decodes many
// fields into strings it keeps allocates nothing once they are large enough.
void decodeInto(std::string& out, std::string_view bytes);

// Encodes UTF-8 to CP932; characters CP932 lacks (and invalid UTF-8) give "?".
std::string encode(std::string_view utf8);

// Encodes and cuts/pads to exactly `width` bytes: never splits a two-byte
// character, pads with spaces (0x20) on the right.
std::string encodeField(std::string_view utf8, std::size_t width);
// The same, appended to `out` (a record is put together field by field).
void appendField(std::string& out, std::string_view utf8, std::size_t width);

// Each character's CP932 code as one 16-bit value: 0..255 for a single byte,
// lead * 256 + trail for two bytes; "?" (63) for characters CP932 lacks.
std::vector<uint16_t> codes(std::string_view utf8);

// The character (UTF-8) for a 16-bit code, the reverse of codes(), and the
// text of a run of codes.
std::string fromCode(uint16_t code);
std::string fromCodes(const std::vector<uint16_t>& codes);
// The same, appended to `out`.
void appendCharacter(std::string& out, uint16_t code);

}  // namespace mk::cp932
