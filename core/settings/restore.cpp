#include "core/settings/restore.h"

#include <ctime>

#include "core/base/messages.h"
#include "core/settings/backup.h"
#include "core/settings/settings_file.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kRestoreLocation = "バックアップ読込 :  List1_Click";

void show(std::initializer_list<std::string> lines, Icon icon, Buttons buttons = Buttons::OK) {
    SetMessageLines(lines);
    LastAnswer.button = MsgBox(JoinMessageLines(), buttons, icon);
}

}  // namespace

BackupListResult fillBackupList(Program& program, std::string& folder,
                                std::vector<std::string>& names) {
    folder.clear();
    names.clear();
    設定読込(program);
    folder = program.settings.BackupFolder;
    if (!fs::isDirectory(folder)) {
        show({"バックアップ先のディレクトリが見つかりません。",
              "指定のアクセス先を確認してください。", "「バックアップ先」指定で設定してください。",
              "処理を中止します。"},
             Icon::Critical);
        return BackupListResult::FolderMissing;
    }
    Trap(kRestoreLocation, [&] {
        for (const std::string& name : fs::listDirectory(folder))
            if (name.find(kTitleBackupMark) != std::string::npos && !fs::isDirectory(folder + name))
                names.push_back(name);
    });
    if (names.empty()) {
        show(
            {"バックアップファイルにアクセス出来ません。", "すでにバックアップを作成している場合は",
             "バックアップ先指定でアクセス先を確認してください。",
             "バックアップを一度もとっていない場合は", "実施してから読み込んでください。"},
            Icon::Question);
        return BackupListResult::NoBackups;
    }
    show({"バックアップファイルを読込みます。", "このメッセージを閉じたあと",
          "読み込むファイルをリストから選択して下さい。", "現在のファイルは削除されます。",
          "必ず、バックアップをとってから読込んで下さい。", "読込みを実行しますか?"},
         Icon::Critical, Buttons::YesNoDefaultNo);
    return LastAnswer.button == AnswerYes ? BackupListResult::Pick : BackupListResult::Declined;
}

bool restoreBackup(Program& program, const std::string& folder, const std::string& name) {
    const std::string titleSource = folder + name;
    // The partner is looked for beside the title backup: only the name
    // changes, never a folder that happens to hold the word.
    const std::string contentSource = folder + ReplaceText(name, "表題", "内容");
    show({"指定した　" + name + " を読込みます。　", "リンクする内容データも読込みます。",
          "現在のファイルはバックアップファイルに置きかわります。",
          "必ずバックアップをとってから実行して下さい。", "本当に実行しますか?"},
         Icon::Question, Buttons::YesNoDefaultNo);
    if (LastAnswer.button != AnswerYes) return false;
    if (!fs::exists(titleSource)) {
        show({"指定した　" + titleSource + " にアクセス出来ません。", "処理を中止します。"},
             Icon::Critical);
        return false;
    }
    if (!fs::exists(contentSource)) {
        show(
            {"リンクするデータの", contentSource + " にアクセス出来ません。", "処理を中止します。"},
            Icon::Critical);
        return false;
    }
    // A name that does not start with the title file's own name would be
    // copied beside the data files instead of over them.
    if (program.dataFolder() + LeftChars(name, 7) + ".dat" != program.store.titlePath()) {
        show({"指定した　" + name + " はパスワード表題のバックアップではありません。",
              "処理を中止します。"},
             Icon::Critical);
        return false;
    }
    if (!DataStore::holdsWholeRecords(fs::fileSize(titleSource), fs::fileSize(contentSource))) {
        show({"指定した　" + name + " またはリンクする内容データが壊れています。",
              "処理を中止します。"},
             Icon::Critical);
        return false;
    }
    std::time_t titleTime = 0, contentTime = 0;
    const bool replaced = Trap(kRestoreLocation, [&] {
        const std::string titles = fs::readWholeFile(titleSource);
        const std::string contents = fs::readWholeFile(contentSource);
        titleTime = fs::modifiedTime(titleSource);
        contentTime = fs::modifiedTime(contentSource);
        program.store.replacePair(titles, contents);
    });
    if (!replaced) return false;
    // The restored files carry the backup's times, so that a backup right
    // away is refused while they are still the newest pair.
    Trap(kRestoreLocation, [&] {
        fs::setModifiedTime(program.store.titlePath(), titleTime);
        fs::setModifiedTime(program.store.contentPath(), contentTime);
    });
    show({"指定のバックアップデータを読込みました。　", "検索・閲覧画面に移動します。"},
         Icon::Information);
    return true;
}

}  // namespace mk
