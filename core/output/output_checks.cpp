#include "core/output/output_checks.h"

#include <string>

#include "core/base/messages.h"
#include "core/store/browse_load.h"

namespace mk {

bool applyCheckCommand(GridTable& browse, CheckCommand command) {
    if (browse.visibleDataRows() == 0) {
        SetMessageLines(
            {"出力データが無い状態です。　検索でデータを表示してからチェックを設定してください。"});
        LastAnswer.button = MsgBox(JoinMessageLines(), Buttons::OK, Icon::Critical);
        return false;
    }
    GridTable::UpdateBatch batch(browse);
    for (int r = 1; r < browse.rows(); ++r) {
        if (browse.rowHidden(r)) continue;
        const CheckState state = browse.checkState(r, bcol::Output);
        switch (command) {
            case CheckCommand::CheckAll:
                browse.setCheckState(r, bcol::Output, Checked);
                break;
            case CheckCommand::UncheckAll:
                browse.setCheckState(r, bcol::Output, Unchecked);
                break;
            case CheckCommand::Invert:
                if (state == Checked)
                    browse.setCheckState(r, bcol::Output, Unchecked);
                else if (state == Unchecked)
                    browse.setCheckState(r, bcol::Output, Checked);
                break;
        }
    }
    return true;
}

bool clearAllChecks(GridTable& browse) {
    SetMessageLines({"全データのチェックを外します。　印刷候補から除外されます。元に戻せません。　",
                     "実行しますか？　"});
    LastAnswer.button = MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question);
    if (LastAnswer.button == AnswerNo) return false;
    GridTable::UpdateBatch batch(browse);
    for (int r = 1; r < browse.rows(); ++r) browse.setCheckState(r, bcol::Output, Unchecked);
    return true;
}

void storeChecks(DataStore& store, const GridTable& browse) {
    std::vector<std::pair<long, std::string>> marks;
    for (int r = 1; r < browse.rows(); ++r) {
        if (browse.rowHidden(r)) continue;
        marks.emplace_back(browse.number(r, bcol::Child),
                           std::to_string(int(browse.checkState(r, bcol::Output))));
    }
    store.writeOutputMarks(marks);
}

int checkedDisplayedRows(const GridTable& browse) {
    int count = 0;
    for (int r = 1; r < browse.rows(); ++r)
        if (!browse.rowHidden(r) && browse.checkState(r, bcol::Output) == Checked) ++count;
    return count;
}

bool confirmCheckedRows(const GridTable& browse) {
    if (checkedDisplayedRows(browse) > 0) return true;
    SetMessageLines({"出力にチェックが入っていません。", "印刷出力する行にチェックを入れて下さい。",
                     "「表示しているデータをエクセルに転送します」 はチェックに依存しないで",
                     "印刷出力することが出来ます。"});
    LastAnswer.button = MsgBox(JoinMessageLines(), Buttons::OK, Icon::Critical);
    return false;
}

}  // namespace mk
