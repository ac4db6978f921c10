// Every folder of tests/data/damaged (written by make_damaged.py there) as
// the data folder: start-up, load, search, opening, saving and deleting an
// entry, backup, restore and the data array check run on it without a
// crash, and a save never makes the pair worse: the records it does not
// touch keep their bytes and the link problems do not grow.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "core/maintenance/array_check.h"
#include "core/settings/backup.h"
#include "core/settings/restore.h"
#include "core/settings/settings_file.h"
#include "core/startup/startup_logic.h"
#include "tests/core/browse/browse_fixture.h"
#include "tests/core/edit/edit_fixture.h"

namespace mk::test {
namespace {

namespace sfs = std::filesystem;

struct NoBackupView : BackupView {
    void setStatus(const std::string&) override {}
    void setStatusVisible(bool) override {}
    void setTargetLabel(const std::string&) override {}
};

std::string recordAt(const std::string& file, std::size_t size, int n) {
    return file.substr(std::size_t(n - 1) * size, size);
}

// The slots of title record t in a title file's bytes (none when t is not a
// whole record of it).
std::set<int> slotsOf(const std::string& titles, int t) {
    std::set<int> slots;
    if (t < 1 || std::size_t(t) * 154 > titles.size()) return slots;
    for (int i = 0; i < 50; ++i) slots.insert(int16At(titles, std::size_t(t - 1) * 154 + 50 + 2 * i));
    return slots;
}

// The slots (and titles) with a link problem, however many problems each has:
// a slot that named a record past the end and now names a blank gap record
// is the same broken slot.
std::set<std::string> brokenLinks(Program& program) {
    std::set<std::string> broken;
    for (const std::string& problem : program.store.linkProblems())
        broken.insert(problem.substr(0, problem.find(':')));
    return broken;
}

void expectNoNewBrokenLinks(const std::set<std::string>& before, const std::set<std::string>& after) {
    for (const std::string& link : after) EXPECT_TRUE(before.count(link)) << link;
}

// Runs `save` and checks that only title t (read from the edit table after
// the save) and the content records it names before or after changed, and
// that no link is broken that was not broken before.
void expectNoWorse(Program& program, EditSession& session, const std::function<void()>& save) {
    const std::string titles = readFile(program.store.titlePath());
    const std::string contents = readFile(program.store.contentPath());
    const std::set<std::string> problems = brokenLinks(program);
    save();
    const std::string newTitles = readFile(program.store.titlePath());
    const std::string newContents = readFile(program.store.contentPath());
    const int t = int(session.table.number(1, ecol::Parent));
    std::set<int> touched = slotsOf(titles, t);
    for (int k : slotsOf(newTitles, t)) touched.insert(k);
    for (int n = 1; std::size_t(n) * 154 <= std::min(titles.size(), newTitles.size()); ++n)
        if (n != t) {
            EXPECT_EQ(recordAt(newTitles, 154, n), recordAt(titles, 154, n)) << "title " << n;
        }
    for (int n = 1; std::size_t(n) * 146 <= std::min(contents.size(), newContents.size()); ++n)
        if (!touched.count(n)) {
            EXPECT_EQ(recordAt(newContents, 146, n), recordAt(contents, 146, n)) << "content " << n;
        }
    expectNoNewBrokenLinks(problems, brokenLinks(program));
}

void openFirstEntry(Program& program, EditSession& session) {
    fillEmptyBrowseTable(program);
    setFirstBlockCurrent(program);
    新規保存画面(session);
}

TEST(DamagedFiles, EveryOperationCopesAndNoSaveMakesThePairWorse) {
    const char* source = std::getenv("MIRUKASU_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::vector<sfs::path> corpus;
    for (const auto& e : sfs::directory_iterator(sfs::path(source) / "tests/data/damaged"))
        if (e.is_directory()) corpus.push_back(e.path());
    std::sort(corpus.begin(), corpus.end());
    ASSERT_GE(corpus.size(), 20u);
    const sfs::path cwd = sfs::current_path();

    for (const sfs::path& damaged : corpus) {
        SCOPED_TRACE(damaged.filename().string());
        TempFolder folder;
        // A backup folder named in a damaged settings file is made relative
        // to here, never in the build tree.
        sfs::current_path(folder.path());
        ScriptedMessages messages;
        Program program(folder.path());
        EditSession session(program);
        sfs::create_directories(program.dataFolder());
        for (const auto& f : sfs::directory_iterator(damaged))
            sfs::copy_file(f.path(), program.dataFolder() + f.path().filename().string());

        EXPECT_NO_THROW({
            readSettings(program);
            makeSampleDataOnFirstStart(program);
            program.reload();
            browse_test::FakeView view;
            view.box = "a";
            検索(program.browse, view);
            resetSearchMarks(program.browse);

            openFirstEntry(program, session);
            session.table.setText(1, ecol::Content, "edited");
            expectNoWorse(program, session, [&] { 修正保存(session); });
            session.titleBox.text = "新しい表題";
            expectNoWorse(program, session, [&] { 新規保存(session); });

            program.reload();
            openFirstEntry(program, session);
            const std::set<std::string> problems = brokenLinks(program);
            表題を削除(session);
            expectNoNewBrokenLinks(problems, brokenLinks(program));

            NoBackupView backupView;
            バックアップ実施(program, backupView);
            std::string backups;
            std::vector<std::string> names;
            if (fillBackupList(program, backups, names) == BackupListResult::Pick)
                restoreBackup(program, backups, names.back());
            program.reload();

            GridTable grid;
            表題と項目のRec(program.store, grid);
            項目表示(program.store, grid);
        });
        EXPECT_FALSE(program.store.file1Open() || program.store.file2Open());
        sfs::current_path(cwd);
    }
}

}  // namespace
}  // namespace mk::test
