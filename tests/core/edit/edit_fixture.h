#pragma once
// A program over a temporary folder, scripted messages, an edit session, and
// a byte-level writer and reader of the data files that do not use the
// record code under test (ASCII texts only, so no codec is needed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/text.h"
#include "tests/support/test_support.h"

namespace mk::test {

// "<削除<" as it stands on disk.
inline const std::string kMarkCp932 = "<\x8d\xed\x8f\x9c<";

inline std::string padded(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

inline void putInt16(std::string& out, int v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

inline std::string titleBytes(const std::string& title, const std::vector<int>& slots, int self,
                              int status = 0) {
    std::string out = padded(title, 50);
    for (int i = 0; i < 50; ++i) putInt16(out, i < int(slots.size()) ? slots[i] : 0);
    putInt16(out, self);
    putInt16(out, status);
    return out;
}

inline std::string contentBytes(const std::string& item, const std::string& content, int parent,
                                int self, const std::string& output = "2") {
    std::string out = padded(output, 2) + padded(item, 50) + padded(content, 90);
    putInt16(out, parent);
    putInt16(out, self);
    return out;
}

struct RawTitle {
    std::string title;  // trailing spaces removed
    std::vector<int> slots;
    int self = 0;
    int status = 0;
    bool allZero = false;
};
using RawContent = PairRow;

inline std::string rstrip(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline RawTitle rawTitle(const std::string& file, int n) {
    const std::string b = file.substr(std::size_t(n - 1) * 154, 154);
    RawTitle t;
    t.allZero = b.find_first_not_of('\0') == std::string::npos;
    t.title = rstrip(b.substr(0, 50));
    for (int i = 0; i < 50; ++i) t.slots.push_back(int16At(b, 50 + 2 * i));
    t.self = int16At(b, 150);
    t.status = int16At(b, 152);
    return t;
}

inline RawContent rawContent(const std::string& file, int n) { return contentRecordIn(file, n); }

inline std::vector<int> firstSlots(const RawTitle& t, int n) {
    return std::vector<int>(t.slots.begin(), t.slots.begin() + n);
}

class EditTest : public ::testing::Test {
protected:
    EditTest() : program(folder.path()), session(program) {}

    std::string titlePath() const { return program.store.titlePath(); }
    std::string contentPath() const { return program.store.contentPath(); }
    std::string titles() const { return readFile(titlePath()); }
    std::string contents() const { return readFile(contentPath()); }

    void writeData(const std::string& titleFile, const std::string& contentFile) {
        std::string data = program.dataFolder();
        MakeFolderPath(data);
        writeFile(titlePath(), titleFile);
        writeFile(contentPath(), contentFile);
        program.reload();
    }

    // Three entries: A (title 1, rows 1..3), B (title 2, rows 4..5),
    // C (title 3, row 6).
    void writeThreeEntries() {
        writeData(titleBytes("A", {1, 2, 3}, 1) + titleBytes("B", {4, 5}, 2) +
                      titleBytes("C", {6}, 3),
                  contentBytes("ID", "a1", 1, 1) + contentBytes("PW", "a2", 1, 2) +
                      contentBytes("URL", "a3", 1, 3) + contentBytes("ID", "b1", 2, 4) +
                      contentBytes("PW", "b2", 2, 5) + contentBytes("ID", "c1", 3, 6));
    }

    // Opens the edit screen on browse row `first` (newest entry first in the
    // browse table), then holds browse rows first..last in the table. The
    // screen itself opens the whole entry of the row; the rows are put in
    // as they stand so that the saves can also be given tables that are
    // not one whole entry (two entries with one title, a partial entry).
    void openBlock(int first, int last) {
        program.editContext.setBlock(first, last);
        program.editContext.currentRow = first;
        新規保存画面(session);
        GridTable& t = session.table;
        t.setRows(last - first + 3);  // the header, the rows, the input row
        const int from[ecol::Count] = {0, 3, 4, 5, 6};  // browse columns
        for (int r = first; r <= last; ++r)
            for (int c = 0; c < ecol::Count; ++c)
                t.setText(r - first + 1, c, program.browse.text(r, from[c]));
        for (int c = 0; c < ecol::Count; ++c) t.setText(t.rows() - 1, c, {});
        session.titleBox.text = program.browse.text(first, 1);
        session.undo.store(1, t);
    }

    void type(int row, int col, const std::string& text) {
        session.table.setText(row, col, text);
        AfterCellEdit(session, row, col);
    }

    bool reported(const std::string& location) const {
        for (const auto& m : messages.messages)
            if (m.title == "エラー発生表示" &&
                m.text.find("エラーの場所： " + location) != std::string::npos)
                return true;
        return false;
    }

    TempFolder folder;
    ScriptedMessages messages;
    Program program;
    EditSession session;
};

}  // namespace mk::test
