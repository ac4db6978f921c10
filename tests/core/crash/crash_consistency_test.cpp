// A child process saves, modifies, deletes entries and rows, marks rows for
// output, edits in place, restores and imports in a loop through the
// routines the screens call; the parent kills it with SIGKILL at random
// moments and checks after every kill that the pair opens, its links hold,
// and every entry is whole in one version.
//
// Every entry carries its version in its texts: the title is
// "E<id>.<generation>.<rows>", row i has the item "r<i>" and the content
// "<generation>"; a row delete leaves a gap in the items. A torn write shows
// as a row of another generation, a row where none belongs, a broken link,
// or a record kept by nobody.
//
// MIRUKASU_CRASH_KILLS sets the number of kills (default 600),
// MIRUKASU_CRASH_SEED the seed (default: from the clock; printed).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/maintenance/foreign_import.h"
#include "core/settings/restore.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"
#include "tests/core/edit/edit_fixture.h"

namespace mk::test {
namespace {

long envNumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

std::string entryTitle(int id, int generation, int rows) {
    return "E" + std::to_string(id) + "." + std::to_string(generation) + "." +
           std::to_string(rows);
}

// A consistent pair of `count` entries whose ids start at `firstId`.
void pairOf(int firstId, int count, int generation, std::string& titles, std::string& contents) {
    int next = 1;
    for (int e = 0; e < count; ++e) {
        const int rows = 1 + e % 4;
        std::vector<int> slots;
        for (int i = 1; i <= rows; ++i) {
            contents += contentBytes("r" + std::to_string(i), std::to_string(generation), e + 1, next);
            slots.push_back(next++);
        }
        titles += titleBytes(entryTitle(firstId + e, generation, rows), slots, e + 1);
    }
}

// The other product's file: contents behind "-*-" are taken as plain text.
std::string importFileOf(int firstId, int count, int generation) {
    std::string file;
    for (int e = 0; e < count; ++e) {
        const int rows = 1 + e % 3;
        std::string items(10 * 42, ' '), contents(10 * 402, ' ');
        for (int i = 1; i <= rows; ++i) {
            items.replace(42 * (i - 1), 42, padded("r" + std::to_string(i), 42));
            contents.replace(402 * (i - 1), 402, padded("-*-" + std::to_string(generation), 402));
        }
        file += padded("x", 42) + padded(entryTitle(firstId + e, generation, rows), 42) + items +
                contents + std::string(18, ' ');
    }
    return file;
}

struct Live {
    int titleRec;
    StoredEntry stored;
};

std::vector<Live> liveEntries(DataStore& store) {
    std::vector<Live> live;
    const std::vector<TitleRecord> titles = store.readTitles();
    for (std::size_t t = 0; t < titles.size(); ++t)
        if (!CleanField(std::string(titles[t].表題)).empty())
            live.push_back({int(t + 1), store.readEntry(int(t + 1))});
    return live;
}

// Fills the edit screen with a stored entry, as opening it from the browse
// table does (record numbers in the hidden columns).
void openStored(EditSession& s, const StoredEntry& e, int generation, bool addRow) {
    const int rows = int(e.rows.size()) + (addRow ? 1 : 0);
    s.table.setRows(rows + 2);
    for (int r = 1; r < s.table.rows(); ++r)
        for (int c = 1; c <= 4; ++c) s.table.setText(r, c, {});
    for (int r = 1; r <= rows; ++r) {
        s.table.setText(r, ecol::Item, "r" + std::to_string(r));
        s.table.setText(r, ecol::Content, std::to_string(generation));
        if (r <= int(e.rows.size())) {
            s.table.setText(r, ecol::Parent, std::to_string(e.titleRec));
            s.table.setText(r, ecol::Child, std::to_string(e.rows[r - 1].自分Rec));
        }
    }
    const std::string old = CleanField(std::string(e.title.表題));
    const int id = std::atoi(old.c_str() + 1);
    s.titleBox.text = entryTitle(id, generation, rows);
}

[[noreturn]] void childLoop(const std::string& app, const std::string& backups, unsigned seed,
                            int reportFd) {
    alarm(30);  // never outlives a parent that lost track of it
    ScriptedMessages messages;
    Program program(app);
    std::mt19937 rng(seed);
    int generation = int(seed % 100000) * 1000;
    int nextId = int(seed % 100000) * 1000;
    const char ready = 'r';
    if (write(reportFd, &ready, 1) != 1) _exit(3);
    for (;;) {
        messages.messages.clear();
        ++generation;
        std::vector<Live> live = liveEntries(program.store);
        const int roll = int(rng() % 100);
        EditSession s(program);
        SetVsGrid51(s.table, false);
        if (roll < 30 || live.empty()) {
            const int rows = 1 + int(rng() % 5);
            s.table.setRows(rows + 2);
            for (int r = 1; r <= rows; ++r) {
                s.table.setText(r, ecol::Item, "r" + std::to_string(r));
                s.table.setText(r, ecol::Content, std::to_string(generation));
            }
            for (int r = rows + 1; r < s.table.rows(); ++r)
                for (int c = 1; c <= 4; ++c) s.table.setText(r, c, {});
            s.titleBox.text = entryTitle(++nextId, generation, rows);
            新規保存(s);
        } else if (roll < 55) {
            const Live& e = live[rng() % live.size()];
            openStored(s, e.stored, generation, e.stored.rows.size() < 8 && rng() % 3 == 0);
            修正保存(s);
        } else if (roll < 70) {
            const Live& e = live[rng() % live.size()];
            openStored(s, e.stored, generation, false);
            表題を削除(s);
        } else if (roll < 80) {
            // A row delete of an entry that keeps at least one row; the
            // table shows the stored texts, as the edit screen would.
            const Live& e = live[rng() % live.size()];
            if (e.stored.rows.size() >= 2) {
                openStored(s, e.stored, 0, false);
                for (int r = 1; r <= int(e.stored.rows.size()); ++r) {
                    s.table.setText(r, ecol::Item, CleanField(std::string(e.stored.rows[r - 1].項目)));
                    s.table.setText(r, ecol::Content, CleanField(std::string(e.stored.rows[r - 1].内容)));
                }
                s.clickedRow = 1 + int(rng() % e.stored.rows.size());
                s.clickedCol = ecol::Item;
                行の削除(s);
            }
        } else if (roll < 88) {
            // 結果を保存する over every row at once.
            std::vector<std::pair<long, std::string>> marks;
            const std::string mark = rng() % 2 ? "1" : "2";
            for (const Live& e : live)
                for (const ContentRecord& row : e.stored.rows) marks.emplace_back(row.自分Rec, mark);
            program.store.writeOutputMarks(marks);
        } else if (roll < 92) {
            // The browse screen's in-place edit of a row, as stored.
            const Live& e = live[rng() % live.size()];
            const ContentRecord& row = e.stored.rows[rng() % e.stored.rows.size()];
            ContentFields fields;
            fields.item = CleanField(std::string(row.項目));
            fields.content = CleanField(std::string(row.内容));
            program.store.writeContentFields(row.自分Rec, fields, e.titleRec, 0);
        } else if (roll < 95) {
            restoreBackup(program, backups, rng() % 2 ? "パスワード表題_2024_01_01_001.dat"
                                                      : "パスワード表題_2024_01_02_001.dat");
        } else {
            ImportOtherProduct(program);
        }
        const char done = 'o';
        if (write(reportFd, &done, 1) != 1) _exit(3);
    }
}

// Everything wrong with the pair as the program opens it after a kill.
std::vector<std::string> problemsAfterKill(const std::string& app, long& finished, long& rolledBack) {
    if (fileExists(app + "DuzoZuzevod/" + kPairJournalFileName)) ++finished;
    if (fileExists(app + "DuzoZuzevod/" + kRollbackJournalFileName)) ++rolledBack;
    ScriptedMessages messages;
    Program program(app);
    std::vector<std::string> problems = program.store.linkProblems();
    program.reload();
    for (const RecordedMessage& m : messages.messages)
        problems.push_back("message on reopening: " + m.text);
    const std::vector<ContentRecord> contents = program.store.readContents();
    std::vector<bool> named(contents.size() + 1, false);
    for (const Live& e : liveEntries(program.store)) {
        const std::string title = CleanField(std::string(e.stored.title.表題));
        for (int16_t k : e.stored.title.子Rec)
            if (k > 0 && k <= int(contents.size())) named[k] = true;
        int id = 0, generation = 0, rows = 0;
        if (std::sscanf(title.c_str(), "E%d.%d.%d", &id, &generation, &rows) != 3) {
            problems.push_back("title " + std::to_string(e.titleRec) + " reads \"" + title + "\"");
            continue;
        }
        std::string seen;
        int lastItem = 0;
        for (const ContentRecord& row : e.stored.rows) {
            const std::string item = CleanField(std::string(row.項目));
            const int i = item.size() > 1 && item[0] == 'r' ? std::atoi(item.c_str() + 1) : 0;
            if (i <= lastItem || i > rows || CleanField(std::string(row.内容)) != std::to_string(generation))
                seen += " [" + item + "=" + CleanField(std::string(row.内容)) + "]";
            lastItem = std::max(lastItem, i);
        }
        if (e.stored.rows.empty() || !seen.empty())
            problems.push_back("entry " + title + " has " + std::to_string(e.stored.rows.size()) +
                               " rows" + seen);
    }
    // No record is kept by nobody: a save or delete cut short would leave
    // one reserved or half freed.
    for (std::size_t k = 1; k < named.size(); ++k)
        if (!named[k] && !isDeletedMark(contents[k - 1].項目))
            problems.push_back("content record " + std::to_string(k) + " is neither free nor named");
    // An interrupted write must not leave its half-written files behind.
    for (const std::string& name : fs::listDirectory(program.dataFolder()))
        if (name.find(".tmp") != std::string::npos || name.find("Temp.dat") != std::string::npos ||
            name.find(".jnl") != std::string::npos)
            problems.push_back("left behind: " + name);
    return problems;
}

TEST(CrashConsistency, EveryKillLeavesAnOpenableLinkedPairOfWholeEntries) {
    const long kills = envNumber("MIRUKASU_CRASH_KILLS", 600);
    const unsigned seed = unsigned(envNumber(
        "MIRUKASU_CRASH_SEED",
        long(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000)));
    std::cout << "crash test: seed " << seed << ", " << kills
              << " kills (MIRUKASU_CRASH_SEED / MIRUKASU_CRASH_KILLS)" << std::endl;
    RecordProperty("seed", int(seed));

    TempFolder folder;
    const std::string app = folder.path();
    std::string backups = app + "backups/";
    std::string data = app + "DuzoZuzevod/";
    MakeFolderPath(data);
    MakeFolderPath(backups);
    for (int day = 1; day <= 2; ++day) {
        std::string titles, contents;
        pairOf(day * 100, 4 + day, day, titles, contents);
        const std::string suffix = "_2024_01_0" + std::to_string(day) + "_001.dat";
        writeFile(backups + "パスワード表題" + suffix, titles);
        writeFile(backups + "パスワード内容" + suffix, contents);
    }
    writeFile(data + "パスワード管理.dat", importFileOf(900, 6, 3));

    std::mt19937 rng(seed);
    long operations = 0;
    long finished = 0;    // kills that left a replacement for the next open to finish
    long rolledBack = 0;  // kills that left records changed in place to put back
    for (long k = 1; k <= kills; ++k) {
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const unsigned childSeed = unsigned(rng());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            childLoop(app, backups, childSeed, report[1]);
        }
        close(report[1]);
        char c = 0;
        ASSERT_EQ(read(report[0], &c, 1), 1) << "the child did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        char buffer[4096];
        for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) operations += n;
        close(report[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "kill " << k << ": the child ended on its own (status " << status << ")";

        const std::vector<std::string> problems = problemsAfterKill(app, finished, rolledBack);
        std::string all;
        for (const std::string& p : problems) all += "\n  " + p;
        ASSERT_TRUE(problems.empty()) << "kill " << k << " of seed " << seed << ":" << all;
    }
    std::cout << "crash test: " << kills << " kills, " << operations
              << " operations completed between them, " << finished
              << " interrupted pair replacements finished and " << rolledBack
              << " interrupted writes in place rolled back on reopening" << std::endl;
}

// The states a kill can leave inside a pair replacement, made by hand: with
// the journal written the next open finishes the replacement; before it the
// half-written files go and the old pair stays.
TEST(CrashConsistency, OpeningFinishesAJournaledReplacementAndDropsAnUnjournaledOne) {
    const std::string oldT = titleBytes("OLD", {1}, 1), oldC = contentBytes("r1", "old", 1, 1);
    const std::string newT = titleBytes("NEW", {1}, 1), newC = contentBytes("r1", "new", 1, 1);
    struct Case {
        const char* what;
        bool journal;
        bool contentRenamed;  // the kill came after the first rename
        const char* expected;
    } cases[] = {
        {"killed before the journal", false, false, "OLD"},
        {"killed after the journal", true, false, "NEW"},
        {"killed between the renames", true, true, "NEW"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string data = folder.path() + "DuzoZuzevod/";
        MakeFolderPath(data);
        writeFile(data + kTitleFileName, oldT);
        writeFile(data + kContentFileName, c.contentRenamed ? newC : oldC);
        const std::string tempT = std::string(kTitleFileName) + ".tmp4242-0";
        const std::string tempC = std::string(kContentFileName) + ".tmp4242-1";
        writeFile(data + tempT, newT);
        if (!c.contentRenamed) writeFile(data + tempC, newC);
        if (c.journal)
            writeFile(data + kPairJournalFileName,
                      tempC + "\t" + kContentFileName + "\n" + tempT + "\t" + kTitleFileName + "\nend\n");
        writeFile(data + kPairJournalFileName + ".tmp4242-0", "half a journ");

        ScriptedMessages messages;
        Program program(folder.path());
        program.reload();
        EXPECT_TRUE(messages.messages.empty()) << c.what;
        EXPECT_TRUE(program.store.linkProblems().empty()) << c.what;
        const StoredEntry e = program.store.readEntry(1);
        EXPECT_EQ(CleanField(std::string(e.title.表題)), c.expected) << c.what;
        ASSERT_EQ(e.rows.size(), 1u) << c.what;
        EXPECT_EQ(CleanField(std::string(e.rows[0].内容)), c.journal ? "new" : "old") << c.what;
        EXPECT_EQ(fs::listDirectory(data), (std::vector<std::string>{kContentFileName, kTitleFileName}))
            << c.what;
    }
}

// A rollback journal as docs/file-formats.md lays it out, written without the
// store's code: regions of (file, record, old bytes), the sizes before, and
// an FNV-1a checksum of everything before it.
struct OldRegion {
    int file;
    int record;
    std::string bytes;
};
std::string rollbackJournal(int64_t titleSize, int64_t contentSize, const std::vector<OldRegion>& regions) {
    auto put = [](std::string& out, uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out += char((v >> (8 * i)) & 0xFF);
    };
    std::string out = "MKJRNL01";
    put(out, regions.size(), 4);
    put(out, uint64_t(titleSize), 8);
    put(out, uint64_t(contentSize), 8);
    for (const OldRegion& r : regions) {
        put(out, uint64_t(r.file), 1);
        put(out, uint64_t(r.record), 4);
        put(out, r.bytes.size(), 4);
        out += r.bytes;
    }
    uint64_t hash = 14695981039346656037ull;
    for (char c : out) hash = (hash ^ uint8_t(c)) * 1099511628211ull;
    put(out, hash, 8);
    return out;
}

// The states a kill can leave inside a write in place, made by hand: a whole
// journal puts the old records back (sizes included); one cut short means no
// record was written yet and simply goes. Then the same opening with each of
// its file calls failing in turn: the journal stays until the old records
// are back, and the next opening puts them back all the same.
TEST(CrashConsistency, OpeningPutsBackTheRecordsOfAJournaledWriteInPlace) {
    const std::string oldT = titleBytes("OLD", {1}, 1) + titleBytes("GONE", {2}, 2);
    const std::string oldC = contentBytes("r1", "old", 1, 1) + contentBytes("r1", "gone", 2, 2);
    const std::string newT = titleBytes("NEW", {1, 3}, 1);  // title 2 deleted, the file shorter
    const std::string newC = contentBytes("r1", "new", 1, 1) + contentBytes("r1", "gone", 2, 2) +
                             contentBytes("r2", "new", 1, 3);  // a row appended
    const std::string whole = rollbackJournal(
        int64_t(oldT.size()), int64_t(oldC.size()),
        {{1, 1, oldT.substr(0, 154)}, {1, 2, oldT.substr(154)}, {2, 1, oldC.substr(0, 146)}});
    struct Case {
        const char* what;
        std::string journal, titles, contents;
    } cases[] = {
        {"killed after the records were written", whole, newT, newC},
        {"killed half way through the records", whole, oldT, newC},
        {"killed while the journal was written", whole.substr(0, whole.size() - 3), oldT, oldC},
    };
    for (const Case& c : cases) {
        for (long failAt = 0;; ++failAt) {
            TempFolder folder;
            std::string data = folder.path() + "DuzoZuzevod/";
            MakeFolderPath(data);
            writeFile(data + kTitleFileName, c.titles);
            writeFile(data + kContentFileName, c.contents);
            writeFile(data + kRollbackJournalFileName, c.journal);
            ScriptedMessages messages;
            Program program(folder.path());
            const long start = fs::callCount();
            if (failAt > 0) fs::failCall(failAt, EIO);
            program.reload();
            fs::clearFaults();
            const long calls = fs::callCount() - start;
            // The journal goes only once the old records are back.
            if (!fileExists(data + kRollbackJournalFileName)) {
                EXPECT_TRUE(readFile(data + kTitleFileName) == oldT &&
                            readFile(data + kContentFileName) == oldC)
                    << c.what << " call " << failAt;
            }
            // Whatever the first opening managed, the next one ends old.
            Program again(folder.path());
            again.reload();
            EXPECT_EQ(readFile(data + kTitleFileName), oldT) << c.what << " call " << failAt;
            EXPECT_EQ(readFile(data + kContentFileName), oldC) << c.what << " call " << failAt;
            EXPECT_FALSE(fileExists(data + kRollbackJournalFileName)) << c.what << " call " << failAt;
            if (failAt >= calls) break;
        }
    }
}

}  // namespace
}  // namespace mk::test
