#pragma once
// What the generator screen carries into the edit screen, and the checks on
// its boxes that need no widget.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mk {

constexpr int kSiteRows = 8;
constexpr int kSiteDateRow = 7;  // the row whose value is the generation date

// The item names the screen starts with, rows 1..8 (index 0 unused).
inline const char* const kDefaultSiteItems[kSiteRows + 1] = {"",
                                                             "パスワードを設定するサイト名",
                                                             "サイトのURL",
                                                             "ID",
                                                             "アカウント",
                                                             "秘密の質問",
                                                             "秘密の答え",
                                                             "パスワード生成日",
                                                             "備考"};

inline const char* const kPasswordItem = "パスワード";

// One row of an entry: item name and content.
using EntryRowText = std::pair<std::string, std::string>;

// The rows an entry gets from the screen: each row whose value is not empty,
// in order, with its (possibly renamed) item, then the password row (empty
// when nothing was generated). `names` and `values` hold rows 1..8 at 0..7.
std::vector<EntryRowText> SiteEntryRows(const std::vector<std::string>& names,
                                        const std::vector<std::string>& values,
                                        const std::string& password);

// True when the text reads as a calendar date: year, month and day joined by
// "/", "-" or "." (or written with 年 月 日), or month and day alone; digits
// half- or full-width, blanks around it ignored. The day must exist in its
// month, leap years included.
bool IsDateText(std::string_view text);

}  // namespace mk
