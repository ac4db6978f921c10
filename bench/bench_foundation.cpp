// Loading the browse table from a data set of realistic size: 3,000 entries
// and 32,767 content records (the most a content file can address).
//
// Prints, one line each:
//   load_ms        median time of データ読込 into a grid table, ready to paint
//                  (the reload after every save: the table already exists)
//   load_fresh_ms  the same into a new, empty table (the first load at start)
//   read_floor_ms  median time of a plain read of the two files' bytes
//   load_ratio     load_ms / read_floor_ms
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/dataset.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace {

constexpr int kLoadRuns = 15;
constexpr int kReadRuns = 15;

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

}  // namespace

int main() {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    mk::DataStore store(folder.path());
    const DataSetSize size;
    writeDataSet(store, size);

    mk::GridTable table(1, 1);
    std::vector<double> loads;
    for (int run = 0; run < kLoadRuns; ++run)
        loads.push_back(timeMs([&] { mk::データ読込(store, table, false); }));
    std::vector<double> fresh;
    for (int run = 0; run < kLoadRuns; ++run) {
        mk::GridTable newTable(1, 1);
        fresh.push_back(timeMs([&] { mk::データ読込(store, newTable, false); }));
    }
    if (table.rows() != size.contents + 1) {
        std::fprintf(stderr, "bench_foundation: expected %d rows, loaded %d\n", size.contents + 1,
                     table.rows());
        status = 1;
    }

    std::vector<char> buffer;
    std::size_t bytes = 0;
    const double read = medianMs(kReadRuns, [&] {
        bytes = readPlain(store.titlePath(), buffer) + readPlain(store.contentPath(), buffer);
    });
    if (bytes != std::size_t(size.titles) * mk::TitleRecord::kSize +
                     std::size_t(size.contents) * mk::ContentRecord::kSize) {
        std::fprintf(stderr, "bench_foundation: read %zu bytes\n", bytes);
        status = 1;
    }

    const double load = median(loads);
    std::printf("load_ms %.2f\n", load);
    std::printf("load_fresh_ms %.2f\n", median(fresh));
    std::printf("read_floor_ms %.3f\n", read);
    std::printf("load_ratio %.1f\n", read > 0 ? load / read : 0.0);
    return status;
}
