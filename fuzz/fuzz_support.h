#pragma once
// Shared by the fuzz targets: one data folder for the whole run, held in
// memory beneath the core's file layer so that a run costs no disk, and a
// message service that stays silent but stops the run on an error report
// that the reader under test must never give for any input.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace mk::fuzz {

// The program folder of the run and its data folder, which holds the files
// a target reads. Both live in memory (memory_files.h); the first call puts
// the memory file system beneath the file layer.
const std::string& appFolder();
const std::string& dataFolder();

// Makes the data folder's file `name` hold `bytes`.
void writeDataFile(const char* name, const uint8_t* data, std::size_t size);

// Until the next call: error reports with one of `numbers` pass silently,
// any other one aborts (the fuzzer records it as a finding). Installs the
// service on first use.
void allowErrors(std::initializer_list<int> numbers);

}  // namespace mk::fuzz
