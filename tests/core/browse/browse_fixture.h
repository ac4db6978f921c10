#pragma once
// Data files written byte by byte (not through the store), loaded into a
// Program's browse table, and a recording search view.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/browse/search.h"
#include "tests/support/test_support.h"

namespace mk::browse_test {

// CP932 bytes of a text, from Python's codec (ASCII passes straight through).
inline std::string sjis(const std::string& text) { return test::cp932Bytes(text); }

inline std::string field(const std::string& text, std::size_t width) {
    std::string bytes = sjis(text);
    bytes.resize(width, ' ');
    return bytes;
}

inline std::string int16le(int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }

struct Row {
    std::string item;
    std::string content;
    std::string output = "2";
};

struct Entry {
    std::string title;
    std::vector<Row> rows;
    int status = 0;
};

// Title record t = entries[t - 1]; content records numbered in order.
// The newest entry (the last one) is shown first.
inline void writeDataFiles(const std::string& dataFolder, const std::vector<Entry>& entries) {
    std::string titles, contents;
    int content = 0;
    for (std::size_t t = 0; t < entries.size(); ++t) {
        std::vector<int> slots;
        for (const Row& row : entries[t].rows) {
            ++content;
            slots.push_back(content);
            contents += field(row.output, 2) + field(row.item, 50) + field(row.content, 90) +
                        int16le(int(t + 1)) + int16le(content);
        }
        slots.resize(50, 0);
        titles += field(entries[t].title, 50);
        for (int s : slots) titles += int16le(s);
        titles += int16le(int(t + 1)) + int16le(entries[t].status);
    }
    test::runCommand("mkdir -p '" + dataFolder + "'");
    test::writeFile(dataFolder + "パスワード表題.dat", titles);
    test::writeFile(dataFolder + "パスワード内容.dat", contents);
}

// Records the counter texts and the table's visibility.
struct FakeView : SearchView {
    std::string box;
    int mode = HitTitles;
    std::vector<std::string> counters;
    std::vector<bool> visibility;

    std::string keyword() const override { return box; }
    void setKeyword(const std::string& text) override { box = text; }
    int displayMode() const override { return mode; }
    void setCounter(const std::string& caption) override { counters.push_back(caption); }
    void setTableVisible(bool visible) override { visibility.push_back(visible); }
    std::string counter() const { return counters.empty() ? "" : counters.back(); }
};

struct BrowseFixture : ::testing::Test {
    test::TempFolder folder;
    ScriptedMessages messages;
    Program program{folder.path()};

    void load(const std::vector<Entry>& entries) {
        writeDataFiles(program.dataFolder(), entries);
        program.reload();
    }
    GridTable& table() { return program.browse; }
    std::vector<int> visibleRows() {
        std::vector<int> rows;
        for (int r = 1; r < table().rows(); ++r)
            if (!table().rowHidden(r)) rows.push_back(r);
        return rows;
    }
};

}  // namespace mk::browse_test
