#pragma once
// Whether the desktop has a program for a file: the spreadsheet output and
// the user manual are handed to the desktop (xdg-open), which on a bare
// machine finds nothing and says so only on its error output. Asking first
// lets the program tell the user where the file is instead.
#include <string>

namespace mk {

// The MIME type of the files the program hands to the desktop, by the
// name's extension; empty for any other.
std::string documentMimeType(const std::string& path);

// Whether a desktop entry that is installed, not hidden and whose program
// exists opens files of `path`'s type, by the freedesktop.org rules
// (mimeapps.list defaults, added and removed associations; entries'
// MimeType lines) over $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $XDG_DATA_HOME and
// $XDG_DATA_DIRS. A type it does not know is left to the desktop: true.
bool desktopHasProgramFor(const std::string& path);

}  // namespace mk
