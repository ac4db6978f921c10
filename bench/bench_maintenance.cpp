// The spreadsheet output of every shown row (B10) and a backup of the pair
// (B12), on the full data set and on 8,192 records (_8k). The routines'
// waits are instant (the scripted message service's clock jumps).
//
// Prints, one line each (medians, milliseconds):
//   xls_output_ms    印刷出力 of the 表示データ layout, file written and renamed
//   xls_floor_ms     the floor: writing and syncing as many bytes to a file
//   xls_ratio        xls_output_ms / xls_floor_ms
//   backup_ms        バックアップ実施 into a new, empty backup folder
//   backup_floor_ms  the floor: cp --preserve=timestamps of the two files
//   backup_ratio     backup_ms / backup_floor_ms
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/dataset.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/output/output_table.h"
#include "core/output/print_output.h"
#include "core/settings/backup.h"
#include "core/settings/settings_file.h"

namespace {

constexpr int kRuns = 7;

struct SilentView : mk::BackupView {
    void setStatus(const std::string&) override {}
    void setStatusVisible(bool) override {}
    void setTargetLabel(const std::string&) override {}
};

double writeFloorMs(const std::string& path, std::size_t bytes) {
    const std::string data(bytes, 'x');
    return mk::bench::medianMs(kRuns, [&] {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        bool ok = fd >= 0 && ::write(fd, data.data(), data.size()) == ssize_t(data.size()) &&
                  ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!ok) std::fprintf(stderr, "bench_maintenance: the write floor failed\n");
    });
}

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    namespace stdfs = std::filesystem;
    int status = 0;
    TempFolder folder;
    mk::Program program(folder.path());
    writeDataSet(program.store, size);
    program.reload();
    mk::ScriptedMessages messages;  // answers Yes; waits are instant

    // ---- the spreadsheet ----
    bool written = true;
    const double xls = medianMs(
        kRuns, [&] { written = written && mk::印刷出力(program, mk::kModeShown).has_value(); });
    const std::string xlsPath = mk::outputFilePath(program);
    if (!written || !stdfs::exists(xlsPath)) {
        std::fprintf(stderr, "bench_maintenance%s: the output was not written\n", suffix);
        return 1;
    }
    const double xlsFloor = writeFloorMs(folder.path() + "floor.bin", stdfs::file_size(xlsPath));

    // ---- the backup ----
    std::vector<double> backups, floors;
    for (int i = 0; i < kRuns; ++i) {
        const std::string target = folder.path() + "backup" + std::to_string(i) + "/";
        program.settings.BackupFolder = target;
        mk::設定書込(program);
        SilentView view;
        backups.push_back(timeMs([&] {
            if (!mk::バックアップ実施(program, view)) status = 1;
        }));
        const std::string copies = folder.path() + "cp" + std::to_string(i) + "/";
        stdfs::create_directory(copies);
        const std::string command = "cp --preserve=timestamps '" + program.store.titlePath() +
                                    "' '" + program.store.contentPath() + "' '" + copies + "'";
        floors.push_back(timeMs([&] {
            if (std::system(command.c_str()) != 0) status = 1;
        }));
    }
    if (status) std::fprintf(stderr, "bench_maintenance%s: a backup or its floor failed\n", suffix);

    const double backup = median(backups), backupFloor = median(floors);
    printFigure("xls_output_ms", suffix, xls);
    printFigure("xls_floor_ms", suffix, xlsFloor);
    printRatio("xls_ratio", suffix, xls, xlsFloor);
    printFigure("xls_file_mb", suffix, stdfs::file_size(xlsPath) / 1048576.0, 1);
    printFigure("backup_ms", suffix, backup);
    printFigure("backup_floor_ms", suffix, backupFloor);
    printRatio("backup_ratio", suffix, backup, backupFloor);
    return status;
}

}  // namespace

int main() { return mk::bench::runAtBothSizes(run); }
