#pragma once
// Inside the store only: the data files an operation works on, opened for
// the length of a scope. They are closed when the scope ends, also when an
// error is thrown, so that no file stays open between operations.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/data_store.h"

namespace mk {

class DataStore::OpenFiles {
public:
    enum Which { Titles = 1, Contents = 2, Both = 3 };

    // Opens through Openfile1 / Openfile2, which report their own errors; a
    // file that did not open is error 75 for the operation.
    OpenFiles(DataStore& store, Which which);
    ~OpenFiles();
    OpenFiles(const OpenFiles&) = delete;
    OpenFiles& operator=(const OpenFiles&) = delete;

    // The checked close at the end of a successful operation.
    void close();

private:
    void closeQuietly();

    DataStore& store_;
    Which which_;
};

// Inside the store only: the records an operation changes in place, held
// back until commit(). commit() first writes the old bytes of every one of
// them, and each file's size, into the rollback journal beside the pair and
// syncs it; then it writes the records and syncs the files; then it removes
// the journal. A crash before the removal is undone by the next open of the
// pair (finishInterruptedWrites), a failure by commit() itself: every entry
// reads old or new, never a mix, and nothing is reserved for nobody.
// Declared after the OpenFiles of the operation; without commit() nothing of
// the operation reaches the files.
class DataStore::Journal {
public:
    explicit Journal(DataStore& store);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Record bytes for `offset` of an open data file; a second write of the
    // same record replaces the first.
    void stage(fs::File& file, int64_t offset, std::string bytes);
    // The file ends at `length` (less than its size) once committed.
    void stageTruncate(fs::File& file, int64_t length);
    // What the operation has staged for that record, or null.
    const std::string* staged(const fs::File& file, int64_t offset) const;
    void commit();

private:
    struct Changes {
        fs::File* file = nullptr;
        int which = 0;  // 1 title file, 2 content file
        std::map<int64_t, std::string> writes;
        int64_t truncateTo = -1;
    };
    Changes& changesOf(fs::File& file);
    void putBack(const std::string& journal);

    DataStore& store_;
    Changes titles_, contents_;
};

// The rollback journal's bytes, shared by the writer and the reader.
namespace journal {
struct Region {
    int which = 0;  // 1 title file, 2 content file
    int32_t record = 0;  // the region starts at record `record` of its file
    std::string bytes;   // what the file held there (short past its end)
};
struct Contents {
    int64_t titleSize = -1, contentSize = -1;  // -1: the file is not changed
    std::vector<Region> regions;
};
std::string encode(const Contents& contents);
// Nothing when the bytes are not a whole journal (cut short by a crash,
// damaged): then no record was written yet.
std::optional<Contents> decode(std::string_view bytes);
}  // namespace journal

}  // namespace mk
