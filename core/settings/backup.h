#pragma once
// Backups: dated copies of the data pair in the backup folder, made only when
// the newest pair in that folder does not hold the current data already.
#include <ctime>
#include <string>

#include "core/app/program.h"

namespace mk {

inline const char* const kBackupNeeded = "必要";
inline const char* const kTitleBackupMark = "パスワード表題_20";

// What a backup shows while it runs: the status box コメント表示 and the
// hidden label Label3 that keeps the new title backup's path.
class BackupView {
public:
    virtual ~BackupView() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setStatusVisible(bool visible) = 0;
    virtual void setTargetLabel(const std::string& path) = 0;
};

// `text` with every `from` replaced by `to`.
std::string ReplaceText(std::string text, const std::string& from, const std::string& to);

// Folder part up to and including the last separator (empty when there is
// none) and the name after it (the whole path when there is none).
void SplitPath(const std::string& path, std::string& folder, std::string& name);

// The first free "<base>_yyyy_mm_dd_nnn<extension>" path beside `path`
// (n from 001 to 999, today's date); empty when all 999 are taken, or after
// the message "エラー　ファイル名異常" when the name has no ".".
std::string DatedFileName(const std::string& path);

// "yyyy/mm/dd hh:mm:ss" of a local time, and of a file's last change.
std::string timeStampText(std::time_t when);
std::string fileTimeStampText(const std::string& path);

// Characters 9 to 22 of a title backup's name: date and number.
std::string backupKey(const std::string& name);

// "必要" when a backup is needed; otherwise the full path of the newest title
// backup, which holds the current data already. Empty after an error report.
std::string バックアップ有無(Program& program);

// Copies a file, keeping its last-modified time. The copy is written under a
// name no reader takes for a backup and renamed only once complete. A failure
// is reported ("Sub CopyFile :  2142   ") and gives false.
bool CopyFile(const std::string& from, const std::string& to);

// The whole backup with its progress texts and messages. True when a new
// pair was made.
bool バックアップ実施(Program& program, BackupView& view);

}  // namespace mk
