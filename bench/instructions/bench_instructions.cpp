// Instruction counts of the core operations whose cost a machine's load does
// not blur: run under `valgrind --tool=callgrind --collect-atstart=no` (see
// scripts/bench --callgrind), the program counts only the operation itself,
// once, after a warm-up run of it.
//
//   bench_instructions load|load_fresh|search|sort|save|modify|delete|import 8k|full
//
// load:   データ読込 into the browse table that already holds the data set
// load_fresh: the same into a new, empty table (the first load at start-up)
// search: a new search for "楽天" over every row, keys cached
// sort:   the table's own sort by the item column
// save:   新規保存 of a 50-row entry into the data set less 50 rows
// modify: 修正保存 of a stored 5-row entry, every content changed
// delete: 表題を削除 of a stored 5-row entry
// import: ImportOtherProduct of a file of as many rows, reloaded
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "bench/support/dataset.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/browse/search.h"
#include "core/browse/search_commands.h"
#include "core/edit/edit_session.h"
#include "core/maintenance/foreign_files.h"
#include "core/maintenance/foreign_import.h"
#include "core/store/browse_load.h"

namespace {

struct CoreView : mk::SearchView {
    std::string box;
    std::string counter;
    std::string keyword() const override { return box; }
    void setKeyword(const std::string& text) override { box = text; }
    int displayMode() const override { return mk::HitTitles; }
    void setCounter(const std::string& caption) override { counter = caption; }
    void setTableVisible(bool) override {}
};

void counted(const std::function<void()>& body) {
    CALLGRIND_TOGGLE_COLLECT;
    body();
    CALLGRIND_TOGGLE_COLLECT;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: bench_instructions load|load_fresh|search|sort|save|modify|delete|import 8k|full\n");
        return 2;
    }
    const std::string what = argv[1];
    mk::bench::DataSetSize size =
        std::strcmp(argv[2], "8k") == 0 ? mk::bench::scaledDataSet(8192) : mk::bench::DataSetSize{};
    if (what == "save") size = mk::bench::scaledDataSet(size.contents - 50);

    mk::bench::TempFolder folder;
    mk::Program program(folder.path());
    writeDataSet(program.store, size);
    program.reload();
    mk::ScriptedMessages messages;  // answers Yes; waits are instant

    if (what == "load") {
        counted([&] { mk::データ読込(program.store, program.browse, false); });
    } else if (what == "load_fresh") {
        counted([&] {
            mk::GridTable table(1, 1);
            mk::データ読込(program.store, table, false);
        });
    } else if (what == "search") {
        CoreView view;
        mk::SearchKeyCache cache;
        view.box = "楽天";
        mk::runSearchCommand(mk::SearchCommand::Search, program.browse, view, &cache, {});
        counted([&] {
            mk::runSearchCommand(mk::SearchCommand::Search, program.browse, view, &cache, {});
        });
    } else if (what == "sort") {
        program.browse.sortByColumn(mk::bcol::Item, false);
        counted([&] { program.browse.sortByColumn(mk::bcol::Item, true); });
    } else if (what == "save") {
        mk::EditSession session(program);
        mk::SetVsGrid51(session.table, false);
        session.titleBox.text = "新しいサイト";
        session.table.setRows(52);
        for (int r = 1; r <= 50; ++r) {
            session.table.setText(r, mk::ecol::Item, "項目" + std::to_string(r));
            session.table.setText(r, mk::ecol::Content, "内容" + std::to_string(r));
        }
        counted([&] { mk::新規保存(session); });
    } else if (what == "modify" || what == "delete") {
        mk::EditSession session(program);
        if (mk::bench::openStoredEntry(session, 5) == 0) return 1;
        counted([&] {
            if (what == "modify")
                mk::修正保存(session);
            else
                mk::表題を削除(session);
        });
    } else if (what == "import") {
        mk::bench::writeImportFile(program.dataFolder() + mk::kImportFileName, size);
        counted([&] { mk::ImportOtherProduct(program); });
    } else {
        std::fprintf(stderr, "bench_instructions: no operation %s\n", what.c_str());
        return 2;
    }
    return 0;
}
