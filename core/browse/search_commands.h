#pragma once
// The commands that start a search: the label buttons "検索", "絞込検索",
// "再表示" and "全データ表示", Enter and Esc in the search box, and a click
// on a display-mode option.
#include <functional>
#include <string>

#include "core/browse/search.h"

namespace mk {

enum class SearchCommand {
    Search = 1,     // Label1(1) "検索": a new search
    Narrow = 2,     // Label1(2) "絞込検索": narrows the current result
    Redisplay = 3,  // Label1(3) "再表示": back to the whole, unmarked table
    ShowAll = 4,    // Label1(4) "全データ表示": reload from the data files
    EnterKey,       // Enter in the search box: a narrowing search, table shown
    EscKey,         // Esc in the search box: empties it
    OptionClick,    // a click on either display-mode option: a new search
};

// Message A (the label buttons) and message B (Enter, the options: five
// trailing spaces).
inline const char* const kBlankKeywordA = "空白のキーワードは検索できません。";
inline const char* const kBlankKeywordB = "空白のキーワードは検索できません。     ";

bool keywordIsBlank(const std::string& keyword);

// Runs one command. `reload` rebuilds the browse table from the data files
// (and refreshes whatever shows it); only "全データ表示" calls it.
void runSearchCommand(SearchCommand command, GridTable& table, SearchView& view,
                      SearchKeyCache* cache, const std::function<void()>& reload);

}  // namespace mk
