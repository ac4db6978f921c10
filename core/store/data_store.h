#pragma once
// The data folder and the two data files: opening and counting, record reads
// and writes, allocation of free records.
//
// No file stays open between operations: each operation opens what it needs
// (Openfile1 / Openfile2 refresh Maxrec1 / Maxrec2) and closes it when done.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/store/file_layer.h"
#include "core/store/pair_builder.h"
#include "core/store/records.h"

namespace mk {

inline const char* const kDataFolderName = "DuzoZuzevod";
inline const char* const kTitleFileName = "パスワード表題.dat";
inline const char* const kContentFileName = "パスワード内容.dat";
inline const char* const kTitleTempFileName = "パスワード表題Temp.dat";
inline const char* const kContentTempFileName = "パスワード内容Temp.dat";
// Present only while a pair replacement puts its two new files in place: it
// names them, so that the next open finishes the replacement after a crash.
inline const char* const kPairJournalFileName = "パスワード書込中.jnl";
// Present only while records are changed in place: their old bytes, so that
// the next open puts them back after a crash.
inline const char* const kRollbackJournalFileName = "パスワード旧レコード.jnl";

// One stored entry: its title record and the content records that its used
// slots name, in slot order (empty slots skipped). Texts as read, uncleaned.
struct StoredEntry {
    int titleRec = 0;
    TitleRecord title;
    std::vector<ContentRecord> rows;
};

// One row as a save hands it to the store: the texts as they are to be
// stored (already cut), and the content record it goes to (0: a fresh one,
// whose number the write fills in).
struct RowWrite {
    int record = 0;
    std::string item;
    std::string content;
};

// An entry as a save hands it to the store. `titleRec` 0 takes a fresh title
// record (filled in by the write).
struct EntryWrite {
    int titleRec = 0;
    std::string title;
    std::vector<RowWrite> rows;
    // A rewrite gives the title this Status; without one it keeps its own.
    std::optional<int16_t> status;
};

// The field-wise writes of the browse grid's in-place edit; fields without a
// value keep what the record holds.
struct TitleFields {
    std::optional<std::string> title;  // also sets 自分Rec to the record's number
    std::optional<int16_t> status;
};
struct ContentFields {
    std::optional<std::string> output;
    std::optional<std::string> item;
    std::optional<std::string> content;
};

// Thrown by a writer of user text, before anything is written, when a title
// or an item would read back as the free-record mark (error 5).
class FreeMarkRefused : public RuntimeError {
public:
    FreeMarkRefused();
};

// How the used slots (not 0) of the title records name content records
// 1..maxrec2. Shared by the link check and the data array check.
struct SlotTally {
    int outOfRange = 0;  // used slots below 1 or above maxrec2
    int duplicates = 0;  // records named by more than one slot (each once)
};
// `each`, when given, hears of every used slot in title and slot order:
// title t, slot s (1-based), its value v, and the title that named v first
// (0 when this slot is the first, -1 when v is out of range).
SlotTally tallySlots(const std::vector<TitleRecord>& titles, int maxrec2,
                     const std::function<void(int t, int s, int v, int firstTitle)>& each = {});

class DataStore {
public:
    // `appFolder` is the program's own folder (a trailing separator is added).
    explicit DataStore(std::string appFolder);

    const std::string& appFolder() const { return appFolder_; }
    std::string dataFolder() const;  // app folder + "DuzoZuzevod/"
    std::string titlePath() const;
    std::string contentPath() const;

    // ---- entries and records ------------------------------------------------
    // Each of these opens what it needs and closes it again, also when it
    // throws. Errors throw RuntimeError with a classic number; an open that
    // fails has been reported by Openfile1 / Openfile2 already. The writers
    // change only their own records, in place, under the rollback journal:
    // after an error or a crash each of them is done whole or not at all.

