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

bool outputFileHeld(const std::string& path) {
    const std::size_t slash = path.rfind('/') + 1;
    const std::string folder = path.substr(0, slash), name = path.substr(slash);
    return fs::exists(folder + ".~lock." + name + "#") || fs::exists(folder + "~$" + name);
}

void saveOutputFile(const std::string& path, const OutputTable& table) {
    // On Linux a rename over a file that a program holds open succeeds: the
    // spreadsheet program would go on showing (and could save back) the old
    // workbook while a new one stands under its name. Its lock file is what
    // says that the workbook is open.
    if (outputFileHeld(path)) throw OutputFileHeld(path);
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
                                    const std::function<void()>& hideNotice,
                                    const TextWidth& width) {
    const std::string path = outputFilePath(program);
    try {
        OutputTable table;
        const std::vector<OutputRow> rows = selectOutputRows(program.browse, mode);
        if (mode == kModeCards)
            layoutCards(table, rows);
        else
            layoutTable(table, rows, program.browse.text(0, bcol::Title),
                        program.browse.text(0, bcol::Item), program.browse.text(0, bcol::Content),
                        width);
        // Readers turn the file's column widths back into twips by the width
        // of a "0" in the default font, so give them in that unit.
        if (width) table.characterWidth = width("0", OutputTable::kFontSize);
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

void reportOutputNotOpened(const std::string& path) {
    SetMessageLines({"表示出力.xls を開くアプリケーションが見つかりません。",
                     "表計算ソフト（LibreOffice Calc など）をインストールして、",
                     "次のファイルを開いて下さい。", path});
    LastAnswer.button = MsgBox(JoinMessageLines(), Buttons::OK, Icon::Exclamation);
}

}  // namespace mk
