#include "core/settings/settings_file.h"

#include <array>
#include <string>
#include <string_view>

#include "core/app/cipher_wrappers.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "codec/cp932.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kInitialLocation = "8568 :  設定初期値書込()";
const char* const kWriteLocation = "7366 :   設定書込";
const char* const kReadLocation = "設定読込 :  2108  ";

const char* const kBackupFolderName = "パスワード・備忘録バックアップ";
const char* const kInitialPassword = "5830";
const char* const kInitialHint = "いつもの5830";

// Enciphers the password for line 2 and makes sure it comes back as it was.
// The cipher gives an empty text for a password it cannot take (too long, or
// a failure inside the library), and turns characters that Shift-JIS lacks
// into "?"; storing either would leave a login password nobody can type, so
// the write stops with an error instead and the file keeps its old content.
std::string encipheredPassword(const std::string& password) {
    if (password.empty()) return {};
    std::string cipher = 暗号化(password);
    if (cipher.empty() || 復号化(cipher) != password)
        throw RuntimeError(ErrIllegalCall,
                           "ログインパスワードを暗号化して保存できませんでした。");
    return cipher;
}

// Writes the four lines as a whole. A line break inside a value would shift
// every later line of the file, so none is written.
void writeLines(const Program& program, const Settings& s) {
    std::string text;
    for (const std::string& line :
         {StripLineBreaks(s.BackupFolder), encipheredPassword(s.LoginPassword),
          StripLineBreaks(s.LoginHint), StripLineBreaks(s.LoginMode)}) {
        text += cp932::encode(line);
        text += "\r\n";
    }
    fs::replaceFile(settingsPath(program), text);
}

// The first four lines of the file. A line ends at CR LF, LF or a lone CR;
// the last line may lack its end. Fewer than four lines is an input past the
// end of the file.
std::array<std::string, 4> readFourLines(const std::string& text) {
    std::array<std::string, 4> lines;
    std::size_t pos = 0;
    for (std::string& line : lines) {
        if (pos >= text.size()) throw RuntimeError(ErrInputPastEnd);
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            line = text.substr(pos);
            pos = text.size();
            continue;
        }
        line = text.substr(pos, end - pos);
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

}  // namespace

std::string settingsPath(const Program& program) {
    return program.dataFolder() + kSettingsFileName;
}

std::string defaultBackupFolder(const Program& program) {
    return program.dataFolder() + kBackupFolderName + "/";
}

void showSettingsOnScreen(Program& program) {
    SettingsScreenState& screen = program.settingsScreen;
    screen.passwordBox = program.settings.LoginPassword;
    screen.hintBox = program.settings.LoginHint;
    if (program.settings.LoginMode == kLoginAsk) {
        screen.option1 = true;
        screen.option2 = false;
    } else if (program.settings.LoginMode == kLoginSkip) {
        screen.option1 = false;
        screen.option2 = true;
    }
}

std::string loginModeFromScreen(const SettingsScreenState& screen) {
    return screen.option1 ? kLoginAsk : kLoginSkip;
}

void 設定初期値書込(Program& program) {
    Trap(kInitialLocation, [&] {
        Settings& s = program.settings;
        s.BackupFolder = defaultBackupFolder(program);
        MakeFolderPath(s.BackupFolder);
        s.LoginPassword = kInitialPassword;
        s.LoginHint = kInitialHint;
        s.LoginMode = kLoginSkip;
        showSettingsOnScreen(program);
        writeLines(program, s);
    });
}

bool writeSettings(Program& program) {
    return Trap(kWriteLocation, [&] {
        std::string dataFolder = program.dataFolder();
        MakeFolderPath(dataFolder);
        Settings next = program.settings;
        if (fs::exists(settingsPath(program))) {
            // The backup folder is not on the screen: it keeps its value in
            // memory (the folder command sets it before it saves).
            const SettingsScreenState& screen = program.settingsScreen;
            next.LoginPassword = screen.passwordBox;
            next.LoginHint = screen.hintBox;
            next.LoginMode = loginModeFromScreen(screen);
        } else {
            // The file went missing: start again from the initial values,
            // not from whatever the screen holds.
            設定初期値書込(program);
            next = program.settings;
        }
        // Memory takes the new values only once they are on disk.
        writeLines(program, next);
        program.settings = next;
    });
}

void 設定書込(Program& program) { writeSettings(program); }

bool readSettings(Program& program) {
    const bool read = Trap(kReadLocation, [&] {
        // A missing file is made anew with the initial values.
        if (!fs::exists(settingsPath(program))) 設定書込(program);
        std::array<std::string, 4> lines =
            readFourLines(cp932::decode(fs::readWholeFile(settingsPath(program))));
        std::string password = 復号化(lines[1]);
        // Assigned only once all four lines are in, so that a short file
        // changes nothing.
        Settings& s = program.settings;
        s.BackupFolder = lines[0];
        s.LoginPassword = password;
        s.LoginHint = lines[2];
        s.LoginMode = lines[3];
        showSettingsOnScreen(program);
    });
    // An empty line 1, a relative path, or a file too short to read at all
    // leaves no folder that names one place: a backup would go to the root
    // of the file system or to wherever the program was started. The
    // default folder in the data folder is used instead.
    std::string& folder = program.settings.BackupFolder;
    if (folder.empty() || folder.front() != '/') folder = defaultBackupFolder(program);
    return read;
}

void 設定読込(Program& program) { readSettings(program); }

}  // namespace mk
