#include "core/startup/startup_logic.h"

#include "core/base/messages.h"
#include "core/maintenance/sample_data.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"

namespace mk {

void setComputerName(Program& program, const std::string& name) {
    program.computerName = name;
    program.developerMode = name == kDeveloperComputerName;
}

bool isFirstStart(const Program& program) {
    return !fs::exists(program.store.contentPath()) && !fs::exists(program.store.titlePath());
}

bool makeSampleDataOnFirstStart(Program& program) {
    if (!isFirstStart(program)) return false;
    サンプルデータ生成(program);
    return true;
}

bool fillEmptyBrowseTable(Program& program) {
    GridTable& table = program.browse;
    if (table.rows() > 1) return false;
    table.setRows(2);
    table.setRowHeight(-1, 550);
    table.setRowHeight(0, 300);
    SetMessageLines({kNoData1, kNoData2});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
    return true;
}

void setFirstBlockCurrent(Program& program) {
    const GridTable& table = program.browse;
    const int last = table.rows() - 1;
    const std::string& title = table.text(1, bcol::Title);
    int blockLast = last;
    for (int r = 2; r <= last; ++r) {
        if (table.text(r, bcol::Title) != title) {
            blockLast = r - 1;
            break;
        }
    }
    program.editContext.setBlock(1, blockLast);
    program.editContext.currentRow = 1;
    program.editContext.currentCol = 1;
}

}  // namespace mk
