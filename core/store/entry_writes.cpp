// The store's writes of whole entries and single records: the saves, the
// title and row deletes, the in-place edits and the reservation of content
// records. Every writer of user text refuses the free-record mark here.
#include <algorithm>
#include <optional>
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

}  // namespace

bool DataStore::storesFreeMark(const EntryWrite& entry) {
    if (storesAsDeletedMark(entry.title, kTitleFieldBytes)) return true;
    for (const RowWrite& row : entry.rows)
        if (storesAsDeletedMark(row.item, kItemFieldBytes)) return true;
    return false;
}

std::vector<int> DataStore::reserveContentRecords(int count) {
    std::vector<int> numbers;
    if (count <= 0) return numbers;
    // Appending past the end must not take a number a damaged title names.
    std::optional<NamedPastEnd> namedPastEnd;
    {
        OpenFiles titles(*this, OpenFiles::Both);
        namedPastEnd.emplace(Maxrec2);
        for (const TitleRecord& rec : readAllTitles()) namedPastEnd->note(rec);
        titles.close();
    }
    OpenFiles open(*this, OpenFiles::Contents);
    // The free marks are found on the raw bytes, in one read of the file.
    const std::size_t size = ContentRecord::kSize;
    std::string bytes(std::size_t(Maxrec2) * size, '\0');
    bytes.resize(file2_.readAt(0, bytes.data(), bytes.size()));
    const int whole = int(bytes.size() / size);
    for (int n = 1; n <= whole && int(numbers.size()) < count; ++n)
        if (contentBytesAreFree(bytes, n)) numbers.push_back(n);
    long next = Maxrec2;
    while (int(numbers.size()) < count) {
        next = namedPastEnd->nextAfter(next);
        numbers.push_back(int(next));
    }
    // Every number must fit a 16-bit field before the first one is taken.
    if (numbers.back() > kMaxRecordNumber) throw RuntimeError(ErrOverflow);

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
    open.close();
    return numbers;
}

void DataStore::writeNewEntry(EntryWrite& entry) {
    checkRowCount(entry);
    if (storesFreeMark(entry)) throw FreeMarkRefused();
    {
        // A title record must be left, or the content records taken below
        // would stay reserved for nothing.
        OpenFiles open(*this, OpenFiles::Titles);
        bool room = Maxrec1 < kMaxRecordNumber;
        for (const TitleRecord& rec : readAllTitles()) room = room || isDeletedMark(rec.表題);
        open.close();
        if (!room) throw RuntimeError(ErrOverflow);
    }
    const std::vector<int> children = reserveContentRecords(int(entry.rows.size()));
    const int title = AllocateTitleRec();

    OpenFiles open(*this, OpenFiles::Both);
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
    open.close();
    entry.titleRec = title;
}

bool DataStore::rewriteEntries(std::vector<EntryWrite>& entries) {
    for (const EntryWrite& entry : entries) {
        checkRowCount(entry);
        if (storesFreeMark(entry)) throw FreeMarkRefused();
    }
    int fresh = 0;
    {
        OpenFiles open(*this, OpenFiles::Both);
        for (const EntryWrite& entry : entries) {
            checkRecordNumber(entry.titleRec, Maxrec1);
            for (const RowWrite& row : entry.rows)
                if (row.record != 0) checkRecordNumber(row.record, Maxrec2);
        }
        // Which title names each content record.
        const std::vector<TitleRecord> titles = readAllTitles();
        std::vector<int> owner(std::size_t(Maxrec2) + 1, 0);
        for (std::size_t t = 0; t < titles.size(); ++t)
            for (int16_t k : titles[t].子Rec)
                if (k > 0 && k <= Maxrec2 && owner[k] == 0) owner[k] = int(t + 1);

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
            for (int16_t k : titles[entry.titleRec - 1].子Rec)
                if (k > 0 && (k > Maxrec2 || !rowSeen[k])) return false;
        }
        open.close();
    }

    // The new pair is made in memory and replaces the old one as a whole:
    // a crash half way never leaves an entry with some rows rewritten and
    // others not, nor fresh records reserved for nobody.
    std::string titleBytes, contentBytes;
    readPairBytes(titleBytes, contentBytes);
    const std::size_t tsize = TitleRecord::kSize, csize = ContentRecord::kSize;
    const int whole = int(contentBytes.size() / csize);
    // Fresh records as AllocateContentRec would give them: the free ones
    // lowest first, then appended ones.
    std::vector<int> numbers;
    for (int n = 1; n <= whole && int(numbers.size()) < fresh; ++n)
        if (contentBytesAreFree(contentBytes, n)) numbers.push_back(n);
    // As in reserveContentRecords, numbers that a damaged title names past
    // the end of the content file are passed over.
    NamedPastEnd namedPastEnd(whole);
    namedPastEnd.noteAll(titleBytes);
    long next = whole;
    while (int(numbers.size()) < fresh) {
        next = namedPastEnd.nextAfter(next);
        numbers.push_back(int(next));
    }
    if (!numbers.empty() && numbers.back() > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    std::size_t used = 0;
    for (EntryWrite& entry : entries)
        for (RowWrite& row : entry.rows)
            if (row.record == 0) row.record = numbers.at(used++);

    auto contentAt = [&](int n) {
        const std::size_t at = std::size_t(n - 1) * csize;
        ContentRecord rec;
        // A reused record keeps its 出力 (the delete left "0"); a new one
        // starts as a newly saved row does, with "0".
        if (at < contentBytes.size())
            rec = ContentRecord::fromBytes(std::string_view(contentBytes).substr(at, csize));
        else
            rec.出力 = "0";
        return rec;
    };
    auto putContent = [&](int n, const ContentRecord& rec) {
        const std::size_t at = std::size_t(n - 1) * csize;
        if (contentBytes.size() < at + csize) contentBytes.resize(at + csize, ' ');
        contentBytes.replace(at, csize, rec.toBytes());
    };
    for (const EntryWrite& entry : entries) {
        const std::size_t tat = std::size_t(entry.titleRec - 1) * tsize;
        TitleRecord head = TitleRecord::fromBytes(std::string_view(titleBytes).substr(tat, tsize));
        head.表題 = entry.title;  // keeps Status
        head.子Rec.fill(0);
        for (std::size_t i = 0; i < entry.rows.size(); ++i) {
            const RowWrite& row = entry.rows[i];
            ContentRecord rec = contentAt(row.record);  // keeps 出力
            rec.項目 = row.item;
            rec.内容 = row.content;
            rec.親Rec = int16_t(entry.titleRec);
            rec.自分Rec = int16_t(row.record);
            putContent(row.record, rec);
            head.子Rec[i] = rec.自分Rec;
        }
        head.自分Rec = int16_t(entry.titleRec);
        titleBytes.replace(tat, tsize, head.toBytes());
    }
    replacePair(titleBytes, contentBytes);
    return true;
}

