#include "core/store/data_store.h"

#include "core/store/open_files.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kOpenfile1Location = "4802 :  Sub Openfile1()";
const char* const kOpenfile2Location = "4951 :  Sub Openfile2()";

void requireOpen(const fs::File& file) {
    if (!file.isOpen()) throw RuntimeError(ErrBadFileNameOrNumber);
}

void requireRecordNumber(long n) {
    if (n < 1) throw RuntimeError(ErrBadRecordNumber);
}

// Closes without raising: used on the way out of a failed operation, whose
// own error is the one to report.
void closeQuietly(fs::File& file) {
    try {
        file.close();
    } catch (...) {
    }
}

// Opens `path` as a random-access file of `recordLength`-byte records under
// the routine's error trap. On failure the file stays closed and the count
// is 0, so that nothing looks stored in a file that could not be opened.
void openDataFile(const std::string& location, DataStore& store, fs::File& file,
                  const std::string& path, std::size_t recordLength, int& maxrec) {
    bool ok = Trap(location, [&] {
        std::string folder = store.dataFolder();
        MakeFolderPath(folder);
        file.close();
        store.finishInterruptedWrites();
        file = fs::File::openReadWrite(path);
        const int64_t whole = file.size() / static_cast<int64_t>(recordLength);
        maxrec = static_cast<int>(std::min<int64_t>(whole, INT_MAX));
    });
    if (!ok) {
        closeQuietly(file);
        maxrec = 0;
    }
}

template <class Record>
Record readRecord(const fs::File& file, long n) {
    requireOpen(file);
    requireRecordNumber(n);
    char buffer[Record::kSize];
    const std::size_t got =
        file.readAt(static_cast<int64_t>(n - 1) * Record::kSize, buffer, Record::kSize);
    return Record::fromBytes(std::string_view(buffer, got));
}

// The bytes of record n, checked as every write of a record is.
template <class Record>
std::string recordBytesFor(const fs::File& file, long n, const Record& record, int& maxrec) {
    requireOpen(file);
    requireRecordNumber(n);
    // No 16-bit field can name a record beyond this; writing there would only
    // grow the file with records nobody can reach.
    if (n > kMaxRecordNumber) throw RuntimeError(ErrBadRecordNumber);
    // A torn tail after the last whole record is simply overwritten.
    if (n > maxrec) maxrec = static_cast<int>(n);
    return record.toBytes();
}

template <class Record>
std::vector<Record> readAll(const fs::File& file, int maxrec, FieldForm form) {
    requireOpen(file);
    std::vector<Record> records;
    if (maxrec <= 0) return records;
    const std::size_t total = static_cast<std::size_t>(maxrec) * Record::kSize;
    std::string bytes(total, '\0');
    bytes.resize(file.readAt(0, bytes.data(), total));
    records.reserve(static_cast<std::size_t>(maxrec));
    const std::string_view all(bytes);
    for (int i = 0; i < maxrec; ++i) {
        const std::size_t offset = static_cast<std::size_t>(i) * Record::kSize;
        // A file shortened meanwhile reads as blank records, like a read past the end.
        records.push_back(offset < all.size() ? Record::fromBytes(all.substr(offset, Record::kSize), form)
                                              : Record::fromBytes({}, form));
    }
    return records;
}

}  // namespace

FreeMarkRefused::FreeMarkRefused()
    : RuntimeError(ErrIllegalCall, "表題または項目が削除済みの印と同じになります。") {}

DataStore::OpenFiles::OpenFiles(DataStore& store, Which which) : store_(store), which_(which) {
    if (which & Titles) store.Openfile1();
    if (which & Contents) store.Openfile2();
    if (((which & Titles) && !store.file1Open()) || ((which & Contents) && !store.file2Open())) {
        closeQuietly();
        throw RuntimeError(ErrPathFileAccess);
    }
}

DataStore::OpenFiles::~OpenFiles() { closeQuietly(); }

void DataStore::OpenFiles::closeQuietly() {
    if (which_ & Titles) mk::closeQuietly(store_.file1_);
    if (which_ & Contents) mk::closeQuietly(store_.file2_);
}

void DataStore::OpenFiles::close() {
    // Both are closed even when the first close fails; the first error counts.
    try {
        if (which_ & Titles) store_.file1_.close();
    } catch (...) {
        closeQuietly();
        throw;
    }
    if (which_ & Contents) store_.file2_.close();
}

DataStore::DataStore(std::string appFolder) : appFolder_(std::move(appFolder)) {
    EnsureTrailingBackslash(appFolder_);
}

std::string DataStore::dataFolder() const {
    return appFolder_ + kDataFolderName + "/";
}

std::string DataStore::titlePath() const { return dataFolder() + kTitleFileName; }

std::string DataStore::contentPath() const { return dataFolder() + kContentFileName; }

void DataStore::Openfile1() {
    openDataFile(kOpenfile1Location, *this, file1_, titlePath(), TitleRecord::kSize, Maxrec1);
}

void DataStore::Openfile2() {
    openDataFile(kOpenfile2Location, *this, file2_, contentPath(), ContentRecord::kSize, Maxrec2);
}

void DataStore::Close1() { file1_.close(); }

void DataStore::Close2() { file2_.close(); }

void DataStore::CloseAll() {
    // Both are closed even when the first close fails; the first error counts.
    try {
        file1_.close();
    } catch (...) {
        closeQuietly(file2_);
        throw;
    }
    file2_.close();
}

