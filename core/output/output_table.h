#pragma once
// The output table: what the spreadsheet file will hold, cell by cell, with
// the formats the file can carry. It is never shown; the layouts fill it and
// the .xls writer turns it into a file.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/store/colors.h"
#include "core/store/grid_table.h"

namespace mk {

struct OutputCell {
    std::string text;
    int fontSize = 11;  // points
    bool bold = false;
    Align align = Align::Left;  // always centred vertically
    std::optional<Rgb> back;    // a solid fill, or none
};

// Columns 1..3 hold the output; column 0 is the layouts' empty fixed column
// and is not written to the file.
class OutputTable {
public:
    static constexpr int kCols = 4;
    static constexpr int kFontSize = 11;

    void clear();
    int rows() const { return int(rowHeights_.size()); }
    void setRows(int rows);
    OutputCell& cell(int row, int col) { return cells_[std::size_t(row) * kCols + col]; }
    const OutputCell& cell(int row, int col) const {
        return cells_[std::size_t(row) * kCols + col];
    }
    int rowHeight(int row) const { return rowHeights_[row]; }
    void setRowHeights(int twips);
    int colWidth(int col) const { return colWidths_[col]; }
    void setColWidth(int col, int twips) { colWidths_[col] = twips; }
    void setFontSize(int points);  // every cell
    // Fits column `col` to its widest text, as `width` measures it, plus
    // `extra` twips.
    void autoSizeColumn(int col, int extra,
                        const std::function<int(const std::string&, int)>& width);

    std::string fontName = "Meiryo UI";
    // The width of one character ("0") of the default font, in twips: the
    // unit in which the file gives column widths.
    int characterWidth = 120;

private:
    std::vector<OutputCell> cells_;
    std::vector<int> rowHeights_;
    int colWidths_[kCols] = {960, 960, 960, 960};
};

// Measures the width in twips of a text in the output font at a size in
// points. The window side hands over one that asks the real font; without
// one the layout estimates.
using TextWidth = std::function<int(const std::string& text, int points)>;

// The estimate: half-width characters take half the em, others a whole em.
// Wide capitals ("M", "W") take more than that, so the window side's
// measure is the one to use where there is a font.
int textWidthTwips(const std::string& text, int points);

// The three modes of 印刷出力.
inline const char* const kModeShown = "表示データ";
inline const char* const kModeSelected = "選択データ";
inline const char* const kModeCards = "カードデータ";

// One row taken from the browse table, untrimmed, exactly as shown.
struct OutputRow {
    std::string title, item, content;
};

// The data rows of the browse table that `mode` takes, in table order:
// every row not hidden, and for the selected and card modes only the rows
// whose output check is set. An unknown mode takes nothing.
std::vector<OutputRow> selectOutputRows(const GridTable& browse, const std::string& mode);

// The table layout: a header row, then one row per output row, the columns
// fitted to their texts as `width` measures them (the estimate when empty).
void layoutTable(OutputTable& out, const std::vector<OutputRow>& rows,
                 const std::string& titleHeader, const std::string& itemHeader,
                 const std::string& contentHeader, const TextWidth& width = {});
// The card layout: 12-row cards of up to seven items, continuation cards
// and equal headers numbered "(2)", "(3)", ...
void layoutCards(OutputTable& out, const std::vector<OutputRow>& rows);

}  // namespace mk
