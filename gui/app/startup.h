#pragma once
// The start-up sequence: single instance, the cipher control, window
// placement, settings, login, first-start sample data, load, and hand-over to
// the main window. What needs no window is decided in core/startup (login.h,
// startup_logic.h); this side moves the windows.
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QLockFile;

namespace mk {
class Program;
}

namespace mk::gui {

class MainWindow;

// Progress texts; each ends in one half-width space.
inline const char* const kProgressInit = "データの初期設定およびデータ読込を実施しています。 ";
inline const char* const kProgressScreens = "画面設定を初期化しています。 ";
inline const char* const kProgressConditions = "条件画面を読み込んでいます。 ";
inline const char* const kProgressPassword = "パスワード検査を完了しました。 ";
inline const char* const kProgressLoading = "データを読み込んでいます。 ";
inline const char* const kProgressChecked = "データの検査が完了しました。 ";
inline const char* const kProgressDone = "全ての設定が完了しました。メインメニューを起動します。 ";

// One running copy per user and program folder: a lock file in the temporary
// folder, held for the life of this object. A lock left by a crashed copy is
// taken over.
class SingleInstance {
public:
    explicit SingleInstance(const std::string& appFolder);
    ~SingleInstance();
    // False when another copy holds the lock.
    bool acquire();
    QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

// What start-up asks of the machine; tests replace it.
struct StartUpEnvironment {
    std::function<std::string()> computerName;
    // True when another copy of the program is already running.
    std::function<bool()> anotherCopyRunning;
    // The folder that holds the cipher library; empty: keep the cipher
    // control that is already installed.
    std::string cipherFolder;

    // COMPUTERNAME, or the host name when it is not set; the lock file; the
    // cipher library beside the program.
    static StartUpEnvironment system(const std::string& appFolder);
};

// The computer name as the machine gives it.
std::string systemComputerName();

class StartUp {
public:
    StartUp(mk::Program& program, MainWindow& window, StartUpEnvironment environment);

    // Runs the whole sequence. False when the program must end (second copy,
    // login cancelled, the exit button pressed while it ran).
    bool run();

    // Runs after the main window has placed its separate screens and set up
    // the generator's fields (MainWindow::placeSeparateScreens).
    std::function<void()> placeSeparateScreens;

private:
    void progress(const char* text);
    // Waits while the screens go on working; false when the user has ended
    // the program meanwhile.
    bool pause(double seconds);

    mk::Program& program_;
    MainWindow& window_;
    StartUpEnvironment env_;
};

}  // namespace mk::gui
