// The output layouts and the .xls writer, read back by xlrd.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/output/desktop_programs.h"
#include "core/output/output_table.h"
#include "core/output/print_output.h"
#include "core/output/xls_writer.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace {

using mk::OutputRow;
using mk::OutputTable;
using mk::test::TempFolder;

std::string json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\')
            out += '\\', out += char(c);
        else if (c < 0x20)
            out += "\\u00" + std::string{"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
        else
            out += char(c);
    }
    return out + "\"";
}

// The cells that xlrd must find: those of the table without its column 0;
// `text` rewrites a cell's text as the file is to hold it.
std::string expectation(const OutputTable& t,
                        const std::function<std::string(const std::string&)>& text = {}) {
    static const char* align[] = {"left", "center", "right"};
    std::string s = "{\"sheet\": " + json(mk::kOutputSheetName) +
                    ", \"font\": " + json(t.fontName) + ", \"widths\": [";
    for (int c = 1; c < OutputTable::kCols; ++c)
        s += (c > 1 ? ", " : "") + std::to_string(t.colWidth(c) * 256 / t.characterWidth);
    s += "], \"heights\": [";
    for (int r = 0; r < t.rows(); ++r) s += (r ? ", " : "") + std::to_string(t.rowHeight(r));
    s += "], \"cells\": [";
    for (int r = 0; r < t.rows(); ++r) {
        s += r ? ", [" : "[";
        for (int c = 1; c < OutputTable::kCols; ++c) {
            const mk::OutputCell& cell = t.cell(r, c);
            char fill[8] = "";
            if (cell.back) snprintf(fill, sizeof fill, "%06X", unsigned(*cell.back));
            s += (c > 1 ? ", [" : "[") + json(text ? text(cell.text) : cell.text) + ", " +
                 std::to_string(cell.fontSize) + ", " + (cell.bold ? "true" : "false") + ", \"" +
                 align[int(cell.align)] + "\", " + (cell.back ? json(fill) : "null") + "]";
        }
        s += "]";
    }
    return s + "]}";
}

// Writes the table as a workbook and lets xlrd compare it; "" when they agree.
std::string readBack(const std::string& file, const OutputTable& t,
                     const std::function<std::string(const std::string&)>& text = {}) {
    mk::test::writeFile(file + ".json", expectation(t, text));
    const char* source = std::getenv("MIRUKASU_SOURCE_DIR");
    int code = -1;
    std::string out = mk::test::runCommand("/usr/bin/python3 " + std::string(source) +
                                               "/tests/core/output/check_xls.py '" + file + "' '" +
                                               file + ".json' 2>&1",
                                           &code);
    return code == 0 ? "" : out + " (exit " + std::to_string(code) + ")";
}

// Record types in a BIFF stream, in order.
std::vector<int> recordTypes(const std::string& stream) {
    std::vector<int> types;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const auto b = [&](std::size_t i) { return int(static_cast<unsigned char>(stream[i])); };
        types.push_back(b(at) | b(at + 1) << 8);
        at += 4 + (b(at + 2) | b(at + 3) << 8);
    }
    return types;
}

std::vector<OutputRow> entry(const std::string& title, int rows, const std::string& tag = "") {
    std::vector<OutputRow> out;
    for (int i = 1; i <= rows; ++i)
        out.push_back({title, "項目" + tag + std::to_string(i), "内容" + tag + std::to_string(i)});
    return out;
}

