// The data pair as a whole: replacing both files together, rewriting them
// with some titles left out, and checking the links between them.
#include <optional>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/store/data_store.h"
#include "core/store/open_files.h"
#include "core/store/text.h"

namespace mk {

namespace {

// What a data file held before a replacement; nullopt when it did not exist.
std::optional<std::string> snapshot(const std::string& path) {
    if (!fs::exists(path)) return std::nullopt;
    return fs::readWholeFile(path);
}

void putBack(const std::string& path, const std::optional<std::string>& old) {
    if (old)
        fs::replaceFile(path, *old);
    else if (fs::exists(path))
        fs::removeFile(path);
}

void removeQuietly(const std::string& path) {
    try {
        if (!path.empty() && fs::exists(path)) fs::removeFile(path);
    } catch (...) {
    }
}

}  // namespace

void DataStore::replacePair(const std::string& titleBytes, const std::string& contentBytes) {
    std::string folder = dataFolder();
    MakeFolderPath(folder);
    const std::optional<std::string> oldTitles = snapshot(titlePath());
    const std::optional<std::string> oldContents = snapshot(contentPath());
    std::string newContents, newTitles;
    int renamed = 0;
    try {
        newContents = fs::writeTemporary(contentPath(), contentBytes);
        newTitles = fs::writeTemporary(titlePath(), titleBytes);
        fs::renameFile(newContents, contentPath());
        newContents.clear();
        renamed = 1;
        fs::renameFile(newTitles, titlePath());
        newTitles.clear();
        renamed = 2;
        fs::syncDirectory(folder);
    } catch (...) {
        // Whatever was renamed goes back, so the pair never mixes old titles
        // with new rows; the original error is the one reported.
        removeQuietly(newContents);
        removeQuietly(newTitles);
        try {
            if (renamed >= 1) putBack(contentPath(), oldContents);
            if (renamed >= 2) putBack(titlePath(), oldTitles);
        } catch (...) {
        }
        throw;
    }
}

bool DataStore::holdsWholeRecords(int64_t titleSize, int64_t contentSize) {
    return titleSize >= 0 && contentSize >= 0 && titleSize % int64_t(TitleRecord::kSize) == 0 &&
           contentSize % int64_t(ContentRecord::kSize) == 0;
}

void DataStore::rewritePairKeeping(const std::function<bool(const TitleRecord&)>& keep) {
    std::string titleBytes, contentBytes;
    int titleCount = 0, contentCount = 0;
    {
        OpenFiles open(*this, OpenFiles::Both);
        titleCount = Maxrec1;
        contentCount = Maxrec2;
        titleBytes.resize(std::size_t(titleCount) * TitleRecord::kSize);
        contentBytes.resize(std::size_t(contentCount) * ContentRecord::kSize);
        if (file1_.readAt(0, titleBytes.data(), titleBytes.size()) != titleBytes.size() ||
            file2_.readAt(0, contentBytes.data(), contentBytes.size()) != contentBytes.size())
            throw RuntimeError(ErrPathFileAccess);
        open.close();
    }

    std::string newTitles, newContents;
    int kept = 0;
    int newContent = 0;
    const std::string blankRow = ContentRecord().toBytes();
    for (int t = 1; t <= titleCount; ++t) {
        const std::string_view bytes =
            std::string_view(titleBytes).substr(std::size_t(t - 1) * TitleRecord::kSize, TitleRecord::kSize);
        TitleRecord record = TitleRecord::fromBytes(bytes);
        if (!keep(record)) continue;
        ++kept;
        newTitles.append(bytes);
        for (int16_t& child : record.子Rec) {
            if (child <= 0) continue;
            ++newContent;
            // A slot naming a record past the end reads as a blank row, as
            // every reader of the file sees it.
            if (child <= contentCount)
                newContents.append(contentBytes, std::size_t(child - 1) * ContentRecord::kSize,
                                   ContentRecord::kSize);
            else
                newContents += blankRow;
            setContentNumbers(newContents, newContent, toInt16(kept), toInt16(newContent));
            child = toInt16(newContent);
        }
        setTitleNumbers(newTitles, kept, record.子Rec, toInt16(kept));
    }
    replacePair(newTitles, newContents);
}

std::vector<std::string> DataStore::linkProblems() {
    OpenFiles open(*this, OpenFiles::Both);
    const std::vector<TitleRecord> titles = readAllTitles();
    const std::vector<ContentRecord> contents = readAllContents();
    open.close();

    std::vector<std::string> problems;
    std::vector<int> namedBy(contents.size() + 1, 0);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const TitleRecord& title = titles[i];
        const int t = int(i + 1);
        const std::string at = "表題 " + std::to_string(t);
        bool used = !CleanField(std::string(title.表題)).empty();
        for (int slot = 0; slot < TitleRecord::kSlots; ++slot) {
            const int k = title.子Rec[slot];
            if (k <= 0) continue;
            used = true;
            const std::string where = at + " の子Rec " + std::to_string(slot + 1) + " (" + std::to_string(k) + ")";
            if (std::size_t(k) > contents.size()) {
                problems.push_back(where + ": 内容ファイルにありません");
                continue;
            }
            const ContentRecord& row = contents[k - 1];
            if (namedBy[k] != 0)
                problems.push_back(where + ": 表題 " + std::to_string(namedBy[k]) + " と重複しています");
            else
                namedBy[k] = t;
            if (isDeletedMark(row.項目)) problems.push_back(where + ": 削除済みのレコードです");
            if (row.親Rec != t) problems.push_back(where + ": 親Rec が " + std::to_string(row.親Rec) + " です");
            if (row.自分Rec != k) problems.push_back(where + ": 自分Rec が " + std::to_string(row.自分Rec) + " です");
        }
        if (used && title.自分Rec != t)
            problems.push_back(at + ": 自分Rec が " + std::to_string(title.自分Rec) + " です");
    }
    return problems;
}

}  // namespace mk
