// The settings file "設定.Int" as the start reads it. Too few lines is the
// one error it may report (62); a cipher text that does not decipher shows
// the cipher's own message and gives what it decoded.
#include <cstddef>
#include <cstdint>

#include "core/app/program.h"
#include "core/settings/settings_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace mk;
    fuzz::allowErrors({62});
    fuzz::writeDataFile(kSettingsFileName, data, size);
    Program program(fuzz::appFolder());
    readSettings(program);
    return 0;
}
