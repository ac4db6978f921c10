#include "core/store/file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "core/base/errors.h"

namespace mk::fs {

namespace {

// A write past the file size limit (ulimit -f) would otherwise kill the
// program with SIGXFSZ in the middle of a save; ignored, the write fails
// with EFBIG and goes the way of every other write error (reported, the
// files left as the replacement or the journal keeps them). Set before
// main() in every program that writes through here.
const bool g_fileSizeSignalIgnored = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    return true;
}();

// ---- the system beneath --------------------------------------------------------

int listNamesOnDisk(const char* dir, std::vector<std::string>* names) {
    DIR* d = ::opendir(dir);
    if (!d) return -1;
    while (struct dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names->push_back(std::move(name));
    }
    ::closedir(d);
    return 0;
}

int openOnDisk(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const SystemCalls kDisk = {openOnDisk, ::close,  ::pread, ::pwrite,    ::fstat,
                           ::stat,     ::fsync,  ::ftruncate, ::fchmod, ::unlink,
                           ::rename,   ::mkdir,  ::utimensat, listNamesOnDisk, ::link};
const SystemCalls* g_system = &kDisk;

const SystemCalls& sys() { return *g_system; }

// ---- fault injection --------------------------------------------------------
long g_calls = 0;          // checked calls so far
std::map<long, int> g_failAt;  // absolute call numbers that fail, and their errors
long g_failFrom = 0;       // absolute call number from which all fail, 0 = none
int g_failFromErr = 0;
std::string g_failOp;      // operation name fragment, empty = none
int g_failOpErr = 0;

// Every checked call starts here. Returns true (with errno set) when the
// test asked this call to fail; the real call is then not made.
bool injected(const char* op) {
    ++g_calls;
    if (const auto at = g_failAt.find(g_calls); at != g_failAt.end()) {
        errno = at->second;
        g_failAt.erase(at);
        return true;
    }
    if (g_failFrom != 0 && g_calls >= g_failFrom) {
        errno = g_failFromErr;
        return true;
    }
    if (!g_failOp.empty() && std::strstr(op, g_failOp.c_str()) != nullptr) {
        errno = g_failOpErr;
        return true;
    }
    return false;
}

[[noreturn]] void fail(int err, const char* op, const std::string& path) {
    throw errorFromErrno(err, std::string(op) + " " + path);
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int checkedOpen(const std::string& path, int flags, mode_t mode) {
    if (injected("open")) fail(errno, "open", path);
    int fd;
    do {
        fd = sys().open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(errno, "open", path);
    return fd;
}

// Writes all of `n` bytes at `offset`, as many calls as it takes; each call is
// checked, so a short write on a full disk is an error, not a silent cut.
void writeAllAt(int fd, int64_t offset, const char* data, std::size_t n,
                const std::string& path) {
    while (n > 0) {
        if (injected("write")) fail(errno, "write", path);
        ssize_t w = sys().pwrite(fd, data, n, offset);
        if (w < 0) {
            if (errno == EINTR) continue;
            fail(errno, "write", path);
        }
        if (w == 0) fail(ENOSPC, "write", path);
        data += w;
        n -= static_cast<std::size_t>(w);
        offset += w;
    }
}

void checkedFsync(int fd, const std::string& path) {
    if (injected("fsync") || sys().fsync(fd) != 0) fail(errno, "fsync", path);
}

}  // namespace

void failCall(long n, int err) {
    if (n > 0) g_failAt[g_calls + n] = err;
}

void failOperation(const std::string& op, int err) {
    g_failOp = op;
    g_failOpErr = err;
}

void failFrom(long n, int err) {
    g_failFrom = n > 0 ? g_calls + n : 0;
    g_failFromErr = err;
}

void clearFaults() {
    g_failAt.clear();
    g_failFrom = 0;
    g_failOp.clear();
}

long callCount() { return g_calls; }

const SystemCalls* useSystemCalls(const SystemCalls* calls) {
    const SystemCalls* previous = g_system == &kDisk ? nullptr : g_system;
    g_system = calls ? calls : &kDisk;
    return previous;
}

// ---- plain operations ------------------------------------------------------------

bool exists(const std::string& path) {
    struct stat st;
    return sys().stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return sys().stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return sys().stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t fileSize(const std::string& path) {
    struct stat st;
    if (sys().stat(path.c_str(), &st) != 0) return -1;
    return st.st_size;
}

std::time_t modifiedTime(const std::string& path) {
    struct stat st;
    if (injected("stat") || sys().stat(path.c_str(), &st) != 0) fail(errno, "stat", path);
    return st.st_mtime;
}

void setModifiedTime(const std::string& path, std::time_t when) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;  // access time stays
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    if (injected("utime") || sys().utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        fail(errno, "utime", path);
}

void removeFile(const std::string& path) {
    if (injected("unlink") || sys().unlink(path.c_str()) != 0) fail(errno, "unlink", path);
}

void renameFile(const std::string& from, const std::string& to) {
    if (injected("rename") || sys().rename(from.c_str(), to.c_str()) != 0)
        fail(errno, "rename", from + " -> " + to);
}

bool makeDirectory(const std::string& path) {
    if (injected("mkdir")) return false;
    return sys().mkdir(path.c_str(), 0700) == 0;
}

void syncDirectory(const std::string& dir) {
    int fd = checkedOpen(dir, O_RDONLY | O_DIRECTORY, 0);
    int err = 0;
    if (injected("dirsync") || sys().fsync(fd) != 0) err = errno;
    sys().close(fd);
    // Some file systems cannot sync a folder; that is no failure of ours.
    if (err != 0 && err != EINVAL && err != EROFS) fail(err, "dirsync", dir);
}

std::vector<std::string> listDirectory(const std::string& dir) {
    if (injected("listdir")) fail(errno, "listdir", dir);
    std::vector<std::string> names;
    if (sys().listNames(dir.c_str(), &names) != 0) fail(errno, "listdir", dir);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// The names writeTemporary and linkTemporary give, which
// removeLeftoverTemporaries knows: "<path>.tmp<pid>-<attempt>".
std::string temporaryName(const std::string& path, int attempt) {
    return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

}  // namespace

std::string readWholeFile(const std::string& path) {
    File f = File::openRead(path);
    std::string bytes(static_cast<std::size_t>(f.size()), '\0');
    bytes.resize(f.readAt(0, bytes.data(), bytes.size()));
    f.close();
    return bytes;
}

std::string linkTemporary(const std::string& path) {
    if (!sys().link) return {};
    for (int attempt = 0; attempt <= 100; ++attempt) {
        std::string name = temporaryName(path, attempt);
        if (injected("hardlink")) return {};
        if (sys().link(path.c_str(), name.c_str()) == 0) return name;
        if (errno != EEXIST && errno != EINTR) return {};
    }
    return {};
}

void removeLinkTemporary(const std::string& name) { sys().unlink(name.c_str()); }

std::string writeTemporary(const std::string& path, std::string_view bytes, unsigned mode) {
    // The temporary file sits beside the target so that rename() replaces it
    // in one step on the same file system.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = temporaryName(path, attempt);
        if (injected("open")) fail(errno, "open", temp);
        fd = sys().open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                        static_cast<mode_t>(mode));
        // A leftover of an earlier crash may hold the name; take the next one.
        if (fd < 0 && errno != EINTR && (errno != EEXIST || attempt >= 100))
            fail(errno, "open", temp);
    }
    try {
        // The creation mode is filtered by the umask; set it exactly.
        sys().fchmod(fd, static_cast<mode_t>(mode));
        writeAllAt(fd, 0, bytes.data(), bytes.size(), temp);
        checkedFsync(fd, temp);
        int c = injected("close") ? -1 : sys().close(fd);
        int err = errno;
        fd = -1;
        if (c != 0) fail(err, "close", temp);
    } catch (...) {
        if (fd >= 0) sys().close(fd);
        sys().unlink(temp.c_str());
        throw;
    }
    return temp;
}

int removeLeftoverTemporaries(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp";
    std::vector<std::string> all;
    if (sys().listNames(folder.c_str(), &all) != 0) return 0;
    std::vector<std::string> names;
    for (const std::string& name : all) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        // Only the names writeTemporary gives: "<pid>-<attempt>".
        const std::string tail = name.substr(prefix.size());
        const std::size_t dash = tail.find('-');
        if (dash == std::string::npos || dash == 0 || dash + 1 == tail.size() ||
            tail.find_first_not_of("0123456789-") != std::string::npos)
            continue;
        names.push_back(name);
    }
    int removed = 0;
    for (const std::string& name : names)
        if (sys().unlink((folder + "/" + name).c_str()) == 0) ++removed;
    return removed;
}

void replaceFile(const std::string& path, std::string_view bytes, unsigned mode) {
    const std::string temp = writeTemporary(path, bytes, mode);
    try {
        renameFile(temp, path);
    } catch (...) {
        sys().unlink(temp.c_str());
        throw;
    }
    // The new file is in place; make its name durable too.
    syncDirectory(folderOf(path));
}

void copyFile(const std::string& from, const std::string& to, bool keepTime) {
    std::string bytes = readWholeFile(from);
    std::time_t when = keepTime ? modifiedTime(from) : 0;
    replaceFile(to, bytes);
    if (keepTime) setModifiedTime(to, when);
}

// ---- File ------------------------------------------------------------------------

File::~File() {
    if (fd_ >= 0) sys().close(fd_);
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      appendOffset_(other.appendOffset_),
      unsynced_(std::exchange(other.unsynced_, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) sys().close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        appendOffset_ = other.appendOffset_;
        unsynced_ = std::exchange(other.unsynced_, false);
    }
    return *this;
}

File File::openReadWrite(const std::string& path) {
    File f;
    f.fd_ = checkedOpen(path, O_RDWR | O_CREAT, 0600);
    f.path_ = path;
    f.appendOffset_ = f.size();
    return f;
}

File File::openRead(const std::string& path) {
    File f;
    f.fd_ = checkedOpen(path, O_RDONLY, 0);
    f.path_ = path;
    f.appendOffset_ = f.size();
    return f;
}

File File::create(const std::string& path) {
    File f;
    f.fd_ = checkedOpen(path, O_RDWR | O_CREAT | O_TRUNC, 0600);
    f.path_ = path;
    f.appendOffset_ = 0;
    return f;
}

int64_t File::size() const {
    struct stat st;
    if (fd_ < 0) throw RuntimeError(ErrBadFileNameOrNumber);
    if (injected("stat") || sys().fstat(fd_, &st) != 0) fail(errno, "stat", path_);
    return st.st_size;
}

std::size_t File::readAt(int64_t offset, void* data, std::size_t n) const {
    if (fd_ < 0) throw RuntimeError(ErrBadFileNameOrNumber);
    char* out = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < n) {
        if (injected("read")) fail(errno, "read", path_);
        ssize_t r = sys().pread(fd_, out + done, n - done, offset + static_cast<int64_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            fail(errno, "read", path_);
        }
        if (r == 0) break;  // end of file
        done += static_cast<std::size_t>(r);
    }
    return done;
}

void File::writeAt(int64_t offset, const void* data, std::size_t n) {
    if (fd_ < 0) throw RuntimeError(ErrBadFileNameOrNumber);
    unsynced_ = true;
    writeAllAt(fd_, offset, static_cast<const char*>(data), n, path_);
    appendOffset_ = std::max(appendOffset_, offset + static_cast<int64_t>(n));
}

void File::append(std::string_view bytes) {
    writeAt(appendOffset_, bytes.data(), bytes.size());
}

void File::truncate(int64_t length) {
    if (fd_ < 0) throw RuntimeError(ErrBadFileNameOrNumber);
    unsynced_ = true;
    if (injected("truncate") || sys().ftruncate(fd_, length) != 0) fail(errno, "truncate", path_);
    appendOffset_ = length;
}

void File::sync() {
    if (fd_ < 0) throw RuntimeError(ErrBadFileNameOrNumber);
    checkedFsync(fd_, path_);
    unsynced_ = false;
}

void File::close() {
    if (fd_ < 0) return;
    if (unsynced_) {
        try {
            sync();
        } catch (...) {
            sys().close(std::exchange(fd_, -1));
            throw;
        }
    }
    int fd = std::exchange(fd_, -1);
    // The descriptor is gone after close() even when it reports an error, so
    // it is never closed twice; the error (a delayed write failure) is raised.
    if (injected("close")) {
        int err = errno;
        sys().close(fd);
        fail(err, "close", path_);
    }
    if (sys().close(fd) != 0) fail(errno, "close", path_);
}

}  // namespace mk::fs
