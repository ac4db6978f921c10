#include "core/browse/grid_actions.h"

#include <algorithm>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/store/browse_load.h"

namespace mk {

namespace {

constexpr int kContextWindow = 200;

int dataRows(const GridTable& table) { return std::max(table.rows() - 1, 0); }

}  // namespace

void paintDataWhite(GridTable& table) {
    if (dataRows(table) <= 2) return;
    table.fillBackColor(1, 1, table.rows() - 1, table.cols() - 1, palette::White);
}

void editContextRefresh(GridTable& table, int r, int k, bool editLock, EditContext& context) {
    Trap(kRowColChangeLocation, [&] {
        if (editLock) table.setEditable(false);

        const int last = table.rows() - 1;
        if (r < 0 || r > last) throw RuntimeError(ErrSubscript);
        const std::string& title = table.text(r, bcol::Title);

        int lo = r - kContextWindow;
        if (lo < 1) lo = 0;
        const int hi = std::min(r + kContextWindow, last);

        int first = 0;
        for (int i = r; i >= lo; --i) {
            if (table.text(i, bcol::Title) != title) {
                first = i + 1;
                break;
            }
        }
        int blockLast = 0;
        bool met = false;
        for (int i = r; i <= hi; ++i) {
            if (table.text(i, bcol::Title) != title) {
                blockLast = i - 1;
                met = true;
                break;
            }
        }
        if (!met || blockLast < 1) blockLast = last;
        blockLast = std::min(blockLast, last);

        context.setBlock(first, blockLast);
        context.currentRow = r;
        context.currentCol = k;

        paintDataWhite(table);
    });
}

void paintCurrentCell(GridTable& table, const EditContext& context) {
    if (dataRows(table) <= 2) return;
    // Two notifications rather than one batch: a batch ends in a reset,
    // which would cost the view its current cell twice a second.
    paintDataWhite(table);
    // Only data cells: column 0 is never painted white again, so a cyan
    // there would stay behind when the current cell moves on.
    if (context.currentCol >= 1)
        table.setBackColor(context.currentRow, context.currentCol, palette::LightCyan);
}

std::string cellTransfer(GridTable& table, int r, int c) {
    std::string text = table.text(r, c);
    if (table.rows() > 1) table.fillBackColor(1, bcol::Title, table.rows() - 1, bcol::Content, palette::White);
    table.setBackColor(r, c, palette::LightCyan);
    return text;
}

int headerSort(GridTable& table, int col, SortState& state) {
    GridTable::UpdateBatch batch(table);
    table.currentCol = col;
    if (state.direction == 0) state.direction = -1;
    state.direction = -state.direction;
    table.sortByColumn(col, state.direction > 0);
    if (table.rows() > 0 && table.cols() > 0) table.setText(0, 0, state.direction > 0 ? "▲" : "▼");
    table.setMergeCol(bcol::Number, true);
    table.setMergeCol(bcol::Title, true);
    return state.direction;
}

std::string gridHelpText(int x, int y, int col) {
    static const char* const kOutput = "チェックを入れた行をエクセルに転送します。";
    static const char* const kSort =
        "項目行をクリックすると並び替えをします。　元に戻す場合は全データ表示ボタンをクリックします。(検索結果は破棄されます。)";
    static const char* const kTransfer =
        "セルをクリックすると検索ボックスに転送されます。　またクリップボードにも転送されるので　他のアプリに貼り付けが出来ます。";
    static const char* const kEditRows =
        "セルの簡単な修正が出来ます。行の追加など詳細な修正や新規登録は新規登録・編集画面で実施してください。";
    static const char* const kEditPaste =
        "セルの簡単な修正が出来ます。クリップボードからの貼り付けは出来ません。詳細な修正は新規登録・編集画面で実施してください。";

    if (col == bcol::Output) return kOutput;
    const bool left = x >= 0 && x <= 6000;
    if (y >= 0 && y <= 270) return kSort;
    if (y > 270 && y <= 3000) return left ? kTransfer : kEditRows;
    return left ? kEditPaste : kTransfer;
}

}  // namespace mk
