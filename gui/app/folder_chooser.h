#pragma once
// Choosing a folder: a Qt directory dialog in the program, a scripted answer
// in tests.
#include <QString>
#include <functional>

class QWidget;

namespace mk::gui {

// Returns the chosen folder, or an empty string when the user cancels.
using FolderChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& start)>;

// The installed chooser (a QFileDialog unless a test set another).
QString chooseFolder(QWidget* parent, const QString& caption, const QString& start);
void setFolderChooser(FolderChooser chooser);  // empty: back to the dialog

}  // namespace mk::gui