    // Title record `titleRec` and its rows (error 63 for a number out of range).
    StoredEntry readEntry(int titleRec);
    // Every title record, in record order.
    std::vector<TitleRecord> readTitles();
    // Every content record, in record order.
    std::vector<ContentRecord> readContents();
    // Record n, or nothing when n is not a record of the file.
    std::optional<TitleRecord> titleAt(long n);
    std::optional<ContentRecord> contentAt(long n);
    // True when title `titleRec` names content record `contentRec` in one of
    // its slots and that record is not free: the row still belongs to the
    // entry. A writer that works from a copy of the files (the browse
    // table) asks this before it writes.
    bool ownsContent(long titleRec, long contentRec);

    // True when the entry's title or one of its items would read back as the
    // free-record mark once stored; the writes below refuse such an entry.
    static bool storesFreeMark(const EntryWrite& entry);

    // A new entry (新規保存): fresh content records for every row, then a
    // fresh title record; rows get 出力 "0", the title Status 0. Everything
    // that could stop it half way (more rows than slots, no record number
    // left, the free mark) is checked before the first write.
    void writeNewEntry(EntryWrite& entry);

    // Writes entries over their stored records (修正保存). Each entry must
    // hold every used slot of its title record, each record once; a row's
    // record must be one of its title's or a free one. Otherwise nothing is
    // written and the result is false. Rows without a record get fresh ones.
    // A row keeps its stored 出力, a title its Status (unless the entry
    // gives one); the slots are written exactly from the rows, in order, the
    // rest 0.
    bool rewriteEntries(std::vector<EntryWrite>& entries);

    // 表題を削除: title record `titleRec` leaves the title file (its place
    // reads as zero bytes, or the file ends before it) and every content
    // record its slots name is marked free with 出力 "0", in one write. A
    // number that names no title record (0 for a never-saved entry) writes
    // nothing.
    void deleteEntry(int titleRec);

    // 行の削除: record `contentRec` leaves the slots of title `titleRec` (the
    // slots after it move up) and is marked free. Error 63, with nothing
    // written, unless that title names that record.
    void deleteRow(int titleRec, int contentRec);

    // Field-wise writes of one record; false (nothing written) when n is not
    // a record of the file. Texts are stored as given.
    bool writeTitleFields(long n, const TitleFields& fields);
    bool writeContentFields(long n, const ContentFields& fields);
    // The same, and the Status of title `owner` (when it is a record of the
    // file) becomes `status`: both written, or on a failure neither.
    bool writeContentFields(long n, const ContentFields& fields, long owner, int16_t status);
    // Writes the 出力 field ("1" checked, "2" unchecked, ...) of many content
    // records in one opening, on their stored bytes: the other fields stay
    // byte for byte as they were. Numbers outside the file are skipped.
    void writeOutputMarks(const std::vector<std::pair<long, std::string>>& marks);

    // Reserves `count` content records in one pass over the content file: the
    // free ones lowest first, then appended ones, exactly the numbers that
    // `count` calls of AllocateContentRec would return. Error 6, before
    // anything is written, when they would not fit the 16-bit numbers.
    std::vector<int> reserveContentRecords(int count);

    // ---- the pair as a whole ------------------------------------------------
    // Replaces both files: both new files are written in full first, then
    // renamed over their targets; when anything fails both files are as they
    // were (a missing one missing again). Creates the data folder. A crash
    // (the process killed) leaves either pair whole: once both new files are
    // complete a journal names them, and the next open of the files finishes
    // the renames (finishInterruptedWrites).
    void replacePair(const std::string& titleBytes, const std::string& contentBytes);
    // True when files of these sizes hold whole records only (a backup that
    // was cut short does not).
    static bool holdsWholeRecords(int64_t titleSize, int64_t contentSize);

    // Rewrites the pair with only the titles that `keep` accepts, in their old
    // order, renumbered from 1, and only the content records that a kept
    // title names, in title and slot order. Kept records keep their bytes
    // apart from the numbers.
    void rewritePairKeeping(const std::function<bool(const TitleRecord&)>& keep);

    // A builder that goes on after the current pair's whole records, for
    // adding entries behind the existing ones through replacePair.
    PairBuilder extendPair();
    void replacePair(const PairBuilder& pair) {
        replacePair(pair.titleBytes(), pair.contentBytes());
    }

