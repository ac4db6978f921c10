#include "core/browse/search.h"

#include <algorithm>

#include "core/app/messages.h"
#include "core/store/browse_load.h"
#include "core/store/text.h"

namespace mk {

namespace {

constexpr int kSearchedCols[] = {bcol::Title, bcol::Item, bcol::Content};
constexpr int kProgressEvery = 64;

int slotOf(int col) { return col == bcol::Title ? 0 : (col == bcol::Item ? 1 : 2); }

// Keeps the table's notifications collected for the whole search, however it
// ends, so that the view hears of it once.
class UpdateBatch {
public:
    explicit UpdateBatch(GridTable& table) : table_(table) { table_.beginUpdate(); }
    ~UpdateBatch() { table_.endUpdate(); }

private:
    GridTable& table_;
};

}  // namespace

const std::string& SearchKeyCache::key(const GridTable& table, int row, int col) {
    std::size_t need = std::size_t(table.rows()) * 3;
    if (cells_.size() < need) cells_.resize(need);
    Cell& cell = cells_[std::size_t(row) * 3 + slotOf(col)];
    const std::string& text = table.text(row, col);
    if (!cell.valid || cell.source != text) {
        cell.source = text;
        cell.key = CompareKey(text);
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
    UpdateBatch batch(table);
    return Trap(kSearchLocation, [&] {
        const std::string K = CompareKey(view.keyword());
        const int n = std::max(table.rows() - 1, 0);

        // One flag per key. Keys are record numbers; the table is sized by
        // the largest one present so that every key fits, even when the
        // content file is empty or a row holds no number at all (key 0).
        long largest = 0;
        for (int r = 1; r <= n; ++r) {
            largest = std::max(largest, table.number(r, bcol::Parent));
            largest = std::max(largest, table.number(r, bcol::Child));
        }
        std::vector<uint8_t> hit(std::size_t(largest) + 1, 0);
        auto keyOf = [&](int r, int mode) {
            long key = table.number(r, mode == HitRowsOnly ? bcol::Child : bcol::Parent);
            return std::size_t(std::max(key, 0L));
        };

        view.setCounter(counterText(1, n));
        DoEvents();

        for (int r = 1; r <= n; ++r) {
            if (r % kProgressEvery == 0) {
                view.setCounter(counterText(r, n));
                DoEvents();
            }
            bool rowHit = false;
            for (int c : kSearchedCols) {
                if (keys.key(table, r, c).find(K) != std::string::npos) {
                    table.setForeColor(r, c, palette::LightRed);
                    rowHit = true;
                }
            }
            // The option is read at every row: a click on the other option
            // while the search runs changes the key of the rows that follow.
            if (rowHit) hit[keyOf(r, view.displayMode())] = 1;
        }

        std::vector<int> hide(std::size_t(n) + 1, 0);
        int hidden = 0;
        for (int r = 1; r <= n; ++r) {
            if (!hit[keyOf(r, view.displayMode())]) {
                hide[r] = 1;
                ++hidden;
            }
        }
        table.hideRows(hide);

        view.setCounter(counterText(n - hidden, n));
        view.setTableVisible(true);
    });
}

void resetSearchMarks(GridTable& table) {
    UpdateBatch batch(table);
    table.showAllRows();
    if (table.rows() > 1)
        table.fillForeColor(1, bcol::Title, table.rows() - 1, bcol::Content, palette::Black);
}

}  // namespace mk
