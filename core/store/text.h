#pragma once
// Text helpers used by every reader of the data files. Texts are UTF-8;
// "characters" are Unicode code points.
#include <string>
#include <string_view>

namespace mk {

// Blank from the first NUL on (keeping the length), then trim U+0020 spaces
// (full-width spaces stay). Changes `text` and returns the cleaned text.
std::string CleanField(std::string& text);
std::string CleanField(std::string&& text);

// Removes every LF (10), CR (13) and unit separator (31).
std::string StripLineBreaks(std::string_view text);

// Upper case (half- and full-width Latin), then every full-width character
// with a half-width form to that form: Latin letters, digits, signs, the
// ideographic space, katakana (with their voiced marks); ’ ” ￣ count as
// ' " ~. Hiragana, kanji and the katakana without a half-width form (ヮ ヰ
// ヱ ヵ ヶ ヸ ヹ) stay as they are. A typed text is compared in its stored
// form: CompareKey(AsStored(typed)).
std::string CompareKey(std::string_view text);
// The same into `out` (cleared first), so that a loop over many cells can
// reuse one buffer.
void CompareKeyInto(std::string_view text, std::string& out);

// The key of the keyword search: CompareKey widened so that a word meets
// itself however the input method gave it. Hiragana count as katakana
// (かーど, カード and ｶｰﾄﾞ meet), small kana as their full-size forms (ｯ as
// ﾂ, ヶ as ｹ), and the dashes ― and ‐ as the long vowel ｰ. Texts that
// CompareKey makes equal stay equal. CompareKey itself does not widen: the
// duplicate-title check, the web-address test and the login password keep
// telling these apart.
std::string SearchKey(std::string_view text);
void SearchKeyInto(std::string_view text, std::string& out);

// The text as it reads back once stored: through CP932 and back, so that
// U+301C becomes U+FF5E and characters CP932 lacks become "?". Compare what
// the user typed with what is stored through this.
std::string AsStored(std::string_view text);
// The first character of `text` that does not read back as itself once
// stored (one CP932 lacks, or 〜 that comes back as ～); empty when every
// character does. Lets a caller say which character it refuses.
std::string FirstCharNotStored(std::string_view text);

// The characters of the text that CP932 lacks (each once, in order of first
// appearance): stored, each would read back as "?". Empty when the whole
// text can be stored.
std::string CharsCp932Lacks(std::string_view text);

// What a field of `fieldBytes` bytes holds once the text is stored and read
// back: through CP932, cut to the field without splitting a character, and
// trimmed as a read trims it.
std::string StoredFieldText(std::string_view text, std::size_t fieldBytes);

// Appends "/" (the platform's separator) unless the path already ends in one.
std::string EnsureTrailingBackslash(std::string& path);

// Creates every folder along the path (0700), ignoring every failure.
// Appends the trailing separator to `path` itself.
void MakeFolderPath(std::string& path);

// Trims U+0020 spaces on both sides (the classic Trim).
std::string Trim(std::string_view text);

// The first n characters (code points) of text.
std::string LeftChars(std::string_view text, std::size_t n);

// Number of characters (code points).
std::size_t CharCount(std::string_view text);

// The leading number of a text as Val reads it: leading spaces skipped, an
// optional sign and digits; no digits gives 0. Values are clamped to long.
long LeadingNumber(std::string_view text);

}  // namespace mk
