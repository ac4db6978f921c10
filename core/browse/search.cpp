#include "core/browse/search.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "core/base/messages.h"
#include "core/store/browse_load.h"
#include "core/store/records.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr int kSearchedCols[] = {bcol::Title, bcol::Item, bcol::Content};
constexpr int kProgressEvery = 64;
constexpr int kRowsAhead = 32;   // rows: the cells themselves
constexpr int kTextsAhead = 16;  // rows: the texts the cells point to
constexpr int kKeysAhead = 8;
constexpr int kLargestFlagArray = 1 << 20;

// Plain substring test. Most Japanese characters share their first byte,
// so a candidate must match the key's last byte too before the rest is
// compared.
bool containsKey(const std::string& text, const std::string& key) {
    const std::size_t m = key.size();
    if (m == 0) return true;
    if (text.size() < m) return false;
    const char first = key[0];
    const char last = key[m - 1];
    const char* begin = text.data();
    const char* end = begin + (text.size() - m) + 1;  // last possible start + 1
    for (const char* p = begin; p < end;) {
        p = static_cast<const char*>(std::memchr(p, first, std::size_t(end - p)));
        if (!p) return false;
        if (p[m - 1] == last && std::memcmp(p + 1, key.data() + 1, m - 1) == 0) return true;
        ++p;
    }
    return false;
}

// The number of a key cell: record numbers are plain digits, read inline;
// anything else goes the general way (LeadingNumber), clamped to 0 and up.
int keyNumber(const GridTable& table, int row, int col) {
    const std::string& text = table.text(row, col);
    if (!text.empty() && text.size() <= 9) {
        int value = 0;
        bool digits = true;
        for (char ch : text) {
            if (ch < '0' || ch > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (ch - '0');
        }
        if (digits) return value;
    }
    return int(std::clamp(table.number(row, col), 0L, long(INT32_MAX - 1)));
}

int slotOf(int col) { return col == bcol::Title ? 0 : (col == bcol::Item ? 1 : 2); }


// A fast 64-bit hash of a text, eight bytes at a time.
uint64_t textHash(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xC2B2AE3D27D4EB4Full);
    auto mix = [&](uint64_t v) {
        h ^= v * 0x87C37B91114253D5ull;
        h = (h << 31) | (h >> 33);
        h *= 0x4CF5AD432745937Full;
    };
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        mix(v);
    }
    if (n > 0) {
        uint64_t v = 0;
        std::memcpy(&v, p, n);
        mix(v ^ (uint64_t(n) << 56));
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

// Records 1..kMaxRecordNumber have their own places; rows without one come
// after.
constexpr std::size_t kRecordPlaces = std::size_t(kMaxRecordNumber) + 1;

std::size_t placeOf(int row, int record) {
    return record >= 1 && record < int(kRecordPlaces) ? std::size_t(record) : kRecordPlaces + row;
}

}  // namespace

// The texts and keys of a searched table lie scattered over the heap; asked
// for a few rows ahead, they arrive while the rows before them are compared.
void SearchKeyCache::prefetch(int row, int record) const {
    const std::size_t index = placeOf(row, record) * 3;
    if (index + 2 >= cells_.size()) return;
    __builtin_prefetch(&cells_[index]);
    __builtin_prefetch(&cells_[index + 2]);
}

void SearchKeyCache::prefetchKeys(int row, int record) const {
    const std::size_t index = placeOf(row, record) * 3;
    if (index + 2 >= cells_.size()) return;
    for (int i = 0; i < 3; ++i) __builtin_prefetch(cells_[index + i].key.data());
}

const std::string& SearchKeyCache::key(const GridTable& table, int row, int col, int record) {
    const std::size_t index = placeOf(row, record) * 3 + slotOf(col);
    if (cells_.size() <= index) cells_.resize(std::max(index + 1, (kRecordPlaces + table.rows()) * 3));
    Cell& cell = cells_[index];
    const std::string& text = table.text(row, col);
    const uint64_t hash = textHash(text);
    if (!cell.valid || cell.size != text.size() || cell.hash != hash) {
        cell.key = SearchKey(text);
        cell.hash = hash;
        cell.size = uint32_t(text.size());
        cell.valid = true;
    }
    return cell.key;
}

std::string counterText(int count, int total) {
    return std::to_string(count) + "/" + std::to_string(total);
}

