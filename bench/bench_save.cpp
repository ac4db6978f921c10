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
//   modify_save_ms   修正保存 of a stored 5-row entry with every content
//                    changed, from the button's routine to its end
//   modify_floor_ms  the floor: one pwrite and one fdatasync for each record
//                    it changes (5 content records, the title record) and
//                    one for the journal of their old bytes
//   modify_ratio     modify_save_ms / modify_floor_ms
//   delete_entry_ms  表題を削除 of a stored 5-row entry
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
#include "core/store/text.h"

namespace {

constexpr int kRows = 50;
constexpr int kRuns = 7;

// The copy is synced before anything is timed: otherwise the first
// fdatasync of a command flushes the whole copied file, and the figure grows
// with the data set for a reason that is not the command's.
void copyDataFolder(const std::string& sourceApp, const std::string& app) {
    const std::string data = mk::DataStore(sourceApp).dataFolder();
    const std::string copy = mk::DataStore(app).dataFolder();
    std::filesystem::copy(data, copy, std::filesystem::copy_options::recursive);
    for (const auto& file : std::filesystem::directory_iterator(copy)) {
        const int fd = ::open(file.path().c_str(), O_RDONLY);
        if (fd >= 0) ::fsync(fd), ::close(fd);
    }
}

// The floor of a save: one pwrite and one fdatasync for each record it
// writes: `contentRecords` content records (appended when `append`, else
// spread over the file), the title record and, when `journalBytes` is not
// 0, a journal of that size first.
double floorOnce(const std::string& source, int contentRecords, bool append,
                 std::size_t journalBytes) {
    mk::bench::TempFolder folder;
    copyDataFolder(source, folder.path());
    mk::DataStore store(folder.path());
    int titles = ::open(store.titlePath().c_str(), O_WRONLY);
    int contents = ::open(store.contentPath().c_str(), O_WRONLY);
    const std::string journalPath = store.dataFolder() + "floor.jnl";
    const std::string title(mk::TitleRecord::kSize, ' ');
    const std::string content(mk::ContentRecord::kSize, ' ');
    const std::string journal(journalBytes, ' ');
    bool ok = titles >= 0 && contents >= 0;
    const off_t firstNew = std::filesystem::file_size(store.contentPath());
    const double ms = mk::bench::timeMs([&] {
        if (journalBytes > 0) {
            int j = ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ok = ok && j >= 0 &&
                 ::pwrite(j, journal.data(), journal.size(), 0) == ssize_t(journal.size()) &&
                 ::fdatasync(j) == 0;
            if (j >= 0) ::close(j);
        }
        for (int i = 0; ok && i < contentRecords; ++i) {
            const off_t at = append ? firstNew + off_t(i) * off_t(content.size())
                                    : off_t(100 + 7 * i) * off_t(content.size());
            ok = ::pwrite(contents, content.data(), content.size(), at) == ssize_t(content.size()) &&
                 ::fdatasync(contents) == 0;
        }
        ok = ok && ::pwrite(titles, title.data(), title.size(), 0) == ssize_t(title.size()) &&
             ::fdatasync(titles) == 0;
    });
    if (titles >= 0) ::close(titles);
    if (contents >= 0) ::close(contents);
    if (!ok) std::fprintf(stderr, "bench_save: the floor's writes failed\n");
    return ms;
}

enum class Command { NewSave, ModifySave, DeleteTitle };

// One command of the edit screen in a fresh copy of the data set in
// `source`: 新規保存 of 50 rows, or 修正保存 / 表題を削除 of a 5-row entry.
double commandOnce(const std::string& source, Command command, bool& completed) {
    mk::bench::TempFolder folder;
    copyDataFolder(source, folder.path());
    mk::Program program(folder.path());
    program.reload();

    mk::ScriptedMessages messages;  // answers Yes; waits are instant
    mk::EditSession session(program);
    int title = 0;
    if (command == Command::NewSave) {
        mk::SetVsGrid51(session.table, false);
        session.titleBox.text = "新しいサイト";
        session.table.setRows(kRows + 2);
        for (int r = 1; r <= kRows; ++r) {
            session.table.setText(r, mk::ecol::Item, "項目" + std::to_string(r));
            session.table.setText(r, mk::ecol::Content, "内容" + std::to_string(r));
        }
    } else {
        title = mk::bench::openStoredEntry(session, 5);
    }
    const double ms = mk::bench::timeMs([&] {
        if (command == Command::NewSave)
            mk::新規保存(session);
        else if (command == Command::ModifySave)
            mk::修正保存(session);
        else
            completed = mk::表題を削除(session);
    });
    if (command == Command::NewSave)
        completed = !messages.messages.empty() && messages.last().text == "新規保存が完了しました。";
    else if (command == Command::ModifySave)
        completed = title > 0 && messages.messages.empty() &&
                    session.table.text(1, mk::ecol::Parent) == std::to_string(title);
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
        saves.push_back(commandOnce(data, Command::NewSave, completed));
        allCompleted = allCompleted && completed;
        floors.push_back(floorOnce(data, kRows, true, 0));
    }
    std::vector<double> modifies, modifyFloors, deletes;
    for (int i = 0; i < kRuns; ++i) {
        bool completed = false;
        modifies.push_back(commandOnce(data, Command::ModifySave, completed));
        allCompleted = allCompleted && completed;
        deletes.push_back(commandOnce(data, Command::DeleteTitle, completed));
        allCompleted = allCompleted && completed;
        // The journal of six records' old bytes.
        modifyFloors.push_back(floorOnce(data, 5, false, 6 * 160));
    }
    if (!allCompleted) std::fprintf(stderr, "bench_save%s: a save did not complete\n", suffix);
    const double save = median(saves), floor = median(floors);
    printFigure("save_new_50_ms", suffix, save);
    printFigure("save_floor_ms", suffix, floor);
    printRatio("save_ratio", suffix, save, floor);
    const double modify = median(modifies), modifyFloor = median(modifyFloors);
    printFigure("modify_save_ms", suffix, modify);
    printFigure("modify_floor_ms", suffix, modifyFloor);
    printRatio("modify_ratio", suffix, modify, modifyFloor);
    printFigure("delete_entry_ms", suffix, median(deletes));
    return allCompleted ? 0 : 1;
}

}  // namespace

int main() { return mk::bench::runAtBothSizes(run); }
