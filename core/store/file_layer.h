#pragma once
// Every file call of the core passes through here, so that a test can make
// the Nth call fail with a chosen errno. Failures throw mk::RuntimeError with
// the classic error number for the errno.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace mk::fs {

// ---- fault injection (tests) --------------------------------------------
// The nth checked call from now (1 = the next one) fails with `err`; calls
// asked for in turn all fail, each once.
void failCall(long n, int err);
// Every checked call whose operation name contains `op` fails with `err`
// (for example "write", "rename", "open"), until clearFaults().
void failOperation(const std::string& op, int err);
// The nth checked call from now and every one after it fail with `err`, as
// a disk that has filled up or gone away does, until clearFaults().
void failFrom(long n, int err);
void clearFaults();
long callCount();  // checked calls so far

// ---- the system beneath ------------------------------------------------------
// The calls the layer makes, as the C library has them; a fuzz target puts a
// file system in memory in their place, so that a run costs no disk.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*pread)(int fd, void* data, std::size_t n, off_t offset);
    ssize_t (*pwrite)(int fd, const void* data, std::size_t n, off_t offset);
    int (*fstat)(int fd, struct stat* st);
    int (*stat)(const char* path, struct stat* st);
    int (*fsync)(int fd);
    int (*ftruncate)(int fd, off_t length);
    int (*fchmod)(int fd, mode_t mode);
    int (*unlink)(const char* path);
    int (*rename)(const char* from, const char* to);
    int (*mkdir)(const char* path, mode_t mode);
    int (*utimensat)(int dirfd, const char* path, const struct timespec times[2], int flags);
    // The names in a folder, "." and ".." left out; -1 (errno set) when it
    // cannot be read.
    int (*listNames)(const char* dir, std::vector<std::string>* names);
    // A second name for a file; nullptr where there is no such thing.
    int (*link)(const char* from, const char* to);
};
// Puts `calls` beneath the layer (nullptr: the system's own again) and
// returns what was there.
const SystemCalls* useSystemCalls(const SystemCalls* calls);

// ---- plain operations ------------------------------------------------------
bool exists(const std::string& path);
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);  // a symbolic link counts as its target
int64_t fileSize(const std::string& path);  // -1 when missing
std::time_t modifiedTime(const std::string& path);
void setModifiedTime(const std::string& path, std::time_t when);
void removeFile(const std::string& path);  // error when it fails (53 if missing)
void renameFile(const std::string& from, const std::string& to);
bool makeDirectory(const std::string& path);  // 0700; false when it fails
void syncDirectory(const std::string& dir);
// Names (not paths) of the entries of a folder, sorted.
std::vector<std::string> listDirectory(const std::string& dir);
std::string readWholeFile(const std::string& path);

// Replaces `path` as a whole: writes a temporary file in the same folder,
// checks every write, fsyncs, closes, renames it over the target and fsyncs
// the folder. A crash leaves the old or the new file, never none.
void replaceFile(const std::string& path, std::string_view bytes, unsigned mode = 0600);
// The first half of replaceFile: a complete, synced and closed temporary
// file beside `path`, whose name is returned; renameFile puts it in place.
std::string writeTemporary(const std::string& path, std::string_view bytes, unsigned mode = 0600);
// Removes the temporary files that writeTemporary made for `path` and that a
// crash left behind; not a checked call (it only tidies). Only for a path
// that no other running writer is replacing. Returns how many went.
int removeLeftoverTemporaries(const std::string& path);
// A second name beside `path` for the same file, one that
// removeLeftoverTemporaries(path) tidies away; no bytes are copied. Empty
// when the file system has no such names (FAT, for one) or the call fails.
std::string linkTemporary(const std::string& path);
// Removes such a second name; not a checked call (it only tidies).
void removeLinkTemporary(const std::string& name);
// Copies a file through replaceFile, keeping its modified time when asked.
void copyFile(const std::string& from, const std::string& to, bool keepTime);

// ---- an open file ------------------------------------------------------------
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Opens for reading and writing, creating the file (0600) when missing.
    static File openReadWrite(const std::string& path);
    static File openRead(const std::string& path);
    // Creates or truncates for writing (0600).
    static File create(const std::string& path);

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    int64_t size() const;
    // Reads up to n bytes at offset; returns how many were read (short at EOF).
    std::size_t readAt(int64_t offset, void* data, std::size_t n) const;
    void writeAt(int64_t offset, const void* data, std::size_t n);
    void append(std::string_view bytes);
    void truncate(int64_t length);
    void sync();
    // Checked; a file written since it was opened or last synced is synced
    // first, so that what a command reported as saved survives a power cut.
    // Closing a closed file is harmless.
    void close();

private:
    int fd_ = -1;
    std::string path_;
    int64_t appendOffset_ = 0;
    bool unsynced_ = false;
};

}  // namespace mk::fs
