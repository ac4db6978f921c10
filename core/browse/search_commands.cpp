#include "core/browse/search_commands.h"

#include "core/base/messages.h"
#include "core/store/text.h"

namespace mk {

bool keywordIsBlank(const std::string& keyword) { return Trim(keyword).empty(); }

namespace {

// Hides the table and shows "検索中" so the user sees that work has started;
// a new search then starts from the whole, unmarked table.
void prepare(GridTable& table, SearchView& view, bool fresh) {
    view.setTableVisible(false);
    view.setCounter(kCounterSearching);
    DoEvents();
    if (fresh) resetSearchMarks(table);
}

bool refuseBlank(const SearchView& view, const char* message) {
    if (!keywordIsBlank(view.keyword())) return false;
    MsgBox(message, Buttons::OK, Icon::None);
    return true;
}

}  // namespace

void runSearchCommand(SearchCommand command, GridTable& table, SearchView& view,
                      SearchKeyCache* cache, const std::function<void()>& reload) {
    switch (command) {
        case SearchCommand::Search:
        case SearchCommand::OptionClick:
            if (refuseBlank(view, command == SearchCommand::Search ? kBlankKeywordA : kBlankKeywordB))
                return;
        {
            // Unmarking and searching again reach the view as one change.
            {
                GridTable::UpdateBatch batch(table);
                prepare(table, view, true);
                検索(table, view, cache);
            }
            view.setTableVisible(true);
            return;
        }
        case SearchCommand::Narrow:
            if (refuseBlank(view, kBlankKeywordA)) return;
            prepare(table, view, false);
            検索(table, view, cache);
            view.setTableVisible(true);
            return;
        case SearchCommand::Redisplay:
            if (refuseBlank(view, kBlankKeywordA)) return;
            prepare(table, view, true);
            view.setTableVisible(true);
            return;
        case SearchCommand::ShowAll:
            if (reload) reload();
            view.setCounter(kCounterIdle);
            return;
        case SearchCommand::EnterKey:
            if (refuseBlank(view, kBlankKeywordB)) return;
            検索(table, view, cache);
            return;
        case SearchCommand::EscKey:
            view.setKeyword("");
            return;
    }
}

}  // namespace mk
