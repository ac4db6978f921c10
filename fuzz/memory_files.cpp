#include "fuzz/memory_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "core/store/file_layer.h"

namespace mk::fuzz {

namespace {

struct OpenFile {
    std::shared_ptr<std::string> data;
    bool writable = false;
};

std::map<std::string, std::shared_ptr<std::string>> g_files;
std::set<std::string> g_folders;
std::vector<OpenFile> g_open;  // by descriptor; a null data is a free slot
constexpr int kFirstFd = 1000;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A folder's path may come with a trailing "/".
std::string clean(const char* text) {
    std::string path = text;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

int failWith(int err) {
    errno = err;
    return -1;
}

OpenFile* lookup(int fd) {
    const std::size_t i = std::size_t(fd - kFirstFd);
    if (fd < kFirstFd || i >= g_open.size() || !g_open[i].data) return nullptr;
    return &g_open[i];
}

int open(const char* pathText, int flags, mode_t) {
    const std::string path = clean(pathText);
    std::shared_ptr<std::string> data;
    if (g_folders.count(path)) {
        if ((flags & O_ACCMODE) != O_RDONLY) return failWith(EISDIR);
        data = std::make_shared<std::string>();  // a folder opened to be synced
    } else {
        auto it = g_files.find(path);
        if (it != g_files.end()) {
            if ((flags & O_CREAT) && (flags & O_EXCL)) return failWith(EEXIST);
            data = it->second;
            if (flags & O_TRUNC) data->clear();
        } else {
            if (!(flags & O_CREAT)) return failWith(ENOENT);
            if (!g_folders.count(folderOf(path))) return failWith(ENOENT);
            data = std::make_shared<std::string>();
            g_files[path] = data;
        }
    }
    auto slot = std::find_if(g_open.begin(), g_open.end(), [](const OpenFile& f) { return !f.data; });
    if (slot == g_open.end()) slot = g_open.insert(g_open.end(), OpenFile{});
    slot->data = std::move(data);
    slot->writable = (flags & O_ACCMODE) != O_RDONLY;
    return kFirstFd + int(slot - g_open.begin());
}

int close(int fd) {
    OpenFile* file = lookup(fd);
    if (!file) return failWith(EBADF);
    file->data.reset();
    return 0;
}

ssize_t pread(int fd, void* out, std::size_t n, off_t offset) {
    OpenFile* file = lookup(fd);
    if (!file) return failWith(EBADF);
    if (offset < 0) return failWith(EINVAL);
    const std::string& data = *file->data;
    if (std::size_t(offset) >= data.size()) return 0;
    n = std::min(n, data.size() - std::size_t(offset));
    std::memcpy(out, data.data() + offset, n);
    return ssize_t(n);
}

ssize_t pwrite(int fd, const void* in, std::size_t n, off_t offset) {
    OpenFile* file = lookup(fd);
    if (!file) return failWith(EBADF);
    if (!file->writable) return failWith(EBADF);
    if (offset < 0) return failWith(EINVAL);
    std::string& data = *file->data;
    if (data.size() < std::size_t(offset) + n) data.resize(std::size_t(offset) + n, '\0');
    std::memcpy(data.data() + offset, in, n);
    return ssize_t(n);
}

void fill(struct stat* st, bool folder, std::size_t size) {
    std::memset(st, 0, sizeof *st);
    st->st_mode = folder ? (S_IFDIR | 0700) : (S_IFREG | 0600);
    st->st_size = off_t(size);
}

int fstat(int fd, struct stat* st) {
    OpenFile* file = lookup(fd);
    if (!file) return failWith(EBADF);
    fill(st, false, file->data->size());
    return 0;
}

int stat(const char* pathText, struct stat* st) {
    const std::string path = clean(pathText);
    if (g_folders.count(path)) {
        fill(st, true, 0);
        return 0;
    }
    auto it = g_files.find(path);
    if (it == g_files.end()) return failWith(ENOENT);
    fill(st, false, it->second->size());
    return 0;
}

int fsync(int fd) { return lookup(fd) ? 0 : failWith(EBADF); }

int ftruncate(int fd, off_t length) {
    OpenFile* file = lookup(fd);
    if (!file || !file->writable) return failWith(EBADF);
    if (length < 0) return failWith(EINVAL);
    file->data->resize(std::size_t(length), '\0');
    return 0;
}

int fchmod(int fd, mode_t) { return lookup(fd) ? 0 : failWith(EBADF); }

int unlink(const char* path) { return g_files.erase(clean(path)) ? 0 : failWith(ENOENT); }

int rename(const char* from, const char* to) {
    auto it = g_files.find(clean(from));
    if (it == g_files.end()) return failWith(ENOENT);
    const std::string target = clean(to);
    if (!g_folders.count(folderOf(target))) return failWith(ENOENT);
    std::shared_ptr<std::string> data = it->second;
    g_files.erase(it);
    g_files[target] = std::move(data);
    return 0;
}

int mkdir(const char* pathText, mode_t) {
    const std::string path = clean(pathText);
    if (g_folders.count(path) || g_files.count(path)) return failWith(EEXIST);
    if (!g_folders.count(folderOf(path))) return failWith(ENOENT);
    g_folders.insert(path);
    return 0;
}

int utimensat(int, const char* pathText, const struct timespec*, int) {
    const std::string path = clean(pathText);
    return g_files.count(path) || g_folders.count(path) ? 0 : failWith(ENOENT);
}

int listNames(const char* dirText, std::vector<std::string>* names) {
    const std::string dir = clean(dirText);
    if (!g_folders.count(dir)) return failWith(ENOENT);
    const std::string prefix = dir == "/" ? dir : dir + "/";
    auto take = [&](const std::string& path) {
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.find('/', prefix.size()) == std::string::npos)
            names->push_back(path.substr(prefix.size()));
    };
    for (const auto& file : g_files) take(file.first);
    for (const std::string& folder : g_folders) take(folder);
    return 0;
}

const fs::SystemCalls kMemory = {open,   close,     pread,  pwrite, fstat, stat,      fsync,
                                 ftruncate, fchmod, unlink, rename, mkdir, utimensat, listNames,
                                 nullptr};

}  // namespace

void useMemoryFiles() {
    static const bool installed = [] {
        g_folders.insert("/");
        fs::useSystemCalls(&kMemory);
        return true;
    }();
    (void)installed;
}

void putMemoryFile(const std::string& path, std::string_view bytes) {
    // A file put on every run keeps its buffer: no descriptor is open
    // between runs, so nothing else sees the old bytes change.
    std::shared_ptr<std::string>& data = g_files[clean(path.c_str())];
    if (data)
        data->assign(bytes);
    else
        data = std::make_shared<std::string>(bytes);
}

void makeMemoryFolder(const std::string& folderPath) {
    const std::string path = clean(folderPath.c_str());
    std::string folder;
    for (std::size_t at = 1; at != std::string::npos && at <= path.size();) {
        const std::size_t slash = path.find('/', at);
        folder = path.substr(0, slash);
        g_folders.insert(folder);
        at = slash == std::string::npos ? slash : slash + 1;
    }
}

}  // namespace mk::fuzz