std::vector<OutputRow> join(std::vector<OutputRow> a, const std::vector<OutputRow>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void table(OutputTable& t, const std::vector<OutputRow>& rows) {
    mk::layoutTable(t, rows, "表題", "項目", "内容");
}

TEST(OutputWriter, WorkbooksReadBackWithTheirCellsAndFormats) {
    TempFolder dir;
    std::string longText(60, 'x');
    std::vector<OutputRow> many;
    for (int i = 0; i < 400; ++i)
        many.push_back({"T" + std::to_string(i) + longText, "i", "c" + std::to_string(i)});
    struct Case {
        const char* name;
        std::vector<OutputRow> rows;
        bool cards;
        std::size_t maxBytes;  // 0: no limit
        bool continues;        // the string table needs CONTINUE records
    } cases[] = {
        {"small", {{"Mail", "ID", "a@example.jp"}}, false, 4096, false},
        {"japanese",
         {{"銀行　ｶﾅ", "暗証番号", "１２３４"}, {"銀行　ｶﾅ", "パスワード", "ﾊﾟｽ漢字"}},
         false,
         0,
         false},
        {"continue", many, false, 0, true},
        {"cards", join(entry("カード", 9), entry("別", 2)), true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputTable t;
        if (c.cards)
            mk::layoutCards(t, c.rows);
        else
            table(t, c.rows);
        const std::string file = dir.path() + c.name + ".xls";
        mk::saveOutputFile(file, t);
        if (c.maxBytes) {
            EXPECT_LT(mk::test::fileSize(file), int64_t(c.maxBytes));
        }
        const std::vector<int> types = recordTypes(mk::biffWorkbookStream(t, mk::kOutputSheetName));
        EXPECT_EQ(std::count(types.begin(), types.end(), 0x003C) > 0, c.continues);
        EXPECT_EQ(readBack(file, t), "");
    }
}

TEST(OutputWriter, TextsTheCodecCannotHoldBecomeQuestionMarks) {
    TempFolder dir;
    OutputTable t;
    // A character beyond the BMP goes as a surrogate pair; broken UTF-8
    // bytes and an encoded surrogate become "?".
    table(t, {{"絵文字😀", std::string("a\xFF") + "b", "\xED\xA0\x80z"}});
    const std::string file = dir.path() + "codec.xls";
    mk::saveOutputFile(file, t);
    EXPECT_EQ(readBack(file, t,
                       [](const std::string& s) {
                           if (s == std::string("a\xFF") + "b") return std::string("a?b");
                           if (s == "\xED\xA0\x80z") return std::string("???z");
                           return s;
                       }),
              "");
}

TEST(OutputLayout, CardsOfSevenItemsWithNumberedContinuations) {
    struct Case {
        const char* name;
        std::vector<OutputRow> rows;
        std::vector<std::pair<int, std::string>> headers;  // row, text
        int rows_;
    } cases[] = {
        {"nine rows", entry("銀行", 9), {{1, "表題：銀行"}, {13, "表題：銀行(2)"}}, 24},
        // Two adjacent entries of the same title fill one run of cards.
        {"same title",
         join(join(entry("A", 5), entry("A", 4, "b")), entry("B", 1)),
         {{1, "表題：A"}, {13, "表題：A(2)"}, {25, "表題：B"}},
         36},
        // A run is broken by another header.
        {"broken run",
         join(join(entry("A", 1), entry("B", 1)), entry("A", 1)),
         {{1, "表題：A"}, {13, "表題：B"}, {25, "表題：A"}},
         36},
        {"nothing", {}, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputTable t;
        mk::layoutCards(t, c.rows);
        ASSERT_EQ(t.rows(), c.rows_);
        std::vector<std::pair<int, std::string>> headers;
        for (int r = 0; r < t.rows(); ++r)
            if (t.cell(r, 1).text.rfind("表題：", 0) == 0) {
                headers.push_back({r, t.cell(r, 1).text});
                EXPECT_TRUE(t.cell(r, 1).bold);
                EXPECT_EQ(t.cell(r, 1).align, mk::Align::Left);
                EXPECT_EQ(t.cell(r, 2).back, mk::palette::LightCyan);
            }
        EXPECT_EQ(headers, c.headers);
    }
    // The items of the nine-row entry: seven under the first header, two under the second.
    OutputTable t;
    mk::layoutCards(t, entry("銀行", 9));
    for (int i = 1; i <= 9; ++i) {
        const int row = i <= 7 ? 1 + i : 13 + i - 7;
        EXPECT_EQ(t.cell(row, 1).text, "項目" + std::to_string(i));
        EXPECT_EQ(t.cell(row, 2).text, "内容" + std::to_string(i));
        EXPECT_EQ(t.cell(row, 1).align, mk::Align::Right);
        EXPECT_FALSE(t.cell(row, 1).bold);
        EXPECT_EQ(t.cell(row, 1).fontSize, 7);
    }
    EXPECT_EQ(t.cell(9, 1).text, "");
    EXPECT_EQ(t.colWidth(1), 1500);
    EXPECT_EQ(t.colWidth(2), 2500);
    EXPECT_EQ(t.colWidth(3), 100);
    EXPECT_EQ(t.rowHeight(23), 400);
}

// ---- the whole routine over a data folder -----------------------------------

struct Output : ::testing::Test {
    TempFolder dir;
    mk::ScriptedMessages messages;
    mk::Program program{dir.path()};
    std::string path = mk::outputFilePath(program);

    void SetUp() override { showRows(3, 0); }
    void TearDown() override { mk::fs::clearFaults(); }
    // `n` data rows of one entry each, of which `hidden` are hidden.
    void showRows(int n, int hidden) {
        mk::SetVsGrid11(program.browse, false);
        program.browse.setRows(n + 1);
        for (int r = 1; r <= n; ++r) {
            program.browse.setText(r, mk::bcol::Title, "表題" + std::to_string(r));
            program.browse.setText(r, mk::bcol::Item, "ID");
            program.browse.setText(r, mk::bcol::Content, "内容 " + std::to_string(r));
            program.browse.setCheckState(r, mk::bcol::Output, r % 2 ? mk::Checked : mk::Unchecked);
            program.browse.setRowHidden(r, r <= hidden);
        }
    }
};

TEST_F(Output, ModesTakeShownAndCheckedRowsAndTheFileReadsBack) {
    program.browse.setRowHidden(3, true);
    ASSERT_EQ(mk::印刷出力(program, mk::kModeShown), path);
    OutputTable t;
    table(t, {{"表題1", "ID", "内容 1"}, {"表題2", "ID", "内容 2"}});
    EXPECT_EQ(readBack(path, t), "");
    EXPECT_EQ(mk::selectOutputRows(program.browse, mk::kModeSelected).size(),
              1u);  // row 1; row 3 hidden
    ASSERT_EQ(mk::印刷出力(program, mk::kModeCards), path);
    mk::layoutCards(t, {{"表題1", "ID", "内容 1"}});
    EXPECT_EQ(readBack(path, t), "");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Output, EveryRowShownAt32767Rows) {
    showRows(32767, 0);
    ASSERT_EQ(mk::印刷出力(program, mk::kModeShown), path);
    const std::vector<OutputRow> rows = mk::selectOutputRows(program.browse, mk::kModeShown);
    OutputTable t;
    table(t, rows);
    const std::vector<int> types = recordTypes(mk::biffWorkbookStream(t, mk::kOutputSheetName));
    EXPECT_GT(std::count(types.begin(), types.end(), 0x003C), 10);
    EXPECT_EQ(readBack(path, t), "");
}

TEST_F(Output, FailuresLeaveTheOldFileWhole) {
    ASSERT_TRUE(mk::印刷出力(program, mk::kModeShown));
    const std::string old = mk::test::readFile(path);
    const std::string heldLines =
        "前回転送したエクセルファイル　表示出力.xls が起動しています。\r  \r"
        "終了させてから再度印刷出力を実行して下さい。\r  \r";
    // LibreOffice's lock file says that the old file is open in it.
    const std::string lock = program.dataFolder() + ".~lock.表示出力.xls#";
    struct Case {
        const char* name;
        std::function<void()> fault;
        std::string mode;
        std::string message;  // the start of the message shown
        mk::Icon icon;
    } cases[] = {
        {"old file held", [] { mk::fs::failOperation("rename", EBUSY); }, mk::kModeShown, heldLines,
         mk::Icon::Critical},
        {"old file open in LibreOffice", [&] { mk::test::writeFile(lock, ",yuki,host,;"); },
         mk::kModeCards, heldLines, mk::Icon::Critical},
        {"folder not writable", [] { mk::fs::failOperation("open", EACCES); }, mk::kModeShown,
         "===== Subroutine　Error ====\r  \rエラーの場所： 印刷出力:　　1318  \r  \r　エラー番号： "
         "70",
         mk::Icon::Information},
        {"disk full", [] { mk::fs::failOperation("write", ENOSPC); }, mk::kModeShown,
         "===== Subroutine　Error ====\r  \rエラーの場所： 印刷出力:　　1318  \r  \r　エラー番号： "
         "61",
         mk::Icon::Information},
        // 32767 entries of one row make more card rows than a sheet holds.
        {"too many cards", [this] { showRows(32767, 0); }, mk::kModeCards,
         "===== Subroutine　Error ====\r  \rエラーの場所： 印刷出力:　　1318  \r  \r　エラー番号： "
         "6",
         mk::Icon::Information},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.messages.clear();
        c.fault();
        bool hidden = false;
        EXPECT_FALSE(mk::印刷出力(program, c.mode, [&] { hidden = true; }));
        mk::fs::clearFaults();
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.last().text.substr(0, c.message.size()), c.message);
        EXPECT_EQ(messages.last().icon, c.icon);
        EXPECT_EQ(hidden, c.icon == mk::Icon::Critical);
        EXPECT_EQ(mk::test::readFile(path), old);
        std::remove(lock.c_str());
        EXPECT_EQ(mk::fs::listDirectory(program.dataFolder()),
                  std::vector<std::string>{mk::kOutputFileName});
    }
}

// The desktop is asked for a program before a file is handed to it.
TEST(DesktopPrograms, FoundByTheFreedesktopRules) {
    const std::string xls = "/tmp/表示出力.xls", pdf = "/tmp/a.pdf";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;  // under the desktop's root
        bool xlsOpens, pdfOpens;
    } cases[] = {
        {"nothing installed", {}, false, false},
        {"an entry for the type",
         {{"XDG_DATA_DIRS/applications/calc.desktop",
           "[Desktop Entry]\nExec=true %U\nMimeType=text/csv;application/vnd.ms-excel;\n"}},
         true,
         false},
        {"its program is gone",
         {{"XDG_DATA_DIRS/applications/calc.desktop",
           "[Desktop Entry]\nExec=/opt/gone/calc %U\nMimeType=application/vnd.ms-excel;\n"}},
         false,
         false},
        {"hidden by the user's own copy",
         {{"XDG_DATA_DIRS/applications/calc.desktop",
           "[Desktop Entry]\nExec=true\nMimeType=application/vnd.ms-excel;\n"},
          {"XDG_DATA_HOME/applications/calc.desktop", "[Desktop Entry]\nHidden=true\n"}},
         false,
         false},
        {"association removed",
         {{"XDG_DATA_DIRS/applications/calc.desktop",
           "[Desktop Entry]\nExec=true\nMimeType=application/vnd.ms-excel;\n"},
          {"XDG_CONFIG_HOME/mimeapps.list",
           "[Removed Associations]\napplication/vnd.ms-excel=calc.desktop;\n"}},
         false,
         false},
        {"a default without MimeType",
         {{"XDG_DATA_HOME/applications/view.desktop", "[Desktop Entry]\nTryExec=true\nExec=x\n"},
          {"XDG_CONFIG_DIRS/mimeapps.list",
           "[Default Applications]\napplication/pdf=view.desktop\n"}},
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mk::test::DesktopPrograms desktop({});
        for (const auto& [file, text] : c.files) mk::test::writeFile(desktop.root() + file, text);
        EXPECT_EQ(mk::desktopHasProgramFor(xls), c.xlsOpens);
        EXPECT_EQ(mk::desktopHasProgramFor(pdf), c.pdfOpens);
        EXPECT_TRUE(mk::desktopHasProgramFor("/tmp/notes.txt"));  // left to the desktop
    }
}

}  // namespace
