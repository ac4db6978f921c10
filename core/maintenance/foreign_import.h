#pragma once
// Taking in foreign data: the other product's file (ImportOtherProduct) and
// this program's old single-file format (ConvertOldVersion). Both ask first,
// build the new pair in full and put it in place only when it is complete,
// so that a damaged file or a failing decipher leaves the data as it was.
#include <functional>
#include <string>

#include "core/app/program.h"

namespace mk {

// Where the settings screen's command switch reports a run-time error of
// the two commands.
inline const char* const kForeignImportErrorLocation = "F3切換 : 1310   ";

struct ForeignImportHooks {
    // Import record i of n is being read (the window has had its turn).
    std::function<void(int i, int n)> progress;
    // The data files now hold the result of n foreign records; rebuild what
    // shows them. Without it the program's browse table is rebuilt.
    std::function<void(int n)> loaded;
};

enum class ForeignOutcome {
    Cancelled,  // the user said No
    Missing,    // the foreign file is not there (said so)
    Failed,     // an error was reported; the data files are as they were
    Done,       // the data changed and the completion message was shown
};

// Replaces the whole data set with the entries of パスワード管理.dat in the
// data folder: record i becomes title record i, its contents deciphered.
ForeignOutcome ImportOtherProduct(Program& program, const ForeignImportHooks& hooks = {},
                                  const std::string& errorLocation = kForeignImportErrorLocation);

// Adds the entries of 備忘録.dat behind the current ones: old record d
// becomes title record Maxrec1 + d, its rows keep their slots, contents as
// they stand. The user's own entries are never overwritten.
ForeignOutcome ConvertOldVersion(Program& program, const ForeignImportHooks& hooks = {},
                                 const std::string& errorLocation = kForeignImportErrorLocation);

}  // namespace mk
