#include "core/maintenance/foreign_files.h"

#include <algorithm>
#include <array>

#include "codec/cp932.h"
#include "core/app/cipher_wrappers.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/store/records.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kOpenfile5Location = "6318 :  Sub Openfile5()";
const char* const kOpenfile6Location = "Sub Openfile6 :備忘録.datへのアクセス  2331";

// The import file's record: an unused text, the title, ten item labels and
// ten enciphered contents, then fields that are not read.
constexpr std::size_t kImportTitleOffset = 42;
constexpr std::size_t kImportTextWidth = 42;
constexpr std::size_t kImportItemsOffset = 84;
constexpr std::size_t kImportContentsOffset = 504;
constexpr std::size_t kImportContentWidth = 402;
constexpr int kImportRows = 10;

// The old file's record: the title, item labels 0..20 and contents 0..20
// (element 0 unused), then numbers that are not read.
constexpr std::size_t kOldTitleWidth = 42;
constexpr std::size_t kOldItemsOffset = 42;
constexpr std::size_t kOldItemWidth = 42;
constexpr std::size_t kOldContentsOffset = 924;
constexpr std::size_t kOldContentWidth = 202;
constexpr int kOldRows = 20;

// Notices whether the cipher control failed during one call: it reports a
// failure by a message box (shown as usual) and returns what it has so far.
class CipherFailureWatch : public MessageService {
public:
    CipherFailureWatch() : inner_(messageService()) { previous_ = installMessageService(this); }
    ~CipherFailureWatch() override { installMessageService(previous_); }
    CipherFailureWatch(const CipherFailureWatch&) = delete;
    CipherFailureWatch& operator=(const CipherFailureWatch&) = delete;

    bool failed = false;

    int messageBox(const std::string& text, Buttons buttons, Icon icon,
                   const std::string& title) override {
        failed = true;
        return inner_.messageBox(text, buttons, icon, title);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        return inner_.inputBox(prompt, title, defaultText);
    }
    void processEvents() override { inner_.processEvents(); }
    void showMouseHelp(const std::string& text) override { inner_.showMouseHelp(text); }
    double monotonicSeconds() override { return inner_.monotonicSeconds(); }

private:
    MessageService& inner_;
    MessageService* previous_ = nullptr;
};

// 復号化 of a stored content; error 5 when the control failed or gave
// nothing back for a cipher text (no control installed), so that an import
// never stores a half or empty value as if it were the user's.
std::string decipher(const std::string& stored, int record, int row) {
    std::string plain;
    bool failed = false;
    {
        CipherFailureWatch watch;
        plain = 復号化(stored);
        failed = watch.failed;
    }
    const bool plainValue = stored.compare(0, 3, kPlainMarker) == 0;
    if (failed || (!stored.empty() && !plainValue && plain.empty()))
        throw RuntimeError(ErrIllegalCall,
                           std::string(kImportFileName) + " の " + std::to_string(record) +
                               " 件目、" + std::to_string(row) + " 行目の内容を復号化できません。");
    return plain;
}

}  // namespace

bool ForeignReader::openFile(const std::string& location) {
    file_.close();
    count_ = 0;
    chunkFirst_ = chunkCount_ = 0;
    return Trap(location, [&] {
        // A folder opens like an empty file and a pipe waits for a writer:
        // either would be taken for a file with no records, and the data
        // replaced by nothing. Only a regular file is read.
        if (!fs::isRegularFile(path_)) {
            const int number = fs::exists(path_) ? ErrPathFileAccess : ErrFileNotFound;
            throw RuntimeError(number, describeError(number) + " (" + path_ + ")");
        }
        fs::File file = fs::File::openRead(path_);
        count_ = int(std::min<int64_t>(file.size() / int64_t(size_), kMaxRecordNumber + 1L));
        file_ = std::move(file);
    });
}

std::string_view ForeignReader::recordBytes(int i) {
    if (!file_.isOpen()) throw RuntimeError(ErrBadFileNameOrNumber);
    if (i < 1 || i > count_) throw RuntimeError(ErrBadRecordNumber);
    if (i < chunkFirst_ || i >= chunkFirst_ + chunkCount_) {
        // About 128 KB at a time: a few dozen records per read.
        const int wanted = std::max(1, std::min(count_ - i + 1, int(131072 / size_)));
        chunk_.resize(std::size_t(wanted) * size_);
        chunkFirst_ = i;
        chunkCount_ = int(file_.readAt(int64_t(i - 1) * int64_t(size_), chunk_.data(), chunk_.size()) / size_);
        if (chunkCount_ < 1) {
            chunkCount_ = 0;
            throw RuntimeError(ErrInputPastEnd);
        }
    }
    return std::string_view(chunk_).substr(std::size_t(i - chunkFirst_) * size_, size_);
}

// Cleaned on the bytes, then decoded: the same text as decoding the whole
// field and cleaning it (no CP932 trail byte is a NUL or a space), without
// decoding the padding.
std::string ForeignReader::field(std::string_view record, std::size_t offset, std::size_t width) {
    return cp932::decode(cleanedFieldBytes(record.substr(offset, width)));
}

bool ImportFileReader::Openfile5() { return openFile(kOpenfile5Location); }

namespace {

// `text` cut to its first `n` characters, in place.
void keepLeftChars(std::string& text, std::size_t n) {
    if (text.size() > n) text = LeftChars(text, n);
}

}  // namespace

ForeignEntry ImportFileReader::read(int i) {
    const std::string_view record = recordBytes(i);
    ForeignEntry entry;
    entry.title = field(record, kImportTitleOffset, kImportTextWidth);
    keepLeftChars(entry.title, kTitleChars);
    std::array<SlotText, kImportRows> rows;
    int last = 0;
    for (int k = 1; k <= kImportRows; ++k) {
        SlotText& row = rows[std::size_t(k - 1)];
        row.item = field(record, kImportItemsOffset + kImportTextWidth * (k - 1), kImportTextWidth);
        row.content = decipher(field(record, kImportContentsOffset + kImportContentWidth * (k - 1),
                                     kImportContentWidth),
                               i, k);
        if (!row.item.empty() || !row.content.empty()) last = k;
    }
    // Empty rows between used ones stay, so that each row keeps its place.
    entry.rows.reserve(std::size_t(last));
    for (int k = 0; k < last; ++k) {
        SlotText& row = rows[std::size_t(k)];
        keepLeftChars(row.item, kItemChars);
        keepLeftChars(row.content, kContentChars);
        entry.rows.emplace_back(std::move(row));
    }
    return entry;
}

bool OldVersionReader::Openfile6() { return openFile(kOpenfile6Location); }

ForeignEntry OldVersionReader::read(int i) {
    const std::string_view record = recordBytes(i);
    ForeignEntry entry;
    entry.title = field(record, 0, kOldTitleWidth);
    entry.rows.resize(kOldRows);
    for (int r = 1; r <= kOldRows; ++r) {
        // The content field keeps what its bytes can hold, as they stand.
        SlotText row{field(record, kOldItemsOffset + kOldItemWidth * r, kOldItemWidth),
                     field(record, kOldContentsOffset + kOldContentWidth * r, kOldContentWidth)};
        if (!row.item.empty() || !row.content.empty()) entry.rows[r - 1] = std::move(row);
    }
    return entry;
}

}  // namespace mk
