// The data pair as the browse window loads it: the input is split into the
// title file and the content file (its first two bytes, little-endian, give
// the title file's length), then the browse table is built from them and the
// links between them are checked. No input may stop either with an error.
// The files live in memory, so that a run is not a round trip to the disk.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace mk;
    // One store and one browse table for the whole run, as the program
    // keeps them and reloads: a load starts by dropping every row, and a
    // table made anew per run costs more than the load itself. Each open
    // still reads the files as they are now.
    static DataStore store(fuzz::appFolder());
    static GridTable table(1, bcol::Count);
    fuzz::allowErrors({});
    std::size_t titleSize = 0;
    if (size >= 2) {
        titleSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
        data += 2;
        size -= 2;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::putMemoryFile(fuzz::dataFolder() + kTitleFileName, bytes.substr(0, titleSize));
    fuzz::putMemoryFile(fuzz::dataFolder() + kContentFileName, bytes.substr(titleSize));

    データ読込(store, table, true);
    store.linkProblems();
    return 0;
}
