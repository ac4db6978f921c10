// 新規保存 of a 50-row entry (B7) into the full data set: the files hold
// 32,717 content records, so the save takes the last 50 numbers the content
// file can address. Also at 8,192 records (_8k). The routine's waits are
// instant (the scripted message service's clock jumps).
//
// Prints, one line each (medians, milliseconds):
//   save_new_50_ms   the save, from the button's routine to its message
//   save_floor_ms    the floor: one pwrite and one fdatasync for each record
//                    the save touches (50 content records, one title record)
//   save_ratio       save_new_50_ms / save_floor_ms
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/dataset.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/records.h"

namespace {

constexpr int kRows = 50;
constexpr int kRuns = 7;

void copyDataFolder(const std::string& sourceApp, const std::string& app) {
    const std::string data = mk::DataStore(sourceApp).dataFolder();
    std::filesystem::copy(data, mk::DataStore(app).dataFolder(),
                          std::filesystem::copy_options::recursive);
}

// One save into a fresh copy of the data set in `source`.
double saveOnce(const std::string& source, bool& completed) {
    mk::bench::TempFolder folder;
    copyDataFolder(source, folder.path());
    mk::Program program(folder.path());
    program.reload();

    mk::ScriptedMessages messages;  // answers Yes; waits are instant
    mk::EditSession session(program);
    mk::SetVsGrid51(session.table, false);
    session.titleBox.text = "新しいサイト";
    session.table.setRows(kRows + 2);
    for (int r = 1; r <= kRows; ++r) {
        session.table.setText(r, mk::ecol::Item, "項目" + std::to_string(r));
        session.table.setText(r, mk::ecol::Content, "内容" + std::to_string(r));
    }
    const double ms = mk::bench::timeMs([&] { mk::新規保存(session); });
    completed = !messages.messages.empty() && messages.last().text == "新規保存が完了しました。";
    return ms;
}

double floorOnce(const std::string& source) {
    mk::bench::TempFolder folder;
    copyDataFolder(source, folder.path());
    mk::DataStore store(folder.path());
    int titles = ::open(store.titlePath().c_str(), O_WRONLY);
    int contents = ::open(store.contentPath().c_str(), O_WRONLY);
    const std::string title(mk::TitleRecord::kSize, ' ');
    const std::string content(mk::ContentRecord::kSize, ' ');
    bool ok = titles >= 0 && contents >= 0;
    const off_t firstNew = std::filesystem::file_size(store.contentPath());
    const double ms = mk::bench::timeMs([&] {
        for (int i = 0; ok && i < kRows; ++i)
            ok = ::pwrite(contents, content.data(), content.size(),
                          firstNew + off_t(i) * off_t(content.size())) == ssize_t(content.size()) &&
                 ::fdatasync(contents) == 0;
        ok = ok && ::pwrite(titles, title.data(), title.size(), 0) == ssize_t(title.size()) &&
             ::fdatasync(titles) == 0;
    });
    if (titles >= 0) ::close(titles);
    if (contents >= 0) ::close(contents);
    if (!ok) std::fprintf(stderr, "bench_save: the floor's writes failed\n");
    return ms;
}

int run(const mk::bench::DataSetSize& full, const char* suffix) {
    using namespace mk::bench;
    TempFolder source;
    {
        mk::DataStore store(source.path());
        writeDataSet(store, scaledDataSet(full.contents - kRows));
    }
    const std::string& data = source.path();
    std::vector<double> saves, floors;
    bool allCompleted = true;
    for (int i = 0; i < kRuns; ++i) {
        bool completed = false;
        saves.push_back(saveOnce(data, completed));
        allCompleted = allCompleted && completed;
        floors.push_back(floorOnce(data));
    }
    if (!allCompleted) std::fprintf(stderr, "bench_save%s: a save did not complete\n", suffix);
    const double save = median(saves), floor = median(floors);
    printFigure("save_new_50_ms", suffix, save);
    printFigure("save_floor_ms", suffix, floor);
    printRatio("save_ratio", suffix, save, floor);
    return allCompleted ? 0 : 1;
}

}  // namespace

int main() { return mk::bench::runAtBothSizes(run); }