bool 検索(GridTable& table, SearchView& view, SearchKeyCache* cache) {
    SearchKeyCache local;
    SearchKeyCache& keys = cache ? *cache : local;
    GridTable::UpdateBatch batch(table);
    return Trap(kSearchLocation, [&] {
        // The cells hold what the data files gave back; the keyword is
        // compared in the form it would be stored in, so that a typed 〜
        // (U+301C) meets the ～ (U+FF5E) that CP932 reads back for it.
        const std::string K = SearchKey(AsStored(view.keyword()));
        const int n = std::max(table.rows() - 1, 0);

        // Only the rows still shown are tested: a new search starts from the
        // whole table, and a narrowing search hides more of what is shown.
        std::vector<int> rows;
        rows.reserve(std::size_t(n));
        for (int r = 1; r <= n; ++r)
            if (!table.rowHidden(r)) rows.push_back(r);
        const int count = int(rows.size());

        // Both possible keys of every tested row, read once, a few rows ahead
        // of the row being compared so that one pass over the table does.
        // Keys are record numbers; the flags are sized afterwards by the
        // largest one present, so that every key fits, even when the content
        // file is empty or a row holds no number at all (key 0).
        std::vector<int> parents(rows.size()), children(rows.size());
        int largest = 0;
        auto readKeys = [&](int i) {
            const int r = rows[std::size_t(i)];
            parents[i] = keyNumber(table, r, bcol::Parent);
            children[i] = keyNumber(table, r, bcol::Child);
            largest = std::max({largest, parents[i], children[i]});
        };
        auto keyOf = [&](int i) { return view.displayMode() == HitRowsOnly ? children[i] : parents[i]; };
        std::vector<int> hitKeys;

        view.setCounter(counterText(1, n));
        DoEvents();

        for (int i = 0; i < std::min(count, kRowsAhead); ++i) table.prefetchRow(rows[std::size_t(i)]);
        for (int i = 0; i < std::min(count, kTextsAhead); ++i) readKeys(i);
        bool titleHit = false;
        int previous = 0;  // the row tested before, 0 for none
        // Progress every 64th row of the table, tested or not.
        int progress = kProgressEvery;
        auto progressTo = [&](int row) {
            for (; progress <= row; progress += kProgressEvery) {
                view.setCounter(counterText(progress, n));
                DoEventsPaced();
            }
        };
        for (int i = 0; i < count; ++i) {
            const int r = rows[std::size_t(i)];
            progressTo(r);
            if (const int ahead = i + kRowsAhead; ahead < count) table.prefetchRow(rows[std::size_t(ahead)]);
            if (const int ahead = i + kTextsAhead; ahead < count) {
                readKeys(ahead);
                const int ra = rows[std::size_t(ahead)];
                for (int c : kSearchedCols) __builtin_prefetch(table.text(ra, c).data());
                keys.prefetch(ra, children[ahead]);
            }
            if (const int ahead = i + kKeysAhead; ahead < count)
                keys.prefetchKeys(rows[std::size_t(ahead)], children[ahead]);

            // An entry's rows repeat its title: the same text gives the
            // same answer as in the row tested before.
            const std::string& title = table.text(r, bcol::Title);
            if (previous == 0 || title != table.text(previous, bcol::Title))
                titleHit = containsKey(keys.key(table, r, bcol::Title, children[i]), K);
            bool rowHit = titleHit;
            if (titleHit) table.setForeColor(r, bcol::Title, palette::LightRed);
            for (int c : {bcol::Item, bcol::Content}) {
                if (containsKey(keys.key(table, r, c, children[i]), K)) {
                    table.setForeColor(r, c, palette::LightRed);
                    rowHit = true;
                }
            }
            // The option is read at every row: a click on the other option
            // while the search runs changes the key of the rows that follow.
            if (rowHit) hitKeys.push_back(keyOf(i));
            previous = r;
        }
        progressTo(n);
        // Record numbers are 16-bit; a table made otherwise with huge
        // numbers gets its flags in a set rather than a huge array.
        std::vector<uint8_t> flags;
        std::unordered_set<int> flagSet;
        const bool small = largest <= kLargestFlagArray;
        if (small) flags.assign(std::size_t(largest) + 1, 0);
        for (int key : hitKeys) {
            if (small)
                flags[key] = 1;
            else
                flagSet.insert(key);
        }
        auto hit = [&](int key) { return small ? flags[key] != 0 : flagSet.count(key) != 0; };

        // The counter shows the rows left shown.
        std::vector<int> hide(std::size_t(n) + 1, 0);
        int hidden = 0;
        for (int i = 0; i < count; ++i) {
            if (!hit(keyOf(i))) {
                hide[rows[std::size_t(i)]] = 1;
                ++hidden;
            }
        }
        table.hideRows(hide);

        view.setCounter(counterText(count - hidden, n));
        view.setTableVisible(true);
    });
}

void resetSearchMarks(GridTable& table) {
    GridTable::UpdateBatch batch(table);
    table.showAllRows();
    if (table.rows() > 1)
        table.fillForeColor(1, bcol::Title, table.rows() - 1, bcol::Content, palette::Black);
}

}  // namespace mk
