// The store's writes of whole entries and single records: the saves, the
// title and row deletes, the in-place edits and the reservation of content
// records. Every writer of user text refuses the free-record mark here.
#include <algorithm>
#include <vector>

#include "codec/cp932.h"
#include "core/base/errors.h"
#include "core/store/data_store.h"
#include "core/store/open_files.h"
#include "core/store/text.h"

namespace mk {

namespace {

void checkRowCount(const EntryWrite& entry) {
    if (entry.rows.size() > std::size_t(kMaxEntryRows)) throw RuntimeError(ErrSubscript);
}

// A record number of a file with `maxrec` records: error 6 when it cannot
// fit 16 bits, 63 when it is not a record of the file.
void checkRecordNumber(long n, int maxrec) {
    if (n > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    if (n < 1 || n > maxrec) throw RuntimeError(ErrBadRecordNumber);
}

// The whole records of an open data file, as stored.
std::string storedBytes(const fs::File& file, int maxrec, std::size_t size) {
    std::string bytes(std::size_t(std::max(maxrec, 0)) * size, '\0');
    bytes.resize(file.readAt(0, bytes.data(), bytes.size()));
    return bytes;
}

// `count` fresh content records, exactly the numbers that `count` calls of
// AllocateContentRec would return: the free ones lowest first, then appended
// ones. Error 6 when they would not fit the 16-bit numbers.
std::vector<int> freeContentNumbers(std::string_view titleBytes, std::string_view contentBytes,
                                    int count) {
    std::vector<int> numbers;
    if (count <= 0) return numbers;
    const int whole = int(contentBytes.size() / ContentRecord::kSize);
    for (int n = 1; n <= whole && int(numbers.size()) < count; ++n)
        if (contentBytesAreFree(contentBytes, n)) numbers.push_back(n);
    if (int(numbers.size()) == count) return numbers;
    // Appending past the end must not take a number a damaged title names.
    NamedPastEnd namedPastEnd(whole);
    namedPastEnd.noteAll(titleBytes);
    long next = whole;
    while (int(numbers.size()) < count) {
        next = namedPastEnd.nextAfter(next);
        numbers.push_back(int(next));
    }
    if (numbers.back() > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    return numbers;
}

// The lowest free title record (its 表題 the free mark), else the next after
// the last. Error 6 when that number would not fit 自分Rec.
int freeTitleNumber(std::string_view titleBytes) {
    const int titles = int(titleBytes.size() / TitleRecord::kSize);
    for (int t = 1; t <= titles; ++t)
        if (titleBytesAreFree(titleBytes, t)) return t;
    if (titles + 1 > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    return titles + 1;
}

}  // namespace

bool DataStore::storesFreeMark(const EntryWrite& entry) {
    if (storesAsDeletedMark(entry.title, kTitleFieldBytes)) return true;
    for (const RowWrite& row : entry.rows)
        if (storesAsDeletedMark(row.item, kItemFieldBytes)) return true;
    return false;
}

// Every write below is staged in a Journal and reaches the files in its
// commit(): all of it, or (after a crash, once the pair is opened again)
// none of it.

std::vector<int> DataStore::reserveContentRecords(int count) {
    if (count <= 0) return {};
    OpenFiles open(*this, OpenFiles::Both);
    const std::size_t size = ContentRecord::kSize;
    const std::string bytes = storedBytes(file2_, Maxrec2, size);
    const std::vector<int> numbers =
        freeContentNumbers(storedBytes(file1_, Maxrec1, TitleRecord::kSize), bytes, count);
    const int whole = int(bytes.size() / size);
    Journal journal(*this);
    // A reused record keeps its 出力 (the delete left "0"); a new one
    // starts as a newly saved row does, with "0".
    for (int n : numbers) {
        ContentRecord reserved;
        reserved.出力 = "0";
        if (n <= whole)
            reserved.出力 =
                ContentRecord::fromBytes(std::string_view(bytes).substr((n - 1) * size, size)).出力;
        reserved.自分Rec = int16_t(n);
        writeContent(n, reserved);
    }
    journal.commit();
    open.close();
    return numbers;
}

int DataStore::AllocateTitleRec() {
    OpenFiles open(*this, OpenFiles::Titles);
    const std::string bytes = storedBytes(file1_, Maxrec1, TitleRecord::kSize);
    const int candidate = freeTitleNumber(bytes);
    // A reused record keeps its Status; the save that follows sets it.
    TitleRecord reserved;
    if (candidate <= Maxrec1) reserved = readTitle(candidate);
    reserved.表題.clear();
    reserved.子Rec.fill(0);
    reserved.自分Rec = static_cast<int16_t>(candidate);
    Journal journal(*this);
    writeTitle(candidate, reserved);
    journal.commit();
    open.close();
    return candidate;
}

int DataStore::AllocateContentRec() { return reserveContentRecords(1).front(); }

void DataStore::writeNewEntry(EntryWrite& entry) {
    checkRowCount(entry);
    if (storesFreeMark(entry)) throw FreeMarkRefused();
    OpenFiles open(*this, OpenFiles::Both);
    // The numbers the allocations would give, all found (and checked to fit)
    // before anything is staged; the reservation and the save are one write,
    // so a crash never leaves records reserved for nobody.
    const std::string titleBytes = storedBytes(file1_, Maxrec1, TitleRecord::kSize);
    const int title = freeTitleNumber(titleBytes);
    const std::vector<int> children = freeContentNumbers(
        titleBytes, storedBytes(file2_, Maxrec2, ContentRecord::kSize), int(entry.rows.size()));

    Journal journal(*this);
    TitleRecord head;
    head.表題 = entry.title;
    for (std::size_t i = 0; i < entry.rows.size(); ++i) {
        RowWrite& row = entry.rows[i];
        row.record = children[i];
        ContentRecord rec;
        rec.出力 = "0";
        rec.項目 = row.item;
        rec.内容 = row.content;
        rec.親Rec = int16_t(title);
        rec.自分Rec = int16_t(row.record);
        head.子Rec[i] = rec.自分Rec;
        writeContent(row.record, rec);
    }
    head.自分Rec = int16_t(title);
    head.Status = 0;
    writeTitle(title, head);
    journal.commit();
    open.close();
    entry.titleRec = title;
}

bool DataStore::rewriteEntries(std::vector<EntryWrite>& entries) {
    for (const EntryWrite& entry : entries) {
        checkRowCount(entry);
        if (storesFreeMark(entry)) throw FreeMarkRefused();
    }
    OpenFiles open(*this, OpenFiles::Both);
    for (const EntryWrite& entry : entries) {
        checkRecordNumber(entry.titleRec, Maxrec1);
        for (const RowWrite& row : entry.rows)
            if (row.record != 0) checkRecordNumber(row.record, Maxrec2);
    }
    // Which title names each of the entries' records, from the stored
    // slots: the first that does. One pass over the slots, in a buffer kept
    // from one save to the next, looks up only those records.
    static thread_local std::string titleBytes;
    titleBytes.resize(std::size_t(std::max(Maxrec1, 0)) * TitleRecord::kSize);
    titleBytes.resize(titleBytes.empty() ? 0 : file1_.readAt(0, titleBytes.data(), titleBytes.size()));
    const int titleCount = int(titleBytes.size() / TitleRecord::kSize);
    std::vector<int> owner(std::size_t(Maxrec2) + 1, 0);
    std::vector<uint8_t> wanted(std::size_t(Maxrec2) + 1, 0);
    for (const EntryWrite& entry : entries)
        for (const RowWrite& row : entry.rows)
            if (row.record > 0 && row.record <= Maxrec2) wanted[std::size_t(row.record)] = 1;
    noteFirstTitleNaming(titleBytes, wanted, owner);

    int fresh = 0;
    std::vector<bool> titleSeen(std::size_t(Maxrec1) + 1, false);
    std::vector<bool> rowSeen(std::size_t(Maxrec2) + 1, false);
    for (EntryWrite& entry : entries) {
        if (titleSeen[entry.titleRec]) return false;
        titleSeen[entry.titleRec] = true;
        for (RowWrite& row : entry.rows) {
            if (row.record == 0) {
                ++fresh;
                continue;
            }
            if (rowSeen[row.record]) return false;
            rowSeen[row.record] = true;
            if (owner[row.record] == entry.titleRec) continue;
            // A row whose record was freed since (a row delete undone):
            // it takes a fresh record like a new row. A record that is
            // someone else's is never written over.
            if (owner[row.record] != 0 || !readContent(row.record).itemReadsAsDeletedMark())
                return false;
            row.record = 0;
            ++fresh;
        }
        // Every row of the stored entry must be here, or the write would
        // drop the ones that are missing.
        if (entry.titleRec > titleCount) return false;
        for (int16_t k : titleSlotsOf(titleBytes, entry.titleRec))
            if (k > 0 && (k > Maxrec2 || !rowSeen[k])) return false;
    }

    const int storedContents = Maxrec2;
    if (fresh > 0) {
        const std::vector<int> numbers =
            freeContentNumbers(titleBytes, storedBytes(file2_, Maxrec2, ContentRecord::kSize), fresh);
        std::size_t used = 0;
        for (EntryWrite& entry : entries)
            for (RowWrite& row : entry.rows)
                if (row.record == 0) row.record = numbers.at(used++);
    }

    // Only the records of the entries are written, together: a crash half
    // way never leaves an entry with some rows rewritten and others not, nor
    // fresh records reserved for nobody.
    Journal journal(*this);
    for (const EntryWrite& entry : entries) {
        TitleRecord head = readTitle(entry.titleRec);
        head.表題 = entry.title;
        if (entry.status) head.Status = *entry.status;
        head.子Rec.fill(0);
        for (std::size_t i = 0; i < entry.rows.size(); ++i) {
            const RowWrite& row = entry.rows[i];
            // A reused record keeps its 出力 (the delete left "0"); a new
            // one starts as a newly saved row does, with "0".
            ContentRecord rec;
            if (row.record <= storedContents)
                rec = readContent(row.record);
            else
                rec.出力 = "0";
            rec.項目 = row.item;
            rec.内容 = row.content;
            rec.親Rec = int16_t(entry.titleRec);
            rec.自分Rec = int16_t(row.record);
            writeContent(row.record, rec);
            head.子Rec[i] = rec.自分Rec;
        }
        head.自分Rec = int16_t(entry.titleRec);
        writeTitle(entry.titleRec, head);
    }
    journal.commit();
    open.close();
    return true;
}

void DataStore::deleteEntry(int titleRec) {
    if (titleRec < 0 || titleRec > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    OpenFiles open(*this, OpenFiles::Both);
    const std::string leftover = dataFolder() + kTitleTempFileName;
    if (fs::exists(leftover)) fs::removeFile(leftover);
    if (titleRec >= 1 && titleRec <= Maxrec1) {
        const int16_t whole = int16_t(std::min(Maxrec2, kMaxRecordNumber));
        Journal journal(*this);
        // The title and the freeing of its rows go in together: a row is
        // never free while a title still names it (the next save would
        // overwrite it), nor left taken by nobody.
        for (int16_t k : readTitle(titleRec).子Rec) {
            if (k <= 0 || k > whole) continue;
            ContentRecord rec = readContent(k);
            rec.出力 = "0";
            rec.項目 = kDeletedMark;
            writeContent(k, rec);
        }
        // The title's place reads as zero bytes, so that every other title
        // keeps its number; the last one leaves the file instead.
        const int64_t at = int64_t(titleRec - 1) * TitleRecord::kSize;
        if (titleRec < Maxrec1)
            putRecord(file1_, at, std::string(TitleRecord::kSize, '\0'));
        else
            journal.stageTruncate(file1_, at);
        journal.commit();
    }
    open.close();
}

void DataStore::deleteRow(int titleRec, int contentRec) {
    OpenFiles open(*this, OpenFiles::Both);
    if (titleRec < 1 || titleRec > Maxrec1 || contentRec < 1 || contentRec > Maxrec2 ||
        contentRec > kMaxRecordNumber)
        throw RuntimeError(ErrBadRecordNumber);
    TitleRecord head = readTitle(titleRec);
    const auto end = std::remove(head.子Rec.begin(), head.子Rec.end(), int16_t(contentRec));
    // A stale row must not free a record that is not this entry's.
    if (end == head.子Rec.end()) throw RuntimeError(ErrBadRecordNumber);
    std::fill(end, head.子Rec.end(), int16_t(0));
    Journal journal(*this);
    writeTitle(titleRec, head);
    ContentRecord rec = readContent(contentRec);
    rec.項目 = kDeletedMark;
    writeContent(contentRec, rec);
    journal.commit();
    open.close();
}

bool DataStore::writeTitleFields(long n, const TitleFields& fields) {
    if (fields.title && storesAsDeletedMark(*fields.title, kTitleFieldBytes))
        throw FreeMarkRefused();
    OpenFiles open(*this, OpenFiles::Titles);
    if (n < 1 || n > Maxrec1) return false;
    Journal journal(*this);
    TitleRecord record = readTitle(n);
    if (fields.title) {
        record.表題 = *fields.title;
        record.自分Rec = int16_t(n);
    }
    if (fields.status) record.Status = *fields.status;
    writeTitle(n, record);
    journal.commit();
    open.close();
    return true;
}

bool DataStore::writeContentFields(long n, const ContentFields& fields) {
    return writeContentFields(n, fields, 0, 0);
}

bool DataStore::writeContentFields(long n, const ContentFields& fields, long owner,
                                   int16_t status) {
    if (fields.item && storesAsDeletedMark(*fields.item, kItemFieldBytes)) throw FreeMarkRefused();
    OpenFiles open(*this, owner > 0 ? OpenFiles::Both : OpenFiles::Contents);
    if (n < 1 || n > Maxrec2) return false;
    Journal journal(*this);
    ContentRecord record = readContent(n);
    if (fields.output) record.出力 = *fields.output;
    if (fields.item) record.項目 = *fields.item;
    if (fields.content) record.内容 = *fields.content;
    writeContent(n, record);
    if (owner >= 1 && owner <= Maxrec1) {
        TitleRecord title = readTitle(owner);
        title.Status = status;
        writeTitle(owner, title);
    }
    journal.commit();
    open.close();
    return true;
}

void DataStore::writeOutputMarks(const std::vector<std::pair<long, std::string>>& marks) {
    OpenFiles open(*this, OpenFiles::Contents);
    Journal journal(*this);
    const std::size_t size = ContentRecord::kSize;
    for (const auto& [n, mark] : marks) {
        if (n < 1 || n > Maxrec2) continue;
        // Only the field, which leads the record, changes: the rest stays
        // byte for byte as stored.
        const int64_t offset = static_cast<int64_t>(n - 1) * int64_t(size);
        std::string bytes;
        if (const std::string* staged = journal.staged(file2_, offset)) {
            bytes = *staged;
        } else {
            bytes.assign(size, '\0');
            bytes.resize(file2_.readAt(offset, bytes.data(), size));
        }
        bytes.replace(0, kOutputFieldBytes, cp932::encodeField(mark, kOutputFieldBytes));
        putRecord(file2_, offset, bytes);
    }
    journal.commit();
    open.close();
}

}  // namespace mk
