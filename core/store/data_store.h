#pragma once
// The data folder and the two data files: opening and counting, record reads
// and writes, allocation of free records.
//
// No file stays open between operations: each operation opens what it needs
// (Openfile1 / Openfile2 refresh Maxrec1 / Maxrec2) and closes it when done.
#include <memory>
#include <string>
#include <vector>

#include "core/store/file_layer.h"
#include "core/store/records.h"

namespace mk {

inline const char* const kDataFolderName = "DuzoZuzevod";
inline const char* const kTitleFileName = "パスワード表題.dat";
inline const char* const kContentFileName = "パスワード内容.dat";
inline const char* const kTitleTempFileName = "パスワード表題Temp.dat";
inline const char* const kContentTempFileName = "パスワード内容Temp.dat";

// One stored entry: its title record and the content records that its used
// slots name, in slot order (empty slots skipped). Texts as read, uncleaned.
struct StoredEntry {
    int titleRec = 0;
    TitleRecord title;
    std::vector<ContentRecord> rows;
};

class DataStore {
public:
    // `appFolder` is the program's own folder (a trailing separator is added).
    explicit DataStore(std::string appFolder);

    const std::string& appFolder() const { return appFolder_; }
    std::string dataFolder() const;  // app folder + "DuzoZuzevod/"
    std::string titlePath() const;
    std::string contentPath() const;

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
    std::vector<TitleRecord> readAllTitles();
    std::vector<ContentRecord> readAllContents();

    // Find the lowest free record (cleaned field exactly "<削除<") or append,
    // reserve it on disk, close the file, return its number. Throw on error
    // (a number above 32767 is error 6).
    int AllocateTitleRec();
    int AllocateContentRec();

    // Title record `titleRec` and its rows. Opens and closes both files
    // itself; throws RuntimeError (error 63 for a number out of range).
    StoredEntry readEntry(int titleRec);

private:
    std::string appFolder_;
    fs::File file1_;
    fs::File file2_;
};

}  // namespace mk
