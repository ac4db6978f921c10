// The other product's file パスワード管理.dat, read record by record into a
// new pair as the import does. A content that does not decipher is the one
// error it may give (5).
#include <cstddef>
#include <cstdint>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/maintenance/foreign_files.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace mk;
    fuzz::allowErrors({5});
    fuzz::writeDataFile(kImportFileName, data, size);
    ImportFileReader reader(fuzz::dataFolder());
    if (!reader.Openfile5()) return 0;
    Trap("import", [&] {
        PairBuilder pair;
        for (int i = 1; i <= reader.count(); ++i) {
            const ForeignEntry entry = reader.read(i);
            pair.add(entry.title, entry.rows);
        }
    });
    return 0;
}
