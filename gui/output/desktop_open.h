#pragma once
// Handing the program's files to the desktop, and measuring texts for the
// spreadsheet output.
#include <string>

namespace mk::gui {

// Opens `path` with the desktop's program for its type. False when the
// desktop has no such program or the desktop's opener could not be started;
// the caller then tells the user where the file is.
bool openWithDesktop(const std::string& path);

// The width in twips of `text` set in the spreadsheet's font at `points`,
// from the advance widths of the font that this desktop (and so a
// spreadsheet program on it) substitutes for it.
int outputTextWidth(const std::string& text, int points);

}  // namespace mk::gui