TitleRecord DataStore::readTitle(long n) {
    if (journal_ && n >= 1)
        if (const std::string* bytes = journal_->staged(file1_, int64_t(n - 1) * TitleRecord::kSize))
            return TitleRecord::fromBytes(*bytes);
    return readRecord<TitleRecord>(file1_, n);
}

ContentRecord DataStore::readContent(long n) {
    if (journal_ && n >= 1)
        if (const std::string* bytes = journal_->staged(file2_, int64_t(n - 1) * ContentRecord::kSize))
            return ContentRecord::fromBytes(*bytes);
    return readRecord<ContentRecord>(file2_, n);
}

void DataStore::writeTitle(long n, const TitleRecord& record) {
    putRecord(file1_, int64_t(n - 1) * TitleRecord::kSize, recordBytesFor(file1_, n, record, Maxrec1));
}

void DataStore::writeContent(long n, const ContentRecord& record) {
    putRecord(file2_, int64_t(n - 1) * ContentRecord::kSize,
              recordBytesFor(file2_, n, record, Maxrec2));
}

void DataStore::putRecord(fs::File& file, int64_t offset, const std::string& bytes) {
    noteWritten(file, offset);
    if (journal_)
        journal_->stage(file, offset, bytes);
    else
        file.writeAt(offset, bytes.data(), bytes.size());
}

void DataStore::noteWritten(const fs::File& file, int64_t offset) {
    // Past a few hundred records a loader reads the whole pair anyway.
    constexpr std::size_t kMostNoted = 512;
    if (written_.whole) return;
    const bool titles = &file == &file1_;
    std::vector<int>& noted = titles ? written_.titles : written_.contents;
    if (noted.size() >= kMostNoted) {
        markPairReplaced();
        return;
    }
    const int64_t length = titles ? int64_t(TitleRecord::kSize) : int64_t(ContentRecord::kSize);
    noted.push_back(int(offset / length + 1));
}

namespace {

std::string storedRecordBytes(const fs::File& file, long n, std::size_t size) {
    requireOpen(file);
    requireRecordNumber(n);
    std::string bytes(size, '\0');
    file.readAt(int64_t(n - 1) * int64_t(size), bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

std::string DataStore::titleRecordBytes(long n) { return storedRecordBytes(file1_, n, TitleRecord::kSize); }

std::string DataStore::contentRecordBytes(long n) { return storedRecordBytes(file2_, n, ContentRecord::kSize); }

std::vector<TitleRecord> DataStore::readAllTitles(FieldForm form) {
    return readAll<TitleRecord>(file1_, Maxrec1, form);
}

std::vector<ContentRecord> DataStore::readAllContents(FieldForm form) {
    return readAll<ContentRecord>(file2_, Maxrec2, form);
}

void DataStore::readOpenPairBytes(std::string& titleBytes, std::string& contentBytes) {
    auto readAllBytes = [](const fs::File& file, int maxrec, std::size_t size, std::string& bytes) {
        requireOpen(file);
        bytes.resize(std::size_t(std::max(maxrec, 0)) * size);
        const std::size_t got = bytes.empty() ? 0 : file.readAt(0, bytes.data(), bytes.size());
        std::fill(bytes.begin() + std::ptrdiff_t(got), bytes.end(), '\0');
    };
    readAllBytes(file1_, Maxrec1, TitleRecord::kSize, titleBytes);
    readAllBytes(file2_, Maxrec2, ContentRecord::kSize, contentBytes);
}

StoredEntry DataStore::readEntry(int titleRec) {
    StoredEntry entry;
    OpenFiles open(*this, OpenFiles::Both);
    if (titleRec < 1 || titleRec > Maxrec1) throw RuntimeError(ErrBadRecordNumber);
    entry.titleRec = titleRec;
    entry.title = readTitle(titleRec);
    for (int16_t child : entry.title.子Rec)
        if (child > 0) entry.rows.push_back(readContent(child));
    open.close();
    return entry;
}

std::vector<TitleRecord> DataStore::readTitles() {
    OpenFiles open(*this, OpenFiles::Titles);
    std::vector<TitleRecord> titles = readAllTitles();
    open.close();
    return titles;
}

std::vector<ContentRecord> DataStore::readContents() {
    OpenFiles open(*this, OpenFiles::Contents);
    std::vector<ContentRecord> contents = readAllContents();
    open.close();
    return contents;
}

std::optional<TitleRecord> DataStore::titleAt(long n) {
    OpenFiles open(*this, OpenFiles::Titles);
    std::optional<TitleRecord> record;
    if (n >= 1 && n <= Maxrec1) record = readTitle(n);
    open.close();
    return record;
}

std::optional<ContentRecord> DataStore::contentAt(long n) {
    OpenFiles open(*this, OpenFiles::Contents);
    std::optional<ContentRecord> record;
    if (n >= 1 && n <= Maxrec2) record = readContent(n);
    open.close();
    return record;
}

bool DataStore::ownsContent(long titleRec, long contentRec) {
    OpenFiles open(*this, OpenFiles::Both);
    bool owned = false;
    if (titleRec >= 1 && titleRec <= Maxrec1 && contentRec >= 1 && contentRec <= Maxrec2) {
        const TitleRecord title = readTitle(titleRec);
        owned = std::find(title.子Rec.begin(), title.子Rec.end(), int16_t(contentRec)) !=
                    title.子Rec.end() &&
                !readContent(contentRec).itemReadsAsDeletedMark();
    }
    open.close();
    return owned;
}

}  // namespace mk