void DataStore::deleteEntry(int titleRec) {
    if (titleRec < 0 || titleRec > kMaxRecordNumber) throw RuntimeError(ErrOverflow);
    std::string old, contents;
    readPairBytes(old, contents);
    const long maxrec = long(old.size() / TitleRecord::kSize);
    std::vector<int> children;
    if (titleRec >= 1 && titleRec <= maxrec)
        for (int16_t k : TitleRecord::fromBytes(std::string_view(old).substr(
                                                    std::size_t(titleRec - 1) * TitleRecord::kSize,
                                                    TitleRecord::kSize))
                             .子Rec)
            if (k > 0 && std::size_t(k) * ContentRecord::kSize <= contents.size())
                children.push_back(k);

    const std::string leftover = dataFolder() + kTitleTempFileName;
    if (fs::exists(leftover)) fs::removeFile(leftover);
    std::string rebuilt;
    rebuilt.reserve(old.size());
    for (long n = 1; n <= maxrec; ++n) {
        if (n == titleRec) {
            if (n < maxrec) rebuilt.append(TitleRecord::kSize, '\0');
            continue;
        }
        rebuilt.append(old, std::size_t(n - 1) * TitleRecord::kSize, TitleRecord::kSize);
    }
    // The title and the freeing of its rows go in together, as one pair
    // replacement: a row is never free while a title still names it (the
    // next save would overwrite it), nor left taken by nobody.
    const std::size_t csize = ContentRecord::kSize;
    for (int k : children) {
        const std::size_t at = std::size_t(k - 1) * csize;
        ContentRecord rec = ContentRecord::fromBytes(std::string_view(contents).substr(at, csize));
        rec.出力 = "0";
        rec.項目 = kDeletedMark;
        contents.replace(at, csize, rec.toBytes());
    }
    replacePair(rebuilt, contents);
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
    // The slot goes first: a failure in between leaves the row unnamed, not
    // free while still named.
    writeTitle(titleRec, head);
    ContentRecord rec = readContent(contentRec);
    rec.項目 = kDeletedMark;
    writeContent(contentRec, rec);
    open.close();
}

bool DataStore::writeTitleFields(long n, const TitleFields& fields) {
    if (fields.title && storesAsDeletedMark(*fields.title, kTitleFieldBytes))
        throw FreeMarkRefused();
    OpenFiles open(*this, OpenFiles::Titles);
    if (n < 1 || n > Maxrec1) return false;
    TitleRecord record = readTitle(n);
    if (fields.title) {
        record.表題 = *fields.title;
        record.自分Rec = int16_t(n);
    }
    if (fields.status) record.Status = *fields.status;
    writeTitle(n, record);
    open.close();
    return true;
}

bool DataStore::writeContentFields(long n, const ContentFields& fields) {
    if (fields.item && storesAsDeletedMark(*fields.item, kItemFieldBytes)) throw FreeMarkRefused();
    OpenFiles open(*this, OpenFiles::Contents);
    if (n < 1 || n > Maxrec2) return false;
    ContentRecord record = readContent(n);
    if (fields.output) record.出力 = *fields.output;
    if (fields.item) record.項目 = *fields.item;
    if (fields.content) record.内容 = *fields.content;
    writeContent(n, record);
    open.close();
    return true;
}

bool DataStore::writeContentFields(long n, const ContentFields& fields, long owner,
                                   int16_t status) {
    if (fields.item && storesAsDeletedMark(*fields.item, kItemFieldBytes)) throw FreeMarkRefused();
    OpenFiles open(*this, OpenFiles::Both);
    if (n < 1 || n > Maxrec2) return false;
    Rollback undo(*this);
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
    undo.commit();
    open.close();
    return true;
}

void DataStore::writeOutputMarks(const std::vector<std::pair<long, std::string>>& marks) {
    OpenFiles open(*this, OpenFiles::Contents);
    Rollback undo(*this);
    for (const auto& [n, mark] : marks) {
        if (n < 1 || n > Maxrec2) continue;
        // The field leads the record.
        const std::string bytes = cp932::encodeField(mark, kOutputFieldBytes);
        const int64_t offset = static_cast<int64_t>(n - 1) * ContentRecord::kSize;
        noteWrite(file2_, offset, bytes.size());
        file2_.writeAt(offset, bytes.data(), bytes.size());
    }
    undo.commit();
    open.close();
}

}  // namespace mk
