#pragma once
// What every benchmark shares: the realistic data set, written through the
// store from a fixed seed so that every run and every benchmark measures the
// same files, and the timing helpers.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/store/records.h"
#include "tests/support/test_support.h"

namespace mk {
class DataStore;
class EditSession;
}

namespace mk::bench {

// The largest data set the files can address: 3,000 entries over 32,767
// content records. A smaller run keeps the same shape (about eleven rows an
// entry) so that figures at two sizes can be compared.
struct DataSetSize {
    int titles = 3000;
    int contents = kMaxRecordNumber;
};
DataSetSize scaledDataSet(int contents);

// Writes the pair through the store's whole-pair replacement. Titles repeat
// (neighbouring entries sometimes share one), texts mix Japanese and ASCII,
// URLs, card numbers and notes; an entry's records mostly follow each other,
// with one in ten elsewhere in the file as after years of edits.
void writeDataSet(DataStore& store, DataSetSize size = {}, uint64_t seed = 20261208);

// The two foreign files at the data set's size (as many content rows), from
// the seed: the other product's パスワード管理.dat (ten rows at most an
// entry, contents enciphered or plain behind "-*-") and this program's old
// 備忘録.dat (twenty rows at most, now and then a gap between filled rows).
void writeImportFile(const std::string& path, DataSetSize size = {}, uint64_t seed = 20261208);
void writeOldVersionFile(const std::string& path, DataSetSize size = {}, uint64_t seed = 20261208);

// Fills the edit screen with the first stored entry of `rows` rows as the
// browse screen hands it over (record numbers in the hidden columns), every
// content changed; gives its title record, 0 when there is none.
int openStoredEntry(EditSession& session, int rows);

// The tests' temporary folder serves the benchmarks too.
using TempFolder = mk::test::TempFolder;

double median(std::vector<double> values);
double timeMs(const std::function<void()>& body);
// Runs `body` `runs` times and gives the median in milliseconds.
double medianMs(int runs, const std::function<void()>& body);

// One figure line, "name<suffix> value", and the ratio line beside it,
// "ratioName<suffix> value / floor".
void printFigure(const char* name, const char* suffix, double value, int decimals = 2);
void printRatio(const char* name, const char* suffix, double value, double floor);

// Runs a benchmark at 8,192 records (figures ending in _8k) and then at the
// full size, small first: a process's peak memory only grows. Gives the
// combined status, 0 when both runs passed.
int runAtBothSizes(const std::function<int(const DataSetSize&, const char* suffix)>& run);

}  // namespace mk::bench
