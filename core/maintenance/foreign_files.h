#pragma once
// Readers of the two foreign data files: the other product's import file and
// this program's old single-file format. Each hands its records to the store
// as entries with their rows at their slots.
#include <memory>
#include <string>

#include "core/store/file_layer.h"
#include "core/store/pair_builder.h"

namespace mk {

inline const char* const kImportFileName = "パスワード管理.dat";
inline const char* const kOldVersionFileName = "備忘録.dat";

// One record of a foreign file as an entry: texts cleaned, rows at their
// slots.
struct ForeignEntry {
    std::string title;
    SlotRows rows;
};

class ForeignReader {
public:
    virtual ~ForeignReader() = default;
    // Opens the file and counts its whole records; a failure is reported
    // under the reader's own location text and gives false.
    virtual bool open() = 0;
    int count() const { return count_; }
    // The most rows a record holds.
    virtual int rowsPerRecord() const = 0;
    // Record i (1..count()). Errors throw RuntimeError.
    virtual ForeignEntry read(int i) = 0;

protected:
    ForeignReader(std::string path, std::size_t recordSize)
        : path_(std::move(path)), size_(recordSize) {}
    bool openFile(const std::string& location);
    // The record's bytes, exactly the record size, valid until the next
    // call. Records are read many at a time: the readers go through the
    // file from the first record to the last.
    std::string_view recordBytes(int i);
    // The cleaned text of a fixed-width field of a record.
    static std::string field(std::string_view record, std::size_t offset, std::size_t width);

private:
    std::string path_;
    std::size_t size_;
    fs::File file_;
    int count_ = 0;
    std::string chunk_;  // records chunkFirst_ .. chunkFirst_ + chunkCount_ - 1
    int chunkFirst_ = 0;
    int chunkCount_ = 0;
};

// パスワード管理.dat: records of 4542 bytes, a title and ten rows whose
// contents are enciphered (or plain behind "-*-"). Rows are deciphered
// through 復号化 and cut as a save cuts them; the empty rows after the last
// used one are left out, the ones before it kept. A content that does not
// decipher is error 5 (the cipher's own message has been shown).
class ImportFileReader : public ForeignReader {
public:
    static constexpr std::size_t kRecordSize = 4542;
    explicit ImportFileReader(const std::string& dataFolder)
        : ForeignReader(dataFolder + kImportFileName, kRecordSize) {}
    bool open() override { return Openfile5(); }
    int rowsPerRecord() const override { return 10; }
    bool Openfile5();
    ForeignEntry read(int i) override;
};

// 備忘録.dat: records of 5254 bytes, a title and 20 rows, contents as they
// stand. Only the rows that hold something are present; the others leave
// their slots empty.
class OldVersionReader : public ForeignReader {
public:
    static constexpr std::size_t kRecordSize = 5254;
    explicit OldVersionReader(const std::string& dataFolder)
        : ForeignReader(dataFolder + kOldVersionFileName, kRecordSize) {}
    bool open() override { return Openfile6(); }
    int rowsPerRecord() const override { return 20; }
    bool Openfile6();
    ForeignEntry read(int i) override;
};

}  // namespace mk
