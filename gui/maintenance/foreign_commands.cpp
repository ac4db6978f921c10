#include "gui/maintenance/foreign_commands.h"

#include "core/app/program.h"
#include "core/maintenance/foreign_import.h"
#include "gui/app/shell.h"

namespace mk::gui {

namespace {

QString fraction(int i, int n) {
    return QString::number(i) + QLatin1Char('/') + QString::number(n);
}

}  // namespace

void runImport(mk::Program& program, Shell& shell,
               const std::function<void(const QString&)>& status) {
    mk::ForeignImportHooks hooks;
    hooks.progress = [&](int i, int n) {
        if (status) status(fraction(i, n));
    };
    hooks.loaded = [&](int n) {
        shell.reloadBrowse();
        shell.setBrowseCounter(fraction(n, n));
    };
    mk::ImportOtherProduct(program, hooks);
}

void runConversion(mk::Program& program, Shell& shell) {
    mk::ForeignImportHooks hooks;
    hooks.loaded = [&](int) { shell.reloadBrowse(); };
    if (mk::ConvertOldVersion(program, hooks) != mk::ForeignOutcome::Done) return;
    shell.showBrowseScreen();
    shell.頁切換(Page::Browse);
}

}  // namespace mk::gui
