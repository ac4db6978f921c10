#include "core/generator/site_form.h"

#include <cstdint>

namespace mk {

std::vector<EntryRowText> SiteEntryRows(const std::vector<std::string>& names,
                                        const std::vector<std::string>& values,
                                        const std::string& password) {
    std::vector<EntryRowText> rows;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // A name without a value is not carried.
        if (values[i].empty()) continue;
        rows.emplace_back(i < names.size() ? names[i] : std::string(), values[i]);
    }
    rows.emplace_back(kPasswordItem, password);
    return rows;
}

namespace {

// The text as ASCII digits and signs: full-width digits, "／", "－", "．"
// and the ideographic space become their half-width forms; 年 and 月 become
// "/", 日 is dropped. False when anything else non-ASCII is in it.
bool normalise(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        // Three-byte UTF-8 sequences only (all the forms above are).
        if ((c & 0xF0) != 0xE0 || i + 2 >= text.size()) return false;
        const uint32_t cp = (uint32_t(c & 0x0F) << 12) | (uint32_t(text[i + 1] & 0x3F) << 6) |
                            uint32_t(text[i + 2] & 0x3F);
        i += 3;
        if (cp >= 0xFF10 && cp <= 0xFF19)
            out += char('0' + (cp - 0xFF10));
        else if (cp == 0xFF0F || cp == 0x5E74 || cp == 0x6708)  // ／ 年 月
            out += '/';
        else if (cp == 0xFF0D)
            out += '-';
        else if (cp == 0xFF0E)
            out += '.';
        else if (cp == 0x3000)
            out += ' ';
        else if (cp == 0x65E5)  // 日
            out += '\x01';      // the end of a 年月日 date
        else
            return false;
    }
    return true;
}

bool leapYear(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

bool IsDateText(std::string_view text) {
    std::string s;
    if (!normalise(text, s)) return false;
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    // 日 may only end a date written with 年 and 月.
    const auto day = s.find('\x01');
    if (day != std::string::npos) {
        if (day != s.size() - 1) return false;
        s.pop_back();
    }

    std::vector<long> parts;
    char separator = 0;
    std::size_t i = 0;
    while (true) {
        const std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == start || i - start > 4) return false;
        parts.push_back(std::stol(s.substr(start, i - start)));
        if (i == s.size()) break;
        const char sep = s[i];
        if (sep != '/' && sep != '-' && sep != '.') return false;
        if (separator && sep != separator) return false;
        separator = sep;
        ++i;
    }
    if (parts.size() != 2 && parts.size() != 3) return false;
    long year = 2000;  // month and day alone: any leap year lets 2/29 pass
    long month = parts[0], dayOfMonth = parts[1];
    if (parts.size() == 3) {
        year = parts[0];
        month = parts[1];
        dayOfMonth = parts[2];
        if (year < 100) year += year < 30 ? 2000 : 1900;
    }
    if (month < 1 || month > 12 || dayOfMonth < 1) return false;
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = days[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
    return dayOfMonth <= last;
}

}  // namespace mk
