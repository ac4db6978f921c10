// An entry handed over to the edit screen from outside the data files (the
// password generator's site form).
#include "core/edit/edit_session.h"

namespace mk {

void FillHandedOverEntry(EditSession& s, const std::string& title,
                         const std::vector<std::pair<std::string, std::string>>& rows) {
    GridTable& t = s.table;
    {
        GridTable::UpdateBatch batch(t);
        t.setRows(10);
        // Data cells only: the header texts stay.
        for (int r = 1; r < t.rows(); ++r)
            for (int c = 0; c < ecol::Count; ++c) t.setText(r, c, {});
        const int n = int(rows.size());
        if (n + 1 > t.rows()) t.setRows(n + 1);
        for (int i = 0; i < n; ++i) {
            t.setText(i + 1, ecol::Item, rows[i].first);
            t.setText(i + 1, ecol::Content, rows[i].second);
        }
        t.setRows(n + 1);
        t.setRowHeight(-1, kEditRowHeight);
        t.setRowHeight(0, kEditHeaderHeight);
        t.currentRow = 1;
        t.currentCol = ecol::Item;
    }
    s.titleBox.text = title;
    s.titleChanged();
    // Undo goes back to what was handed over, not to what the screen held
    // before; nothing of it is unsaved work yet.
    s.undo.reset();
    s.undo.store(1, t);
    s.indicatorChanged();
    s.ChangeCount = 0;
    s.rowLimitTold = false;
}

}  // namespace mk
