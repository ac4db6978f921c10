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
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

void setFolderChooser(FolderChooser chooser) { installed() = std::move(chooser); }

}  // namespace mk::gui
