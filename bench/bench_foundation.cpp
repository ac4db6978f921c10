// Loading the browse table (B1) and the memory it takes (B9), at the largest
// data set the files can address (32,767 content records, 3,000 entries) and
// at 8,192 records, so that the two can show the cost grows linearly.
//
// Prints, one line each (medians, milliseconds; the 8,192-record figures end
// in _8k):
//   load_ms          データ読込 into a grid table, ready to paint (the reload
//                    after every save: the table already exists)
//   load_fresh_ms    the same into a new, empty table (the first load)
//   load_floor_ms    the floor: reading both files and decoding every text
//                    field from CP932, nothing else
//   load_ratio       load_ms / load_floor_ms
//   read_floor_ms    a plain read of the two files' bytes
//   peak_rss_mb      the process's peak resident memory after the load
//   files_mb         the two files' size
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/dataset.h"
#include "codec/cp932.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace {

constexpr int kRuns = 15;

// The two files' bytes, read as plainly as the platform allows.
std::size_t readPlain(const std::string& path, std::vector<char>& buffer) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    std::size_t total = 0;
    for (;;) {
        if (buffer.size() - total < 65536) buffer.resize(buffer.size() * 2 + 65536);
        ssize_t n = ::read(fd, buffer.data() + total, buffer.size() - total);
        if (n <= 0) break;
        total += std::size_t(n);
    }
    ::close(fd);
    return total;
}

// What no load can avoid: the bytes in, and each text field decoded once.
std::size_t decodeEveryField(const mk::DataStore& store, std::vector<char>& buffer) {
    std::size_t characters = 0;
    auto decodeFields = [&](std::size_t size, std::size_t recordSize,
                            std::initializer_list<std::pair<int, int>> fields) {
        for (std::size_t at = 0; at + recordSize <= size; at += recordSize)
            for (auto [offset, width] : fields)
                characters +=
                    mk::cp932::decode(std::string_view(buffer.data() + at + offset, width)).size();
    };
    decodeFields(readPlain(store.titlePath(), buffer), mk::TitleRecord::kSize, {{0, 50}});
    decodeFields(readPlain(store.contentPath(), buffer), mk::ContentRecord::kSize,
                 {{0, 2}, {2, 50}, {52, 90}});
    return characters;
}

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    mk::DataStore store(folder.path());
    writeDataSet(store, size);

    mk::GridTable table(1, 1);
    const double load = medianMs(kRuns, [&] { mk::データ読込(store, table, false); });
    const double rss = peakRssMb();
    const double fresh = medianMs(kRuns, [&] {
        mk::GridTable newTable(1, 1);
        mk::データ読込(store, newTable, false);
    });
    if (table.rows() != size.contents + 1) {
        std::fprintf(stderr, "bench_foundation: expected %d rows, loaded %d\n", size.contents + 1,
                     table.rows());
        status = 1;
    }

    std::vector<char> buffer;
    std::size_t bytes = 0;
    const double read = medianMs(kRuns, [&] {
        bytes = readPlain(store.titlePath(), buffer) + readPlain(store.contentPath(), buffer);
    });
    const double floor = medianMs(kRuns, [&] { decodeEveryField(store, buffer); });

    printFigure("load_ms", suffix, load);
    printFigure("load_fresh_ms", suffix, fresh);
    printFigure("load_floor_ms", suffix, floor);
    printRatio("load_ratio", suffix, load, floor);
    printFigure("read_floor_ms", suffix, read, 3);
    printFigure("peak_rss_mb", suffix, rss, 1);
    printFigure("files_mb", suffix, bytes / 1048576.0, 1);
    return status;
}

}  // namespace

int main() { return mk::bench::runAtBothSizes(run); }
