// The rollback journal of the writes in place: the old bytes of the records
// an operation changes go to a synced journal beside the pair before the
// first of them is written, and the journal goes once they are all written
// and synced. What a crash leaves is put back by the next open.
#include <algorithm>
#include <cstring>
#include <optional>

#include "core/base/errors.h"
#include "core/store/data_store.h"
#include "core/store/open_files.h"

namespace mk {

namespace journal {

namespace {

// The layout is described in docs/file-formats.md.
constexpr char kMagic[8] = {'M', 'K', 'J', 'R', 'N', 'L', '0', '1'};
constexpr std::size_t kHeaderSize = 8 + 4 + 8 + 8;
constexpr std::size_t kRegionHeaderSize = 1 + 4 + 4;
constexpr std::size_t kChecksumSize = 8;

void putUnsigned(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
}

uint64_t getUnsigned(std::string_view in, std::size_t at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return value;
}

// FNV-1a: enough to tell a journal cut short or torn by a power cut from a
// whole one; nobody forges these files.
uint64_t checksum(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::string encode(const Contents& contents) {
    std::string out(kMagic, sizeof kMagic);
    putUnsigned(out, contents.regions.size(), 4);
    putUnsigned(out, uint64_t(contents.titleSize), 8);
    putUnsigned(out, uint64_t(contents.contentSize), 8);
    for (const Region& region : contents.regions) {
        putUnsigned(out, uint64_t(region.which), 1);
        putUnsigned(out, uint64_t(region.record), 4);
        putUnsigned(out, region.bytes.size(), 4);
        out += region.bytes;
    }
    putUnsigned(out, checksum(out), 8);
    return out;
}

std::optional<Contents> decode(std::string_view bytes) {
    if (bytes.size() < kHeaderSize + kChecksumSize || std::memcmp(bytes.data(), kMagic, 8) != 0)
        return std::nullopt;
    const std::string_view body = bytes.substr(0, bytes.size() - kChecksumSize);
    if (checksum(body) != getUnsigned(bytes, body.size(), 8)) return std::nullopt;
    Contents contents;
    const uint64_t count = getUnsigned(body, 8, 4);
    contents.titleSize = int64_t(getUnsigned(body, 12, 8));
    contents.contentSize = int64_t(getUnsigned(body, 20, 8));
    std::size_t at = kHeaderSize;
    for (uint64_t i = 0; i < count; ++i) {
        if (body.size() - at < kRegionHeaderSize) return std::nullopt;
        Region region;
        region.which = int(getUnsigned(body, at, 1));
        region.record = int32_t(getUnsigned(body, at + 1, 4));
        const uint64_t length = getUnsigned(body, at + 5, 4);
        at += kRegionHeaderSize;
        if ((region.which != 1 && region.which != 2) || region.record < 1 ||
            region.record > kMaxRecordNumber + 1 || length > body.size() - at)
            return std::nullopt;
        region.bytes.assign(body.substr(at, length));
        at += length;
        contents.regions.push_back(std::move(region));
    }
    if (at != body.size()) return std::nullopt;
    return contents;
}

}  // namespace journal

namespace {

std::size_t recordLengthOf(int which) {
    return which == 1 ? TitleRecord::kSize : ContentRecord::kSize;
}

void removeQuietly(const std::string& path) {
    try {
        if (fs::exists(path)) fs::removeFile(path);
    } catch (...) {
    }
}

}  // namespace

DataStore::Journal::Journal(DataStore& store) : store_(store) {
    titles_.file = &store.file1_;
    titles_.which = 1;
    contents_.file = &store.file2_;
    contents_.which = 2;
    store_.journal_ = this;
}

// Not committed: the staged records are dropped, and the files never saw them.
DataStore::Journal::~Journal() { store_.journal_ = nullptr; }

DataStore::Journal::Changes& DataStore::Journal::changesOf(fs::File& file) {
    if (&file == titles_.file) return titles_;
    if (&file == contents_.file) return contents_;
    throw RuntimeError(ErrBadFileNameOrNumber);
}

void DataStore::Journal::stage(fs::File& file, int64_t offset, std::string bytes) {
    changesOf(file).writes[offset] = std::move(bytes);
}

void DataStore::Journal::stageTruncate(fs::File& file, int64_t length) {
    // The title file loses its last records; the content file never
    // shrinks in place, and if it did, the whole pair would count as new.
    if (&file == titles_.file)
        for (int64_t at = length; at < file.size(); at += int64_t(TitleRecord::kSize)) store_.noteWritten(file, at);
    else
        store_.markPairReplaced();
    changesOf(file).truncateTo = length;
}

const std::string* DataStore::Journal::staged(const fs::File& file, int64_t offset) const {
    const Changes& changes = &file == titles_.file ? titles_ : contents_;
    const auto it = changes.writes.find(offset);
    return it == changes.writes.end() ? nullptr : &it->second;
}

void DataStore::Journal::commit() {
    std::vector<Changes*> touched;
    for (Changes* c : {&titles_, &contents_})
        if (!c->writes.empty() || c->truncateTo >= 0) touched.push_back(c);
    if (touched.empty()) return;

    // What the files hold now, where the operation will change them.
    journal::Contents old;
    for (Changes* c : touched) {
        const int64_t size = c->file->size();
        (c->which == 1 ? old.titleSize : old.contentSize) = size;
        const int64_t length = int64_t(recordLengthOf(c->which));
        auto keep = [&](int64_t offset, std::size_t n) {
            if (offset >= size) return;  // appended: the size puts it right
            std::string bytes(std::min<int64_t>(int64_t(n), size - offset), '\0');
            bytes.resize(c->file->readAt(offset, bytes.data(), bytes.size()));
            old.regions.push_back({c->which, int32_t(offset / length + 1), std::move(bytes)});
        };
        for (const auto& [offset, bytes] : c->writes) keep(offset, bytes.size());
        if (c->truncateTo >= 0) keep(c->truncateTo, std::size_t(std::max<int64_t>(size - c->truncateTo, 0)));
    }

    const std::string folder = store_.dataFolder();
    const std::string path = folder + kRollbackJournalFileName;
    bool writing = false;
    try {
        {
            const std::string bytes = journal::encode(old);
            fs::File file = fs::File::create(path);
            file.writeAt(0, bytes.data(), bytes.size());
            file.sync();
            file.close();
        }
        fs::syncDirectory(folder);

        // From here on the journal can put back whatever reaches the files.
        writing = true;
        for (Changes* c : touched) {
            for (const auto& [offset, bytes] : c->writes) c->file->writeAt(offset, bytes.data(), bytes.size());
            if (c->truncateTo >= 0 && c->file->size() > c->truncateTo) c->file->truncate(c->truncateTo);
        }
        for (Changes* c : touched) c->file->sync();
        fs::removeFile(path);
    } catch (...) {
        if (writing) {
            // The operation reports its own error; the files go back to what
            // they were. If even that fails, the journal stays for the next
            // open to finish.
            try {
                store_.rollBackJournal(path);
            } catch (...) {
            }
        } else {
            removeQuietly(path);  // no record was written: the journal means nothing
        }
        throw;
    }
    // The change is complete without this sync; it only makes the journal's
    // removal survive a power cut, and a journal that came back would
    // merely undo the change whole.
    try {
        fs::syncDirectory(folder);
    } catch (...) {
    }
    titles_.writes.clear();
    contents_.writes.clear();
    titles_.truncateTo = contents_.truncateTo = -1;
}

void DataStore::rollBackJournal(const std::string& path) {
    markPairReplaced();
    if (const std::optional<journal::Contents> old = journal::decode(fs::readWholeFile(path))) {
        for (int which : {1, 2}) {
            const int64_t size = which == 1 ? old->titleSize : old->contentSize;
            if (size < 0) continue;
            fs::File file = fs::File::openReadWrite(which == 1 ? titlePath() : contentPath());
            for (const journal::Region& region : old->regions)
                if (region.which == which)
                    file.writeAt(int64_t(region.record - 1) * int64_t(recordLengthOf(which)),
                                 region.bytes.data(), region.bytes.size());
            if (file.size() != size) file.truncate(size);
            file.sync();
            file.close();
        }
    }
    // A journal that is not whole was cut short before its sync: no record
    // had been written yet.
    fs::removeFile(path);
    fs::syncDirectory(dataFolder());
}

}  // namespace mk