    // What is wrong with the links between the two files: every used slot
    // must name an existing content record whose 親Rec and 自分Rec agree, no
    // record may be named twice, none of them free, and a title in use must
    // carry its own number. Empty when the pair is sound.
    std::vector<std::string> linkProblems();

    // Finishes a pair replacement that a crash interrupted after its journal
    // was written, and removes the half-written new files of one interrupted
    // before. Every open of the data files runs it when the journal is there
    // and, the first time in this store's life, for the leftovers as well.
    void finishInterruptedWrites();

    // ---- what changed since the browse table last read the pair -----------
    // The records this store has written in place since markPairRead(), or
    // `whole` when the files may have changed otherwise (a pair replaced, an
    // interrupted write put back, many records at once, or no read yet). A
    // loader that finds only a few records changed decodes their entries
    // alone. This program is the only writer of its pair (one copy runs).
    struct WrittenRecords {
        bool whole = true;
        std::vector<int> titles;    // record numbers, in the order written
        std::vector<int> contents;
    };
    const WrittenRecords& writtenSinceRead() const { return written_; }
    void markPairRead() { written_ = WrittenRecords{false, {}, {}}; }
    void markPairReplaced() { written_ = WrittenRecords{}; }

    // Record n's bytes exactly as stored in the open file (zero bytes past
    // its end).
    std::string titleRecordBytes(long n);
    std::string contentRecordBytes(long n);

    // ---- the files themselves (for the store's own loaders) ----------------
    // Create the data folder, open the file (creating it empty), count its
    // records. Errors are reported ("4802 :  Sub Openfile1()" /
    // "4951 :  Sub Openfile2()") and leave the file closed.
    void Openfile1();
    void Openfile2();
    bool file1Open() const { return file1_.isOpen(); }
    bool file2Open() const { return file2_.isOpen(); }
    void Close1();
    void Close2();
    void CloseAll();

    int Maxrec1 = 0;  // whole records in the title file, as of the last open
    int Maxrec2 = 0;

    // Record n (n >= 1) of the open file. A read past the end gives a blank
    // record with zero numbers. Errors throw RuntimeError (a closed file is
    // error 52, n < 1 error 63).
    TitleRecord readTitle(long n);
    ContentRecord readContent(long n);
    // Writing at Maxrec + 1 extends the file (and raises Maxrec).
    void writeTitle(long n, const TitleRecord& record);
    void writeContent(long n, const ContentRecord& record);

    // Every record of the open file in one read.
    std::vector<TitleRecord> readAllTitles(FieldForm form = FieldForm::Padded);
    std::vector<ContentRecord> readAllContents(FieldForm form = FieldForm::Padded);
    // Both open files' Maxrec1 / Maxrec2 records as stored, in one read
    // each; what a file shortened since its open no longer holds reads as
    // zero bytes, which read as blank records.
    void readOpenPairBytes(std::string& titleBytes, std::string& contentBytes);

    // Find the lowest free record (cleaned field exactly "<削除<") or append,
    // reserve it on disk, close the file, return its number. Throw on error
    // (a number above 32767 is error 6).
    int AllocateTitleRec();
    int AllocateContentRec();

private:
    class OpenFiles;
    class Journal;
    // Writes a record, or stages it when a Journal is active.
    void putRecord(fs::File& file, int64_t offset, const std::string& bytes);
    // Notes a record written in place for writtenSinceRead().
    void noteWritten(const fs::File& file, int64_t offset);
    // Puts back the records of a rollback journal left by a crash.
    void rollBackJournal(const std::string& path);
    // Both files' whole records as stored.
    void readPairBytes(std::string& titleBytes, std::string& contentBytes);

    std::string appFolder_;
    bool leftoversChecked_ = false;
    fs::File file1_;
    fs::File file2_;
    Journal* journal_ = nullptr;
    WrittenRecords written_;
};

}  // namespace mk
