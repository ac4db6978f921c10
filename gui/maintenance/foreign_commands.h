#pragma once
// The settings screen's maintenance commands that take in foreign data:
// the import of the other product's file and the old-version conversion.
#include <QString>
#include <functional>

namespace mk {
class Program;
}

namespace mk::gui {

class Shell;

// Imports パスワード管理.dat over the current data. `status` receives the
// progress "i/n" (the settings screen's Label4); the browse table is
// reloaded and its counter shows "n/n" when the import has finished.
void runImport(mk::Program& program, Shell& shell,
               const std::function<void(const QString&)>& status);

// Converts 備忘録.dat into entries behind the current ones, then shows the
// search and browse screen (page 1).
void runConversion(mk::Program& program, Shell& shell);

}  // namespace mk::gui
