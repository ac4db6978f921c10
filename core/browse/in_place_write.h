#pragma once
// Writing a cell edited in the browse grid straight back to the data files:
// a title (every row of its block), an output check, an item or a content.
// The table is not reloaded.
#include <string>

#include "core/app/program.h"
#include "core/store/colors.h"

namespace mk {

inline const char* const kSavedCaption = "Saved";
inline const char* const kInPlaceWriteLocation = "VSFlexGrid1_AfterEdit";

// What the write needs of the browse window.
class InPlaceWriteView {
public:
    virtual ~InPlaceWriteView() = default;
    // The counter label Label6.
    virtual std::string counterCaption() const = 0;
    // Makes the counter visible with this caption and text colour.
    virtual void setCounter(const std::string& caption, Rgb color) = 0;
    // The edit screen shows an older copy of the entry: it is hidden.
    virtual void hideEditScreen() = 0;
    // The table no longer matches the files: load it again once the edit
    // that found this out has ended.
    virtual void reloadTable() {}
};

// After an in-place edit of row R, column K of the browse table. Reads the
// block from the edit context. The counter shows "Saved" in red while the
// write runs and gets its caption back afterwards, except after an output
// check, where "Saved" stays. A consistency check that stops the write gives
// the counter its caption back too, so that nothing unsaved reads "Saved".
void inPlaceWrite(Program& program, int R, int K, InPlaceWriteView& view);

}  // namespace mk
