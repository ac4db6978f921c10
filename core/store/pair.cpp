// The data pair as a whole: replacing both files together, rewriting them
// with some titles left out, and checking the links between them.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/errors.h"
#include "core/store/data_store.h"
#include "core/store/open_files.h"
#include "core/store/text.h"

namespace mk {

namespace {

void removeQuietly(const std::string& path) {
    try {
        if (!path.empty() && fs::exists(path)) fs::removeFile(path);
    } catch (...) {
    }
}

// What a data file held before a replacement, to put back if the
// replacement stops half-way: a second name for the old file where the file
// system has them (nothing is copied), else its bytes; nothing when there was
// no file. Putting it back is two steps: prepare() writes whatever it takes
// (the bytes into a temporary file), putBack() is one rename or unlink, and
// throws only when the old file is not back. Neither syncs the folder.
// Whatever second name is left goes when this does.
class KeptFile {
public:
    explicit KeptFile(std::string path) : path_(std::move(path)) {
        if (!fs::exists(path_)) return;
        link_ = fs::linkTemporary(path_);
        if (link_.empty()) bytes_ = fs::readWholeFile(path_);
    }
    ~KeptFile() {
        if (!link_.empty()) fs::removeLinkTemporary(link_);
        removeQuietly(temp_);
    }
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    void prepare() {
        if (link_.empty() && bytes_ && temp_.empty()) temp_ = fs::writeTemporary(path_, *bytes_);
    }
    void putBack() {
        prepare();  // nothing when done already
        std::string& from = link_.empty() ? temp_ : link_;
        if (!from.empty()) {
            fs::renameFile(from, path_);
            from.clear();
        } else if (!bytes_ && fs::exists(path_)) {
            fs::removeFile(path_);
        }
    }

private:
    std::string path_;
    std::string link_;
    std::optional<std::string> bytes_;
    std::string temp_;
};

// Runs `step`; false when it threw.
template <class Step>
bool quietly(const Step& step) {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The journal: one "<new file>\t<target>" line per rename (names in the data
// folder), then "end". Written whole through a rename, so it is either there
// complete or not at all.
std::string journalText(const std::vector<std::pair<std::string, std::string>>& renames) {
    std::string text;
    for (const auto& [from, to] : renames) text += nameOf(from) + "\t" + nameOf(to) + "\n";
    return text + "end\n";
}

std::vector<std::pair<std::string, std::string>> journalRenames(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> renames;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) break;
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line == "end") return renames;
        const std::size_t tab = line.find('\t');
        // Plain names only: a journal never sends a file out of the folder.
        if (tab == std::string::npos || line.find('/') != std::string::npos) break;
        renames.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return {};  // not one this program wrote whole: nothing to finish
}

}  // namespace

void DataStore::finishInterruptedWrites() {
    const std::string folder = dataFolder();
    const std::string journal = folder + kPairJournalFileName;
    const std::string rollback = folder + kRollbackJournalFileName;
    // Records changed in place by a write that did not finish go back first.
    if (fs::exists(rollback)) rollBackJournal(rollback);
    const bool pending = fs::exists(journal);
    if (!pending && leftoversChecked_) return;
    if (pending) {
        markPairReplaced();
        // The new files were complete when the journal was written: putting
        // them in place finishes the replacement. A rename already done has
        // no source any more.
        for (const auto& [from, to] : journalRenames(fs::readWholeFile(journal)))
            if (fs::exists(folder + from)) fs::renameFile(folder + from, folder + to);
        fs::syncDirectory(folder);
        fs::removeFile(journal);
        fs::syncDirectory(folder);
    }
    // Anything else half-written by a process that is gone (this program
    // runs as one instance).
    for (const std::string& path :
         {titlePath(), contentPath(), journal, folder + kTitleTempFileName})
        fs::removeLeftoverTemporaries(path);
    leftoversChecked_ = true;
}

void DataStore::replacePair(const std::string& titleBytes, const std::string& contentBytes) {
    markPairReplaced();
    std::string folder = dataFolder();
    MakeFolderPath(folder);
    finishInterruptedWrites();
    KeptFile oldTitles(titlePath());
    KeptFile oldContents(contentPath());
    const std::string journal = folder + kPairJournalFileName;
    std::string newContents, newTitles;
    int renamed = 0;
    try {
        newContents = fs::writeTemporary(contentPath(), contentBytes);
        newTitles = fs::writeTemporary(titlePath(), titleBytes);
        // From here on a crash is finished by the next open.
        fs::replaceFile(journal, journalText({{newContents, contentPath()}, {newTitles, titlePath()}}));
        fs::renameFile(newContents, contentPath());
        newContents.clear();
        renamed = 1;
        fs::renameFile(newTitles, titlePath());
        newTitles.clear();
        renamed = 2;
        fs::syncDirectory(folder);
        fs::removeFile(journal);
        fs::syncDirectory(folder);
    } catch (...) {
        // The pair must not end with old titles over new rows, or the other
        // way round; the original error is the one reported. What was
        // renamed goes back: everything the put-back writes comes first, so
        // that a failure there leaves it undone. Where the new rows cannot
        // be taken back, the new titles join them instead. The journal goes
        // last: while it is there the next open would finish the job.
        removeQuietly(newContents);
        if (renamed >= 1) {
            const bool contentsBack = quietly([&] {
                oldContents.prepare();
                if (renamed >= 2) oldTitles.prepare();
                oldContents.putBack();
            });
            if (contentsBack && renamed >= 2)
                quietly([&] { oldTitles.putBack(); });  // only a second failed rename mixes them
            else if (!contentsBack && renamed == 1)
                quietly([&] {
                    fs::renameFile(newTitles, titlePath());
                    newTitles.clear();
                });
            quietly([&] { fs::syncDirectory(folder); });
        }
        removeQuietly(newTitles);
        removeQuietly(journal);
        throw;
    }
}

void DataStore::readPairBytes(std::string& titleBytes, std::string& contentBytes) {
    OpenFiles open(*this, OpenFiles::Both);
    titleBytes.resize(std::size_t(Maxrec1) * TitleRecord::kSize);
    contentBytes.resize(std::size_t(Maxrec2) * ContentRecord::kSize);
    if (file1_.readAt(0, titleBytes.data(), titleBytes.size()) != titleBytes.size() ||
        file2_.readAt(0, contentBytes.data(), contentBytes.size()) != contentBytes.size())
        throw RuntimeError(ErrPathFileAccess);
    open.close();
}

PairBuilder DataStore::extendPair() {
    std::string titleBytes, contentBytes;
    readPairBytes(titleBytes, contentBytes);
    return PairBuilder(std::move(titleBytes), std::move(contentBytes));
}

bool DataStore::holdsWholeRecords(int64_t titleSize, int64_t contentSize) {
    return titleSize >= 0 && contentSize >= 0 && titleSize % int64_t(TitleRecord::kSize) == 0 &&
           contentSize % int64_t(ContentRecord::kSize) == 0;
}

void DataStore::rewritePairKeeping(const std::function<bool(const TitleRecord&)>& keep) {
    std::string titleBytes, contentBytes;
    readPairBytes(titleBytes, contentBytes);
    const int titleCount = int(titleBytes.size() / TitleRecord::kSize);
    const int contentCount = int(contentBytes.size() / ContentRecord::kSize);

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

SlotTally tallySlots(const std::vector<TitleRecord>& titles, int maxrec2,
                     const std::function<void(int t, int s, int v, int firstTitle)>& each) {
    SlotTally tally;
    std::vector<int> namedBy(std::size_t(std::max(maxrec2, 0)) + 1, 0);
    std::vector<bool> counted(namedBy.size(), false);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const int t = int(i + 1);
        for (int s = 1; s <= TitleRecord::kSlots; ++s) {
            const int v = titles[i].子Rec[s - 1];
            if (v == 0) continue;
            int first = -1;
            if (v < 1 || v > maxrec2) {
                ++tally.outOfRange;
            } else {
                first = namedBy[v];
                if (first == 0)
                    namedBy[v] = t;
                else if (!counted[v]) {
                    counted[v] = true;
                    ++tally.duplicates;
                }
            }
            if (each) each(t, s, v, first);
        }
    }
    return tally;
}

std::vector<std::string> DataStore::linkProblems() {
    OpenFiles open(*this, OpenFiles::Both);
    const std::vector<TitleRecord> titles = readAllTitles();
    const std::vector<ContentRecord> contents = readAllContents();
    open.close();

    std::vector<std::string> problems;
    std::vector<bool> used(titles.size() + 1, false);
    tallySlots(titles, int(contents.size()), [&](int t, int slot, int k, int first) {
        used[t] = true;
        // The slot's name begins each of its problems; it is only made for
        // a slot that has one (a sound pair has none at all). Each text is
        // put together in storage of its final size: a damaged pair can have
        // a problem in every one of thousands of slots.
        std::string where;
        auto problem = [&](std::string_view what, const std::string& detail = {},
                           std::string_view after = {}) {
            if (where.empty()) {
                const std::string numbers[] = {std::to_string(t), std::to_string(slot),
                                               std::to_string(k)};
                where.reserve(48);
                where.append("表題 ").append(numbers[0]).append(" の子Rec ").append(numbers[1]);
                where.append(" (").append(numbers[2]).append(")");
            }
            std::string text;
            text.reserve(where.size() + what.size() + detail.size() + after.size());
            text.append(where).append(what).append(detail).append(after);
            problems.push_back(std::move(text));
        };
        if (first < 0) {
            problem(": 内容ファイルにありません");
            return;
        }
        const ContentRecord& row = contents[k - 1];
        if (first > 0) problem(": 表題 ", std::to_string(first), " と重複しています");
        if (isDeletedMark(row.項目)) problem(": 削除済みのレコードです");
        if (row.親Rec != t) problem(": 親Rec が ", std::to_string(row.親Rec), " です");
        if (row.自分Rec != k) problem(": 自分Rec が ", std::to_string(row.自分Rec), " です");
    });
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const int t = int(i + 1);
        const TitleRecord& title = titles[i];
        if ((used[t] || !CleanField(std::string(title.表題)).empty()) && title.自分Rec != t)
            problems.push_back("表題 " + std::to_string(t) + ": 自分Rec が " +
                               std::to_string(title.自分Rec) + " です");
    }
    return problems;
}

}  // namespace mk
