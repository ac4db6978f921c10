#pragma once
// Inside the store only: the data files an operation works on, opened for
// the length of a scope. They are closed when the scope ends, also when an
// error is thrown, so that no file stays open between operations.
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

// Inside the store only: the records an operation overwrites in place, so
// that a failure half way puts them back and the entries read as they were,
// not partly new. Declared after the OpenFiles of the operation (the files
// must still be open when it undoes). commit() once every write is done.
class DataStore::Rollback {
public:
    explicit Rollback(DataStore& store);
    ~Rollback();
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    void note(fs::File& file, int64_t offset, std::size_t n);
    void commit();

private:
    struct Saved {
        fs::File* file;
        int64_t offset;
        std::string bytes;  // shorter than the write where it went past the end
    };
    DataStore& store_;
    std::vector<Saved> saved_;
    std::vector<std::pair<fs::File*, int64_t>> sizes_;  // each file's size before
    bool committed_ = false;
};

}  // namespace mk
