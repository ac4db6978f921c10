#pragma once
// Restore: the list of title backups in the backup folder, and putting one
// backup pair in place of the current data files.
#include <string>
#include <vector>

#include "core/app/program.h"

namespace mk {

enum class BackupListResult {
    FolderMissing,  // the panel stays, after the message
    NoBackups,      // back to the normal view, after the message
    Declined,       // the user answered No
    Pick,           // the user may click a name
};

// Reads the settings, takes the backup folder (`folder`) and the names of
// the title backups in it, sorted by name, and asks whether to go on.
BackupListResult fillBackupList(Program& program, std::string& folder,
                                std::vector<std::string>& names);

// Restores title backup `name` of `folder` and its content partner over
// the data pair after the user's Yes, and shows the completion message. The
// pair is replaced as a whole or not at all. True when the data changed; the
// caller reloads and shows the browse screen.
bool restoreBackup(Program& program, const std::string& folder, const std::string& name);

}  // namespace mk
