#pragma once
// Helpers shared by the tests: a temporary application folder and small
// readers of the data files that do not go through the code under test.
#include <cstdint>
#include <string>

namespace mk::test {

// A fresh empty folder under /tmp, removed with everything in it on
// destruction. path() ends in "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
int64_t fileSize(const std::string& path);  // -1 when missing

// Little-endian signed 16-bit value at offset.
int16_t int16At(const std::string& bytes, std::size_t offset);

// Runs a shell command (for the python3 cross-checks); returns its stdout.
std::string runCommand(const std::string& command, int* exitCode = nullptr);

}  // namespace mk::test
