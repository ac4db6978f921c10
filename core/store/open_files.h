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

}  // namespace mk
