#pragma once
// The edit table's undo history: ten levels of the texts of rows 1..100,
// columns 1..4 (item, content, 親Rec, 子Rec). The title box, column 0 and
// the row count are not part of a level.
#include <array>
#include <string>
#include <vector>

#include "core/store/colors.h"
#include "core/store/grid_table.h"

namespace mk {

inline const char* const kSetUnDoLocation = "SetUnDo :  4513   ";
inline const char* const kIndicatorLocation = "インジケーター :  4512   ";

class UndoHistory {
public:
    static constexpr int kLevels = 10;
    static constexpr int kMaxRows = 100;  // data rows a level can hold

    enum class Box { Empty, Stored, Current };

    UndoHistory();

    // Opening the edit screen: P = T = 1, every level emptied.
    void reset();
    // Copies rows 1..R-1, columns 1..4 of the table into a level. A table
    // with more than kMaxRows data rows throws error 9 after copying what
    // fits.
    void store(int level, const GridTable& table);
    // Empties rows 1..rows of a level.
    void clearLevel(int level, int rows);

    // A new level above T (shifting the oldest out at ten), then the
    // last-row rule: a filled last row gets an empty row below it.
    // Throws on the 100-row limit; the caller's trap reports it.
    void push(GridTable& table);
    // Step back / forth and restore that level into the table by position.
    void undo(GridTable& table);
    void redo(GridTable& table);

    int top() const { return top_; }          // T
    int current() const { return current_; }  // P
    const std::string& text(int level, int row, int col) const;
    // How the indicator draws box i (1..10).
    Box box(int i) const;

private:
    void restore(GridTable& table) const;
    using Level = std::vector<std::array<std::string, 5>>;  // [row][col]
    std::array<Level, kLevels + 1> levels_;  // index 0 unused
    int top_ = 1;
    int current_ = 1;
};

// The indicator's colours: stored boxes, their outline, the current box.
constexpr Rgb kIndicatorStoredFill = rgb(192, 255, 255);
constexpr Rgb kIndicatorOutline = rgb(200, 200, 200);
constexpr Rgb kIndicatorCurrentFill = palette::LightCyan;
constexpr Rgb kIndicatorCurrentOutline = palette::Black;

}  // namespace mk
