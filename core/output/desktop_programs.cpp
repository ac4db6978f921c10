#include "core/output/desktop_programs.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "core/store/file_layer.h"

namespace mk {

namespace {

std::string env(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string readText(const std::string& path) {
    try {
        return fs::exists(path) ? fs::readWholeFile(path) : std::string();
    } catch (...) {
        return {};  // an unreadable file counts as none
    }
}

// The key=value lines of one [group] of a desktop entry or mimeapps.list.
std::vector<std::pair<std::string, std::string>> group(const std::string& text,
                                                       const std::string& name) {
    std::vector<std::pair<std::string, std::string>> lines;
    bool inside = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + name + "]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inside || line.empty() || line[0] == '#' || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        while (!value.empty() && value.front() == ' ') value.erase(0, 1);
        lines.push_back({key, value});
    }
    return lines;
}

std::string value(const std::vector<std::pair<std::string, std::string>>& lines,
                  const std::string& key) {
    for (const auto& [k, v] : lines)
        if (k == key) return v;
    return {};
}

bool programExists(std::string program) {
    if (program.size() >= 2 && (program[0] == '"' || program[0] == '\''))
        program = program.substr(1, program.find(program[0], 1) - 1);
    if (program.empty()) return false;
    if (program[0] == '/') return fs::exists(program);
    for (const std::string& dir : split(env("PATH", "/usr/bin:/bin"), ':'))
        if (fs::exists(dir + "/" + program)) return true;
    return false;
}

struct Desktop {
    std::vector<std::string> applicationDirs;  // in order of precedence
    std::vector<std::string> mimeappsLists;

    Desktop() {
        const std::string home = env("HOME", "/");
        std::vector<std::string> configDirs{env("XDG_CONFIG_HOME", home + "/.config")};
        for (const std::string& d : split(env("XDG_CONFIG_DIRS", "/etc/xdg"), ':'))
            configDirs.push_back(d);
        std::vector<std::string> dataDirs{env("XDG_DATA_HOME", home + "/.local/share")};
        for (const std::string& d : split(env("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
            dataDirs.push_back(d);
        for (const std::string& d : configDirs) mimeappsLists.push_back(d + "/mimeapps.list");
        for (const std::string& d : dataDirs) {
            applicationDirs.push_back(d + "/applications/");
            mimeappsLists.push_back(d + "/applications/mimeapps.list");
            mimeappsLists.push_back(d + "/applications/defaults.list");
        }
    }

    // The entry of `id` that takes precedence: hidden entries and those
    // whose program is missing open nothing.
    bool usable(const std::string& id) const {
        for (const std::string& dir : applicationDirs) {
            const std::string text = readText(dir + id);
            if (text.empty()) continue;
            const auto entry = group(text, "Desktop Entry");
            if (value(entry, "Hidden") == "true") return false;
            const std::string tryExec = value(entry, "TryExec");
            const std::vector<std::string> exec = split(value(entry, "Exec"), ' ');
            return programExists(!tryExec.empty() ? tryExec : exec.empty() ? "" : exec[0]);
        }
        return false;
    }
};

}  // namespace

std::string documentMimeType(const std::string& path) {
    auto endsWith = [&](const std::string& tail) {
        return path.size() >= tail.size() &&
               path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith(".xls")) return "application/vnd.ms-excel";
    if (endsWith(".pdf")) return "application/pdf";
    return {};
}

bool desktopHasProgramFor(const std::string& path) {
    const std::string type = documentMimeType(path);
    if (type.empty()) return true;
    const Desktop desktop;
    std::vector<std::string> candidates;
    std::set<std::string> removed;
    for (const std::string& list : desktop.mimeappsLists) {
        const std::string text = readText(list);
        for (const char* name : {"Default Applications", "Added Associations"})
            for (const std::string& id : split(value(group(text, name), type), ';'))
                candidates.push_back(id);
        for (const std::string& id : split(value(group(text, "Removed Associations"), type), ';'))
            removed.insert(id);
    }
    for (const std::string& dir : desktop.applicationDirs) {
        std::vector<std::string> names;
        try {
            if (fs::isDirectory(dir)) names = fs::listDirectory(dir);
        } catch (...) {
        }
        for (const std::string& name : names) {
            if (name.size() < 9 || name.compare(name.size() - 8, 8, ".desktop") != 0) continue;
            if (removed.count(name)) continue;
            const auto entry = group(readText(dir + name), "Desktop Entry");
            for (const std::string& t : split(value(entry, "MimeType"), ';'))
                if (t == type) candidates.push_back(name);
        }
    }
    for (const std::string& id : candidates)
        if (desktop.usable(id)) return true;
    return false;
}

}  // namespace mk
