// The old single-file format 備忘録.dat, read record by record into a new
// pair as the conversion does. No input may give an error.
#include <cstddef>
#include <cstdint>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/maintenance/foreign_files.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace mk;
    fuzz::allowErrors({});
    fuzz::writeDataFile(kOldVersionFileName, data, size);
    OldVersionReader reader(fuzz::dataFolder());
    if (!reader.Openfile6()) return 0;
    Trap("convert", [&] {
        PairBuilder pair;
        for (int i = 1; i <= reader.count(); ++i) {
            const ForeignEntry entry = reader.read(i);
            pair.add(entry.title, entry.rows);
        }
    });
    return 0;
}
