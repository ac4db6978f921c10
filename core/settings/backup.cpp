#include "core/settings/backup.h"

#include <cstdio>
#include <string>

#include "core/base/clock.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/settings/settings_file.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kCheckLocation = "バックアップ有無 :  4620   ";
const char* const kBackupLocation = "バックアップ実施 :  4517   ";
const char* const kCopyLocation = "Sub CopyFile :  2142   ";
const char* const kTitleBase = "パスワード表題";
const char* const kContentBase = "パスワード内容";
// A copy in progress carries this name, which no backup reader picks up.
const char* const kCopyInProgress = "~コピー中.dat";

std::string threeDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "_%03d", n);
    return buf;
}

// The characters of `text` after the first `skip`, at most `count` of them.
std::string midChars(const std::string& text, std::size_t skip, std::size_t count) {
    return LeftChars(std::string_view(text).substr(LeftChars(text, skip).size()), count);
}

void stopWith(BackupView& view, std::initializer_list<std::string> lines, Icon icon) {
    SetMessageLines(lines);
    MsgBox(JoinMessageLines(), Buttons::OK, icon);
    view.setStatusVisible(false);
}

}  // namespace

std::string ReplaceText(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = path.substr(0, slash + 1);
    name = path.substr(slash + 1);
}

std::string DatedFileName(const std::string& path) {
    std::string folder, name;
    SplitPath(path, folder, name);
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        MsgBox("エラー　ファイル名異常", Buttons::OK, Icon::None);
        return {};
    }
    const std::tm today = localNow();
    char date[48];
    std::snprintf(date, sizeof date, "_%04d_%02d_%02d", today.tm_year + 1900, today.tm_mon + 1,
                  today.tm_mday);
    const std::string stem = folder + name.substr(0, dot) + date;
    const std::string extension = name.substr(dot);
    for (int n = 1; n <= 999; ++n) {
        std::string candidate = stem + threeDigits(n) + extension;
        if (!fs::exists(candidate)) return candidate;
    }
    return {};
}

std::string timeStampText(std::time_t when) {
    std::tm t{};
    localtime_r(&when, &t);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

std::string fileTimeStampText(const std::string& path) {
    return timeStampText(fs::modifiedTime(path));
}

std::string backupKey(const std::string& name) { return midChars(name, 8, 14); }

std::string バックアップ有無(Program& program) {
    std::string result;
    Trap(kCheckLocation, [&] {
        const std::string titleTime = fileTimeStampText(program.store.titlePath());
        const std::string contentTime = fileTimeStampText(program.store.contentPath());
        const std::string& folder = program.settings.BackupFolder;
        std::string bestKey, bestPath;
        for (const std::string& name : fs::listDirectory(folder)) {
            const std::string path = folder + name;
            if (path.find(kTitleBackupMark) == std::string::npos || fs::isDirectory(path)) continue;
            const std::string key = backupKey(name);
            if (key > bestKey) {
                bestKey = key;
                bestPath = path;
            }
        }
        result = kBackupNeeded;
        if (bestPath.empty()) return;
        const std::string partner = ReplaceText(bestPath, kTitleBase, kContentBase);
        if (fs::exists(partner) && fileTimeStampText(bestPath) == titleTime &&
            fileTimeStampText(partner) == contentTime)
            result = bestPath;
    });
    return result;
}

bool CopyFile(const std::string& from, const std::string& to) {
    return Trap(kCopyLocation, [&] {
        std::string folder, name;
        SplitPath(to, folder, name);
        const std::string bytes = fs::readWholeFile(from);
        const std::time_t when = fs::modifiedTime(from);
        const std::string temp = fs::writeTemporary(folder + kCopyInProgress, bytes);
        try {
            // The time goes on before the rename, so that the backup's name
            // only ever stands for a complete copy that compares right.
            fs::setModifiedTime(temp, when);
            fs::renameFile(temp, to);
        } catch (...) {
            try {
                if (fs::exists(temp)) fs::removeFile(temp);
            } catch (...) {
            }
            throw;
        }
        fs::syncDirectory(folder.empty() ? "." : folder);
    });
}

bool バックアップ実施(Program& program, BackupView& view) {
    bool made = false;
    std::string checked;
    const bool ran = Trap(kBackupLocation, [&] {
        view.setStatus("バックアップの設定チェックをしています。");
        view.setStatusVisible(true);
        WaitSeconds(0.2);
        if (!fs::exists(settingsPath(program))) {
            設定読込(program);
            program.settings.BackupFolder = defaultBackupFolder(program);
            設定書込(program);
        }
        設定読込(program);
        view.setStatus("バックアップの設定読込実施中");
        WaitSeconds(0.2);
        MakeFolderPath(program.settings.BackupFolder);
        // A folder that cannot be made (a file of that name, no right to
        // create it) ends here rather than in a misleading check result.
        if (!fs::isDirectory(program.settings.BackupFolder))
            throw RuntimeError(ErrPathNotFound, describeError(ErrPathNotFound) + " (" +
                                                    program.settings.BackupFolder + ")");
        view.setStatus("バックアップの必要性を検査しています。");
        WaitSeconds(0.2);
        checked = バックアップ有無(program);
    });
    if (!ran) {
        view.setStatusVisible(false);
        return false;
    }
    // An empty answer means the check itself failed and has been reported:
    // nothing is known about the backups, so none is claimed to exist.
    if (checked.empty()) {
        view.setStatusVisible(false);
        return false;
    }
    if (checked != kBackupNeeded) {
        stopWith(view,
                 {"現在のデータは既にバックアップ作成済みです。", checked, "処理を中止します。"},
                 Icon::Exclamation);
        return false;
    }
    Trap(kBackupLocation, [&] {
        const std::string& folder = program.settings.BackupFolder;
        view.setStatus("バックアップの必要性を検査しています。");
        WaitSeconds(0.2);
        const std::string titleTarget = DatedFileName(folder + kTitleBase + ".dat");
        if (titleTarget.empty()) {
            stopWith(view,
                     {"本日のバックアップは　001 から 999 まですべて使われています。",
                      "バックアップ先を変更してから実行してください。", "処理を中止します。"},
                     Icon::Exclamation);
            return;
        }
        std::string unused, titleName;
        SplitPath(titleTarget, unused, titleName);
        const std::string suffix = titleName.substr(titleName.find("_20"));
        view.setTargetLabel(titleTarget);
        const std::string contentTarget = folder + kContentBase + suffix;
        view.setStatus("バックアップを実施しています。　しばらくお待ち下さい。");
        WaitSeconds(0.1);
        // A copy can fail after its name is in place (the folder's sync);
        // half a pair is no backup, so whatever was made is taken away.
        const auto dropTargets = [&] {
            for (const std::string* target : {&titleTarget, &contentTarget}) {
                try {
                    if (fs::exists(*target)) fs::removeFile(*target);
                } catch (...) {
                }
            }
        };
        if (!CopyFile(program.store.titlePath(), titleTarget) ||
            !CopyFile(program.store.contentPath(), contentTarget)) {
            dropTargets();
            view.setStatusVisible(false);
            return;
        }
        view.setStatus("バックアップが完了しました。");
        WaitSeconds(0.1);
        stopWith(view,
                 {titleTarget + "で", "保存しました。",
                  "リンクする　パスワード内容.dat も保存しました。"},
                 Icon::Information);
        made = true;
    });
    view.setStatusVisible(false);
    return made;
}

}  // namespace mk
