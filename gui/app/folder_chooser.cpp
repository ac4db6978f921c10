#include "gui/app/folder_chooser.h"

#include <QFileDialog>

namespace mk::gui {

namespace {
FolderChooser& installed() {
    static FolderChooser chooser;
    return chooser;
}
}  // namespace

QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) {
    if (installed()) return installed()(parent, caption, start);
    // Qt's own dialog rather than the desktop's: it takes its labels from
    // the Japanese translation loaded at start-up, where a desktop's dialog
    // would speak the machine's language.
    return QFileDialog::getExistingDirectory(
        parent, caption, start, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void setFolderChooser(FolderChooser chooser) { installed() = std::move(chooser); }

}  // namespace mk::gui
