// Runs one write operation of the program on an application folder, through
// the routines the screens call, and prints every message it shows and its
// outcome. The crash tests run it under real file-system faults (a full
// disk, a read-only mount, another user, a file size limit).
//
//   fault_driver <app folder> setup
//   fault_driver <app folder> save|modify|delete|settings|backup|restore
//
// Prints "message: <title> | <text>" per message box, then "result: ok" or
// "result: failed". Exits 0 whenever the operation ran to its end.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/settings/backup.h"
#include "core/settings/restore.h"
#include "core/settings/settings_commands.h"
#include "core/settings/settings_file.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace {

struct NoView : mk::BackupView {
    void setStatus(const std::string&) override {}
    void setStatusVisible(bool) override {}
    void setTargetLabel(const std::string&) override {}
};

void fillNew(mk::EditSession& s, const std::string& title, int rows) {
    mk::SetVsGrid51(s.table, false);
    s.table.setRows(rows + 2);
    for (int r = 1; r <= rows; ++r) {
        s.table.setText(r, mk::ecol::Item, "item" + std::to_string(r));
        s.table.setText(r, mk::ecol::Content, title + "-" + std::to_string(r));
    }
    s.titleBox.text = title;
}

void fillStored(mk::EditSession& s, int titleRec, const std::string& content) {
    const mk::StoredEntry e = s.program.store.readEntry(titleRec);
    mk::SetVsGrid51(s.table, false);
    s.table.setRows(int(e.rows.size()) + 2);
    for (std::size_t i = 0; i < e.rows.size(); ++i) {
        const int r = int(i + 1);
        s.table.setText(r, mk::ecol::Item, mk::CleanField(std::string(e.rows[i].項目)));
        s.table.setText(r, mk::ecol::Content, content);
        s.table.setText(r, mk::ecol::Parent, std::to_string(titleRec));
        s.table.setText(r, mk::ecol::Child, std::to_string(e.rows[i].自分Rec));
    }
    s.titleBox.text = mk::CleanField(std::string(e.title.表題));
}

bool run(mk::Program& program, const std::string& op) {
    mk::EditSession s(program);
    if (op == "setup") {
        mk::設定読込(program);
        fillNew(s, "first", 3);
        mk::新規保存(s);
        NoView view;
        if (!mk::バックアップ実施(program, view)) return false;
        fillNew(s, "second", 2);
        mk::新規保存(s);
        // The data must differ from the backup in time too, or the next
        // backup would be refused as already made.
        for (const std::string& path : {program.store.titlePath(), program.store.contentPath()})
            mk::fs::setModifiedTime(path, mk::fs::modifiedTime(path) + 60);
        return true;
    }
    if (op == "save") {
        fillNew(s, "third", 4);
        mk::新規保存(s);
        return true;
    }
    if (op == "modify") {
        fillStored(s, 1, "changed");
        mk::修正保存(s);
        return true;
    }
    if (op == "delete") {
        fillStored(s, 1, "");
        return mk::表題を削除(s);
    }
    if (op == "settings") {
        mk::設定読込(program);
        program.settingsScreen.passwordBox = "Fault-pass9";
        program.settingsScreen.option1 = true;
        program.settingsScreen.option2 = false;
        return mk::saveLoginSettings(program);
    }
    if (op == "backup") {
        mk::設定読込(program);
        NoView view;
        return mk::バックアップ実施(program, view);
    }
    if (op == "restore") {
        std::string folder;
        std::vector<std::string> names;
        if (mk::fillBackupList(program, folder, names) != mk::BackupListResult::Pick) return false;
        return mk::restoreBackup(program, folder, names.front());
    }
    std::fprintf(stderr, "unknown operation %s\n", op.c_str());
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    const int arg = 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: fault_driver <app folder> <operation>\n");
        return 2;
    }
    mk::ScriptedMessages messages;
    bool ok = false;
    {
        mk::Program program(argv[arg]);
        ok = mk::Trap("fault_driver", [&] { ok = run(program, argv[arg + 1]); }) && ok;
    }
    bool reported = false;
    for (const mk::RecordedMessage& m : messages.messages) {
        std::string text = m.text;
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        std::printf("message: %s | %s\n", m.title.c_str(), text.c_str());
        reported = reported || m.title == "エラー発生表示";
    }
    // A routine that shows an error report has not done its work, whatever
    // it returns.
    std::printf("result: %s\n", ok && !reported ? "ok" : "failed");
    return 0;
}
