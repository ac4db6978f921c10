#pragma once
// A file system in memory beneath the core's file layer, for a fuzz target
// that would otherwise write and read real files on every run. Paths are
// plain strings; folders are the paths made by mkdir. One thread only.
#include <string>
#include <string_view>

namespace mk::fuzz {

// Puts the memory file system beneath the file layer (once; it stays).
void useMemoryFiles();
// Makes `path` a file holding `bytes` (its folder must exist).
void putMemoryFile(const std::string& path, std::string_view bytes);
// Makes a folder at `path`, and the folders above it.
void makeMemoryFolder(const std::string& path);

}  // namespace mk::fuzz
