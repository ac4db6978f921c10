// 表題を削除: the entry on the edit screen leaves the data files. Its rows
// are marked free; its title record's place is left as zero bytes so that
// every other title keeps its record number (and its rows' 親Rec stay valid).
// The store does the files; this is the screen's side.
#include <algorithm>
#include <string>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "core/store/text.h"

namespace mk {

namespace {

void paintForDelete(EditSession& s, Rgb color) {
    GridTable& t = s.table;
    t.fillBackColor(1, 1, t.rows() - 1, t.cols() - 1, color);
    s.titleBox.back = color;
    s.titleChanged();
}

}  // namespace

bool 表題を削除(EditSession& s) {
    bool deleted = false;
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    Trap(kDeleteTitleLocation, [&] {
        paintForDelete(s, kDeletePink);
        SetMessageLines({"現在表示されているデータを削除します。", "削除すると元に戻りません。",
                         "実行しますか?"});
        if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerNo) {
            paintForDelete(s, palette::White);
            return;
        }

        const long title = t.number(1, ecol::Parent);
        for (int r = 2; r < t.rows(); ++r) {
            if (!t.text(r, ecol::Parent).empty() && t.number(r, ecol::Parent) != title) {
                SetMessageLines({"複数の表題が選択されていますので", "削除出来ません。　",
                                 "お手数ですが検索閲覧に戻って", "表題の名前を変更し、単独の表題を",
                                 "選択してから再実行して下さい。", "処理を中止します。"});
                MsgBox(JoinMessageLines(), Buttons::OK, Icon::Question);
                return;
            }
        }

        // Every row the title record names is freed, not only the rows
        // shown: a row left out of the table would otherwise stay taken by
        // nobody. The title record and its rows change in one write.
        store.deleteEntry(int(std::clamp<long>(title, -1, kMaxRecordNumber + 1L)));

        {
            GridTable::UpdateBatch batch(t);
            for (int r = 1; r < t.rows(); ++r)
                for (int c = 1; c <= 4; ++c) t.setText(r, c, {});
        }
        s.titleBox.text.clear();
        s.ChangeCount = 0;  // nothing is left on the screen to save
        paintForDelete(s, palette::White);
        if (s.observer) s.observer->menuHidden();

        s.reloadBrowse();
        // The entry's rows are gone from the browse table: no block is chosen.
        s.program.editContext.reset();
        WaitSeconds(0.2);
        deleted = true;
    });
    return deleted;
}

}  // namespace mk
