#include "core/output/output_table.h"

#include <algorithm>

#include "core/store/browse_load.h"

namespace mk {

namespace {

constexpr int kTableRowHeight = 350;
constexpr int kTableExtraWidth = 50;
constexpr int kCardFontSize = 7;
constexpr int kCardRowHeight = 400;
constexpr int kCardRows = 12;      // one card, header included
constexpr int kCardItems = 7;      // item rows of a card
constexpr int kCardTailRows = 10;  // rows below the last card's header
const char* const kCardHeader = "表題：";

bool isCardHeader(const std::string& text) { return text.rfind(kCardHeader, 0) == 0; }

}  // namespace

void OutputTable::clear() {
    cells_.clear();
    rowHeights_.clear();
    std::fill(std::begin(colWidths_), std::end(colWidths_), 960);
}

void OutputTable::setRows(int rows) {
    cells_.resize(std::size_t(rows) * kCols);
    rowHeights_.resize(std::size_t(rows), 300);
}

void OutputTable::setRowHeights(int twips) {
    std::fill(rowHeights_.begin(), rowHeights_.end(), twips);
}

void OutputTable::setFontSize(int points) {
    for (OutputCell& c : cells_) c.fontSize = points;
}

void OutputTable::autoSizeColumn(int col, int extra, const TextWidth& width) {
    int widest = 0;
    for (int r = 0; r < rows(); ++r)
        widest = std::max(widest, width(cell(r, col).text, cell(r, col).fontSize));
    colWidths_[col] = widest + extra;
}

int textWidthTwips(const std::string& text, int points) {
    // One em is the font size in twips (20 twips a point).
    const int em = points * 20;
    int halves = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        // Half-width katakana (U+FF61..U+FF9F) are narrow as well.
        bool narrow = c < 0x80;
        if (c == 0xEF && i + 2 < text.size()) {
            const unsigned char c1 = static_cast<unsigned char>(text[i + 1]);
            const unsigned char c2 = static_cast<unsigned char>(text[i + 2]);
            narrow = (c1 == 0xBD && c2 >= 0xA1) || c1 == 0xBE;
        }
        halves += narrow ? 1 : 2;
        i += length;
    }
    return halves * em / 2;
}

std::vector<OutputRow> selectOutputRows(const GridTable& browse, const std::string& mode) {
    const bool all = mode == kModeShown;
    if (!all && mode != kModeSelected && mode != kModeCards) return {};
    std::vector<OutputRow> rows;
    for (int r = 1; r < browse.rows(); ++r) {
        if (browse.rowHidden(r)) continue;
        if (!all && browse.checkState(r, bcol::Output) != Checked) continue;
        rows.push_back({browse.text(r, bcol::Title), browse.text(r, bcol::Item),
                        browse.text(r, bcol::Content)});
    }
    return rows;
}

void layoutTable(OutputTable& out, const std::vector<OutputRow>& rows,
                 const std::string& titleHeader, const std::string& itemHeader,
                 const std::string& contentHeader, const TextWidth& width) {
    out.clear();
    out.setRows(int(rows.size()) + 1);
    out.cell(0, 1).text = titleHeader;
    out.cell(0, 2).text = itemHeader;
    out.cell(0, 3).text = contentHeader;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = int(i) + 1;
        out.cell(r, 1).text = rows[i].title;
        out.cell(r, 2).text = rows[i].item;
        out.cell(r, 3).text = rows[i].content;
    }
    out.setFontSize(OutputTable::kFontSize);
    out.setRowHeights(kTableRowHeight);
    const TextWidth measure = width ? width : TextWidth(textWidthTwips);
    for (int c = 1; c <= 3; ++c) out.autoSizeColumn(c, kTableExtraWidth, measure);
}

void layoutCards(OutputTable& out, const std::vector<OutputRow>& rows) {
    out.clear();
    // Pass 1: place the rows. `header` is the current card's header row.
    struct Placed {
        int row;
        const OutputRow* source;
    };
    std::vector<int> headers;
    std::vector<Placed> items;
    int header = 0, used = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool newTitle = i == 0 || rows[i].title != rows[i - 1].title;
        if (newTitle || used == kCardItems) {
            header = headers.empty() ? 1 : header + kCardRows;
            headers.push_back(header);
            used = 0;
        }
        ++used;
        items.push_back({header + used, &rows[i]});
    }
    const int last = headers.empty() ? 0 : headers.back() + kCardTailRows;
    out.setRows(last + 1);
    for (std::size_t k = 0, i = 0; k < headers.size(); ++k) {
        out.cell(headers[k], 1).text = kCardHeader + rows[i].title;
        // The rows of this card follow its header.
        while (i < items.size() && (k + 1 == headers.size() || items[i].row < headers[k + 1])) {
            out.cell(items[i].row, 1).text = items[i].source->item;
            out.cell(items[i].row, 2).text = items[i].source->content;
            ++i;
        }
    }

    out.setFontSize(kCardFontSize);
    out.setRowHeights(kCardRowHeight);
    out.setColWidth(1, 1500);
    out.setColWidth(2, 2500);
    out.setColWidth(3, 100);
    for (int r = 0; r < out.rows(); ++r) {
        out.cell(r, 0).align = Align::Right;
        out.cell(r, 1).align = Align::Right;
        out.cell(r, 2).align = Align::Left;
    }

    // Pass 2: headers. A run of equal header texts is numbered from the
    // second on, so that a continuation card says which one it is.
    std::string previous;
    int k = 1;
    bool any = false;
    for (int r = 0; r < out.rows(); ++r) {
        OutputCell& h = out.cell(r, 1);
        if (!isCardHeader(h.text)) continue;
        const std::string text = h.text;
        if (any && text == previous) {
            ++k;
            h.text += "(" + std::to_string(k) + ")";
        } else {
            k = 1;
        }
        previous = text;
        any = true;
        h.bold = true;
        h.align = Align::Left;
        h.back = palette::LightCyan;
        out.cell(r, 2).back = palette::LightCyan;
    }
}

}  // namespace mk
