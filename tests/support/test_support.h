#pragma once
// Helpers shared by the tests: a temporary application folder, and one
// writer and reader of the data files' records that does not go through the
// code under test (texts through Python's cp932 codec).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mk::test {

// A fresh empty folder under /tmp, removed with everything in it on
// destruction. path() ends in "/".
class TempFolder {
public:
    // Under /tmp; with `inMemory`, on /dev/shm where there is one, for tests
    // that sync thousands of times and need no disk to prove their point.
    explicit TempFolder(bool inMemory = false);
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
// Lower-case hex of bytes, two digits each.
std::string hexOf(const std::string& bytes);
// The number of the RuntimeError the call throws, 0 when it throws none.
int errorNumberOf(const std::function<void()>& call);

// ---- records --------------------------------------------------------------
// CP932 bytes of a text (ASCII passes straight through).
std::string cp932Bytes(const std::string& text);
// One record's bytes: texts in CP932, padded with spaces (cut to the field
// when longer), numbers little-endian; slots past the list are 0.
std::string titleRecordBytes(const std::string& title, const std::vector<int>& slots, int self,
                             int status = 0);
std::string contentRecordBytes(const std::string& output, const std::string& item,
                               const std::string& content, int parent, int self);

// A pair read back record by record. Texts are the fields' CP932 bytes with
// trailing spaces removed (compare with cp932Bytes for non-ASCII).
struct PairRow {
    int record = 0;  // the content record a slot names
    std::string output, item, content;
    int parent = 0, self = 0;
};
struct PairEntry {
    int titleRec = 0;
    std::string title;
    std::vector<int> children;  // the 50 子Rec slots
    int self = 0, status = 0;
    bool allZero = false;      // the record is zero bytes (a deleted title)
    std::vector<PairRow> rows;  // the used slots' records, in slot order
};
std::vector<PairEntry> readPair(const std::string& titlePath, const std::string& contentPath);
// Content record n of a content file, or of its bytes.
PairRow readContentRecord(const std::string& contentPath, int n);
PairRow contentRecordIn(const std::string& contentFile, int n);

// A desktop of its own for the test's lifetime: the XDG folder variables
// point into a temporary folder, where one desktop entry (its program
// `true`) opens the given MIME types. Without types nothing opens anything.
class DesktopPrograms {
public:
    explicit DesktopPrograms(const std::vector<std::string>& mimeTypes);
    ~DesktopPrograms();
    DesktopPrograms(const DesktopPrograms&) = delete;
    DesktopPrograms& operator=(const DesktopPrograms&) = delete;
    // The folder that holds XDG_CONFIG_HOME/, XDG_DATA_DIRS/applications/, ...
    const std::string& root() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::vector<std::pair<std::string, std::string>> saved_;  // name, value ("\0" unset)
};

// Runs a shell command (for the python3 cross-checks); returns its stdout.
std::string runCommand(const std::string& command, int* exitCode = nullptr);

}  // namespace mk::test
