#include "core/output/print_output.h"

#include "core/app/program.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/output/xls_writer.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"

namespace mk {

namespace {
const char* const kLocation = "印刷出力:　　1318  ";

// The old workbook could not be replaced: the spreadsheet program still
// holds it.
class OutputFileHeld : public RuntimeError {
public:
    explicit OutputFileHeld(const std::string& description)
        : RuntimeError(ErrPathFileAccess, description) {}
};
}  // namespace

std::string outputFilePath(const Program& program) {
    return program.dataFolder() + kOutputFileName;
}

void saveOutputFile(const std::string& path, const OutputTable& table) {
    const std::string bytes = xlsFileBytes(table, kOutputSheetName);
    const std::string temp = fs::writeTemporary(path, bytes);
    try {
        fs::renameFile(temp, path);
    } catch (const RuntimeError& e) {
        try {
            fs::removeFile(temp);
        } catch (...) {
        }
        // Where the new file was written but cannot take the old one's
        // place, the old file is in someone else's hands.
        if (e.number() == ErrPermissionDenied) throw OutputFileHeld(e.description());
        throw;
    }
    fs::syncDirectory(path.substr(0, path.rfind('/') + 1));
}

std::optional<std::string> 印刷出力(Program& program, const std::string& mode,
                                    const std::function<void()>& hideNotice) {
    const std::string path = outputFilePath(program);
    try {
        OutputTable table;
        const std::vector<OutputRow> rows = selectOutputRows(program.browse, mode);
        if (mode == kModeCards)
            layoutCards(table, rows);
        else
            layoutTable(table, rows, program.browse.text(0, bcol::Title),
                        program.browse.text(0, bcol::Item), program.browse.text(0, bcol::Content));
        fs::makeDirectory(program.dataFolder());
        saveOutputFile(path, table);
        return path;
    } catch (const OutputFileHeld&) {
        if (hideNotice) hideNotice();
        SetMessageLines({"前回転送したエクセルファイル　表示出力.xls が起動しています。",
                         "終了させてから再度印刷出力を実行して下さい。"});
        LastAnswer.button = MsgBox(JoinMessageLines(), Buttons::OK, Icon::Critical);
    } catch (...) {
        ReportCurrentException(kLocation);
    }
    return std::nullopt;
}

}  // namespace mk
