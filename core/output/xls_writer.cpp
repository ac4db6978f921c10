#include "core/output/xls_writer.h"

#include <gsf/gsf.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "core/base/errors.h"

namespace mk {

namespace {

// ---- record bytes --------------------------------------------------------------

constexpr std::size_t kMaxRecordData = 8224;  // BIFF8's limit for one record's data
constexpr int kMaxSheetRows = 65536;

void put16(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
void record(std::string& out, unsigned type, const std::string& data) {
    put16(out, type);
    put16(out, unsigned(data.size()));
    out += data;
}

// BOF (0x0809): BIFF8, the substream type, the build and year of the
// writing program as Excel 97 gives them, and its file history flags.
std::string bofData(unsigned type) {
    std::string d;
    put16(d, 0x0600);
    put16(d, type);
    put16(d, 0x0DBB);
    put16(d, 0x07CC);
    put32(d, 0x00000041);
    put32(d, 0x00000006);
    return d;
}

// UTF-8 to UTF-16LE code units. Bytes that are no UTF-8 become "?".
std::u16string utf16(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        uint32_t cp = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        bool ok = length > 0 && i + length <= text.size();
        for (int k = 1; ok && k < length; ++k) {
            const unsigned char t = static_cast<unsigned char>(text[i + k]);
            ok = (t >> 6) == 2;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are no characters.
        static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[length] || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF)) ok = false;
        if (!ok) {
            out += u'?';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += length;
    }
    return out;
}

void putChars(std::string& s, const std::u16string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) put16(s, text[i]);
}

// A string with a 1-byte length (sheet and font names): always UTF-16.
std::string shortString(const std::string& text) {
    std::u16string u = utf16(text);
    if (u.size() > 255) u.resize(255);
    std::string s;
    s += char(u.size());
    s += char(1);  // fHighByte: two bytes a character
    putChars(s, u, 0, u.size());
    return s;
}

// ---- formats -----------------------------------------------------------------

// The fonts written. Index 4 does not exist in BIFF: the fifth FONT record
// is font 5, so the table skips it.
struct FontKey {
    int size;
    bool bold;
    bool operator<(const FontKey& o) const {
        return std::tie(size, bold) < std::tie(o.size, o.bold);
    }
};
struct XfKey {
    int font;
    Align align;
    bool filled;
    Rgb fill;
    bool operator<(const XfKey& o) const {
        return std::tie(font, align, filled, fill) < std::tie(o.font, o.align, o.filled, o.fill);
    }
};

constexpr int kStyleXfs = 15;    // XF 0..14: the style XFs Excel expects before cell XFs
constexpr int kFormatText = 49;  // the built-in number format "@"

int fontIndexFor(std::map<FontKey, int>& fonts, FontKey key) {
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    const int index = int(fonts.size()) + 4 + 1;  // after the four default fonts, skipping 4
    fonts.emplace(key, index);
    return index;
}

// The colour index of the default BIFF8 palette nearest to a colour.
unsigned paletteIndex(Rgb color) {
    static const Rgb kPalette[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                    0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    unsigned best = 8;
    long bestDistance = -1;
    for (unsigned i = 0; i < 8; ++i) {
        long d = 0;
        for (int shift : {0, 8, 16}) {
            const long a = long((color >> shift) & 0xFF) - long((kPalette[i] >> shift) & 0xFF);
            d += a * a;
        }
        if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = 8 + i;
    }
    return best;
}

// FONT (0x0031): height in 1/20 pt, the old bold flag (readers still take
// it besides the weight), automatic colour, weight,
// no escapement or underline, Swiss family, Shift-JIS character set.
std::string fontRecord(const std::string& name, int size, bool bold) {
    std::string d;
    put16(d, unsigned(size * 20));
    put16(d, bold ? 1 : 0);
    put16(d, 0x7FFF);
    put16(d, bold ? 700 : 400);
    put16(d, 0);
    d += char(0);
    d += char(2);
    d += char(0x80);
    d += char(0);
    d += shortString(name);
    return d;
}

// XF (0x00E0), 20 bytes. A style XF has no parent and marks no attribute
// as its own; a cell XF has style XF 0 as parent and owns all of them.
std::string xfRecord(int font, int format, bool style, Align align, bool filled,
                     unsigned fillIndex) {
    std::string d;
    put16(d, unsigned(font));
    put16(d, unsigned(format));
    put16(d, style ? 0xFFF5 : 0x0001);  // locked; style flag and parent 0xFFF, or parent 0
    const unsigned horizontal = align == Align::Left ? 1 : align == Align::Center ? 2 : 3;
    d += char(horizontal | (1 << 4));   // vertically centred
    d += char(0);                       // no rotation
    d += char(0);                       // no indent
    d += char(style ? 0 : 0xFC);        // attributes this XF sets itself
    put32(d, 0);                        // no borders
    put32(d, filled ? (1u << 26) : 0);  // fill pattern 1 = solid
    put16(d, (filled ? fillIndex : 0x40) | (0x41 << 7));
    return d;
}

// ---- the shared string table -------------------------------------------------

// SST (0x00FC) followed by CONTINUE (0x003C) records. A string's header
// never splits; a string that runs on into a CONTINUE record starts that
// record with its flags byte again.
void sstRecords(std::string& out, const std::vector<std::u16string>& strings, uint32_t total) {
    std::vector<std::string> records(1);
    put32(records[0], total);
    put32(records[0], uint32_t(strings.size()));
    auto room = [&] { return kMaxRecordData - records.back().size(); };
    for (const std::u16string& s : strings) {
        if (room() < 3 + 2) records.emplace_back();  // header and one character
        std::string& head = records.back();
        put16(head, unsigned(s.size()));
        head += char(1);
        std::size_t at = 0;
        while (at < s.size()) {
            std::size_t n = std::min(s.size() - at, room() / 2);
            // Keep a surrogate pair together.
            if (n > 0 && at + n < s.size() && s[at + n - 1] >= 0xD800 && s[at + n - 1] < 0xDC00)
                --n;
            putChars(records.back(), s, at, at + n);
            at += n;
            if (at < s.size()) {
                records.emplace_back();
                records.back() += char(1);
            }
        }
    }
    for (std::size_t i = 0; i < records.size(); ++i)
        record(out, i == 0 ? 0x00FC : 0x003C, records[i]);
}

}  // namespace

std::string biffWorkbookStream(const OutputTable& table, const std::string& sheetName) {
    if (table.rows() > kMaxSheetRows)
        throw RuntimeError(ErrOverflow, describeError(ErrOverflow) + "（" +
                                            std::to_string(table.rows()) +
                                            " 行は表計算ファイルの1シートに入りません）");
    constexpr int kFirstCol = 1, kLastCol = OutputTable::kCols - 1;

    // Fonts, XFs and strings of the cells.
    std::map<FontKey, int> fonts;
    std::map<XfKey, int> xfs;
    std::vector<int> cellXf(std::size_t(table.rows()) * OutputTable::kCols, 0);
    std::vector<std::u16string> strings;
    std::unordered_map<std::u16string, uint32_t> stringIndex;
    std::vector<int64_t> cellString(cellXf.size(), -1);
    uint32_t stringTotal = 0;
    for (int r = 0; r < table.rows(); ++r) {
        for (int c = kFirstCol; c <= kLastCol; ++c) {
            const OutputCell& cell = table.cell(r, c);
            const int font = fontIndexFor(fonts, {cell.fontSize, cell.bold});
            const XfKey key{font, cell.align, bool(cell.back), cell.back.value_or(0)};
            auto xf = xfs.emplace(key, kStyleXfs + 1 + int(xfs.size())).first;
            const std::size_t at = std::size_t(r) * OutputTable::kCols + c;
            cellXf[at] = xf->second;
            if (cell.text.empty()) continue;
            std::u16string u = utf16(cell.text);
            if (u.size() > 32767) u.resize(32767);
            auto s = stringIndex.emplace(u, uint32_t(strings.size()));
            if (s.second) strings.push_back(u);
            cellString[at] = s.first->second;
            ++stringTotal;
        }
    }

    // ---- workbook globals
    std::string globals;
    record(globals, 0x0809, bofData(0x0005));  // workbook globals
    std::string codepage;
    put16(codepage, 1200);  // UTF-16 strings
    record(globals, 0x0042, codepage);
    std::string window1;
    for (unsigned v : {0u, 0u, 0x4000u, 0x2000u, 0x0038u, 0u, 0u, 1u, 0x0258u}) put16(window1, v);
    record(globals, 0x003D, window1);
    // Fonts 0..3: the default font; then the fonts of the cells from 5 on.
    for (int i = 0; i < 4; ++i)
        record(globals, 0x0031, fontRecord(table.fontName, OutputTable::kFontSize, false));
    std::vector<std::pair<int, FontKey>> byIndex;
    for (const auto& [key, index] : fonts) byIndex.push_back({index, key});
    std::sort(byIndex.begin(), byIndex.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (const auto& [index, key] : byIndex)
        record(globals, 0x0031, fontRecord(table.fontName, key.size, key.bold));
    // Style XFs 0..14, the default cell XF 15, then the cells' own.
    for (int i = 0; i < kStyleXfs; ++i)
        record(globals, 0x00E0, xfRecord(0, 0, true, Align::Left, false, 0));
    record(globals, 0x00E0, xfRecord(0, kFormatText, false, Align::Left, false, 0));
    std::vector<std::pair<int, XfKey>> xfByIndex;
    for (const auto& [key, index] : xfs) xfByIndex.push_back({index, key});
    std::sort(xfByIndex.begin(), xfByIndex.end(),
              [](auto& a, auto& b) { return a.first < b.first; });
    for (const auto& [index, key] : xfByIndex)
        record(
            globals, 0x00E0,
            xfRecord(key.font, kFormatText, false, key.align, key.filled, paletteIndex(key.fill)));
    // STYLE (0x0293): the built-in style "Normal" on XF 0.
    std::string style;
    put16(style, 0x8000);
    style += char(0);
    style += char(0xFF);
    record(globals, 0x0293, style);
    // BOUNDSHEET (0x0085): the sheet's BOF offset is patched in below.
    const std::size_t boundSheetAt = globals.size() + 4;
    std::string boundSheet;
    put32(boundSheet, 0);
    put16(boundSheet, 0);  // visible worksheet
    boundSheet += shortString(sheetName);
    record(globals, 0x0085, boundSheet);
    sstRecords(globals, strings, stringTotal);
    record(globals, 0x000A, {});

    const uint32_t sheetOffset = uint32_t(globals.size());
    for (int i = 0; i < 4; ++i) globals[boundSheetAt + i] = char((sheetOffset >> (8 * i)) & 0xFF);

    // ---- the sheet
    std::string sheet;
    record(sheet, 0x0809, bofData(0x0010));  // worksheet
    // COLINFO (0x007D): one per written column, its width in 1/256 of a
    // character of the default font.
    for (int c = kFirstCol; c <= kLastCol; ++c) {
        std::string colInfo;
        const int col = c - kFirstCol;
        put16(colInfo, unsigned(col));
        put16(colInfo, unsigned(col));
        put16(colInfo, unsigned(std::min(65535L, long(table.colWidth(c)) * 256 /
                                                     std::max(1, table.characterWidth))));
        put16(colInfo, kStyleXfs);
        put16(colInfo, 0);
        put16(colInfo, 0);
        record(sheet, 0x007D, colInfo);
    }
    // DIMENSIONS (0x0200): first row, last row + 1, first column, last column + 1.
    std::string dimensions;
    put32(dimensions, 0);
    put32(dimensions, uint32_t(table.rows()));
    put16(dimensions, 0);
    put16(dimensions, kLastCol - kFirstCol + 1);
    put16(dimensions, 0);
    record(sheet, 0x0200, dimensions);
    // ROW (0x0208): each row's own height in twips.
    for (int r = 0; r < table.rows(); ++r) {
        std::string row;
        put16(row, unsigned(r));
        put16(row, 0);
        put16(row, kLastCol - kFirstCol + 1);
        put16(row, unsigned(table.rowHeight(r)) & 0x7FFF);
        put16(row, 0);
        put16(row, 0);
        put32(row, 0x0140 | (uint32_t(kStyleXfs) << 16));  // custom height; always-1 bit
        record(sheet, 0x0208, row);
    }
    // Cells: LABELSST (0x00FD) for texts, BLANK (0x0201) to carry the
    // format of an empty cell.
    for (int r = 0; r < table.rows(); ++r) {
        for (int c = kFirstCol; c <= kLastCol; ++c) {
            const std::size_t at = std::size_t(r) * OutputTable::kCols + c;
            std::string cell;
            put16(cell, unsigned(r));
            put16(cell, unsigned(c - kFirstCol));
            put16(cell, unsigned(cellXf[at]));
            if (cellString[at] >= 0) {
                put32(cell, uint32_t(cellString[at]));
                record(sheet, 0x00FD, cell);
            } else {
                record(sheet, 0x0201, cell);
            }
        }
    }
    // WINDOW2 (0x023E): grid lines, headers, zeros; the sheet selected.
    std::string window2;
    put16(window2, 0x06B6);
    put16(window2, 0);
    put16(window2, 0);
    put32(window2, 0x40);
    put16(window2, 0);
    put16(window2, 0);
    put32(window2, 0);
    record(sheet, 0x023E, window2);
    record(sheet, 0x000A, {});

    return globals + sheet;
}

std::string xlsFileBytes(const OutputTable& table, const std::string& sheetName) {
    const std::string stream = biffWorkbookStream(table, sheetName);
    // The compound file is built in memory; the caller writes it in one go.
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* container = gsf_outfile_msole_new(memory);
    bool ok = container != nullptr;
    if (ok) {
        GsfOutput* child = gsf_outfile_new_child(container, "Workbook", FALSE);
        ok = child &&
             gsf_output_write(child, stream.size(), reinterpret_cast<const guint8*>(stream.data()));
        if (child) {
            ok = gsf_output_close(child) && ok;
            g_object_unref(child);
        }
        ok = gsf_output_close(GSF_OUTPUT(container)) && ok;
        g_object_unref(container);
    }
    // Closing the container has closed the memory sink; its bytes stay.
    std::string bytes;
    if (ok) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        bytes.assign(reinterpret_cast<const char*>(data), std::size_t(gsf_output_size(memory)));
    }
    if (!gsf_output_is_closed(memory)) gsf_output_close(memory);
    g_object_unref(memory);
    if (!ok || bytes.empty()) throw RuntimeError(ErrOutOfMemory);
    return bytes;
}

}  // namespace mk
