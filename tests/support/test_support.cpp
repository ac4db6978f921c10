#include "tests/support/test_support.h"

#include "core/base/errors.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace mk::test {

TempFolder::TempFolder(bool inMemory) {
    std::string templ = (inMemory && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                        std::string("/mirukasu-test-XXXXXX");
    const char* made = mkdtemp(templ.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(made) + "/";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

DesktopPrograms::DesktopPrograms(const std::vector<std::string>& mimeTypes) {
    const std::string root = folder_.path();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
        const char* value = std::getenv(name);
        saved_.push_back({name, value ? value : std::string(1, '\0')});
        const std::string dir = root + name;
        std::filesystem::create_directories(dir + "/applications");
        setenv(name, dir.c_str(), 1);
    }
    if (mimeTypes.empty()) return;
    std::string types;
    for (const std::string& t : mimeTypes) types += t + ";";
    writeFile(root + "XDG_DATA_DIRS/applications/viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\nMimeType=" + types +
                  "\n");
}

DesktopPrograms::~DesktopPrograms() {
    for (const auto& [name, value] : saved_) {
        if (value == std::string(1, '\0'))
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

int64_t fileSize(const std::string& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : int64_t(size);
}

int16_t int16At(const std::string& bytes, std::size_t offset) {
    return int16_t(uint16_t(uint8_t(bytes.at(offset))) |
                   uint16_t(uint16_t(uint8_t(bytes.at(offset + 1))) << 8));
}

std::string cp932Bytes(const std::string& text) {
    static std::map<std::string, std::string> cache;
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii) return text;
    auto found = cache.find(text);
    if (found != cache.end()) return found->second;
    std::string hex;
    for (unsigned char c : text) {
        char buf[3];
        std::snprintf(buf, sizeof buf, "%02x", c);
        hex += buf;
    }
    return cache[text] = runCommand("python3 -c \"import sys; sys.stdout.buffer.write(bytes.fromhex('" +
                                    hex + "').decode('utf-8').encode('cp932'))\"");
}

namespace {

std::string field(const std::string& text, std::size_t width) {
    std::string bytes = cp932Bytes(text);
    bytes.resize(width, ' ');
    return bytes;
}

std::string int16le(int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }

std::string rstrip(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}


}  // namespace

PairRow contentRecordIn(const std::string& file, int n) {
    PairRow row;
    row.record = n;
    if (n < 1 || std::size_t(n) * 146 > file.size()) return row;
    const std::string b = file.substr(std::size_t(n - 1) * 146, 146);
    row.output = rstrip(b.substr(0, 2));
    row.item = rstrip(b.substr(2, 50));
    row.content = rstrip(b.substr(52, 90));
    row.parent = int16At(b, 142);
    row.self = int16At(b, 144);
    return row;
}

std::string titleRecordBytes(const std::string& title, const std::vector<int>& slots, int self,
                             int status) {
    std::string bytes = field(title, 50);
    for (std::size_t i = 0; i < 50; ++i) bytes += int16le(i < slots.size() ? slots[i] : 0);
    return bytes + int16le(self) + int16le(status);
}

std::string contentRecordBytes(const std::string& output, const std::string& item,
                               const std::string& content, int parent, int self) {
    return field(output, 2) + field(item, 50) + field(content, 90) + int16le(parent) + int16le(self);
}

std::vector<PairEntry> readPair(const std::string& titlePath, const std::string& contentPath) {
    const std::string titles = readFile(titlePath);
    const std::string contents = readFile(contentPath);
    std::vector<PairEntry> entries;
    for (std::size_t n = 1; n * 154 <= titles.size(); ++n) {
        const std::string b = titles.substr((n - 1) * 154, 154);
        PairEntry e;
        e.titleRec = int(n);
        e.allZero = b.find_first_not_of('\0') == std::string::npos;
        e.title = rstrip(b.substr(0, 50));
        for (int i = 0; i < 50; ++i) {
            e.children.push_back(int16At(b, 50 + 2 * i));
            if (e.children.back() > 0) e.rows.push_back(contentRecordIn(contents, e.children.back()));
        }
        e.self = int16At(b, 150);
        e.status = int16At(b, 152);
        entries.push_back(e);
    }
    return entries;
}

PairRow readContentRecord(const std::string& contentPath, int n) {
    return contentRecordIn(readFile(contentPath), n);
}

std::string runCommand(const std::string& command, int* exitCode) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("popen failed");
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    int status = pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string hexOf(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

int errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace mk::test
