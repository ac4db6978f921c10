#include "gui/app/startup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QSysInfo>

#include "core/app/cipher_library.h"
#include "core/startup/login.h"
#include "core/app/program.h"
#include "core/startup/startup_logic.h"
#include "core/base/messages.h"
#include "core/settings/settings_file.h"
#include "gui/app/grid_view.h"
#include "gui/app/main_window.h"
#include "gui/app/progress_window.h"
#include "gui/app/twips.h"
#include "gui/browse/browse_window.h"

namespace mk::gui {

// ---- single instance ----------------------------------------------------------

SingleInstance::SingleInstance(const std::string& appFolder) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    // The folder goes in as a digest: it may hold characters that a file
    // name cannot.
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(appFolder), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    path_ = QDir::temp().filePath(QString("mirukasu-%1-%2.lock").arg(user, QString::fromLatin1(digest)));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    if (lock_ && lock_->isLocked()) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // Never stale by age: a running copy may run for days. A lock whose
    // process is gone is still taken over by tryLock.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}

std::string systemComputerName() {
    const QByteArray name = qgetenv("COMPUTERNAME");
    if (!name.isEmpty()) return name.toStdString();
    return QSysInfo::machineHostName().toStdString();
}

StartUpEnvironment StartUpEnvironment::system(const std::string& appFolder) {
    auto instance = std::make_shared<SingleInstance>(appFolder);
    StartUpEnvironment env;
    env.computerName = systemComputerName;
    env.anotherCopyRunning = [instance] { return !instance->acquire(); };
    env.cipherFolder = appFolder;
    return env;
}

// ---- the sequence -------------------------------------------------------------

StartUp::StartUp(mk::Program& program, MainWindow& window, StartUpEnvironment environment)
    : program_(program), window_(window), env_(std::move(environment)) {}

void StartUp::progress(const char* text) {
    window_.progressWindow()->setProgress(QString::fromUtf8(text));
}

bool StartUp::pause(double seconds) {
    // The event loop has not started yet, so its quit would be lost: the
    // sequence itself stops here instead.
    mk::WaitSeconds(seconds);
    return !window_.exiting();
}

bool StartUp::run() {
    if (env_.anotherCopyRunning && env_.anotherCopyRunning()) {
        mk::MsgBox(mk::kAlreadyRunning, mk::Buttons::OK, mk::Icon::None);
        return false;
    }
    // The browse window hosts the cipher control; the settings need it.
    if (!env_.cipherFolder.empty()) window_.setCipherControl(mk::createCipherControl(env_.cipherFolder));

    BrowseWindow* browse = window_.browseWindow();
    ProgressWindow* progressWindow = window_.progressWindow();

    mk::setComputerName(program_, env_.computerName ? env_.computerName() : std::string());
    window_.placeTwips(75, 90, 15000, 10100);
    if (program_.developerMode) {
        window_.placeTwips(2500, 33000, 15000, 10100);
        browse->setDeveloperMode(true);
        // The edit screen's and the settings screen's developer controls
        // follow program.developerMode when those screens are built.
    }

    program_.dateTimeFormat = "yyyy/mm/dd hh:mm:ss";

    const QPoint mainPos = window_.pos();
    window_.showMinimized();
    if (!pause(0)) return false;

    progressWindow->move(mainPos + QPoint(px(2500), px(2500)));
    progressWindow->showNormal();

    progress(kProgressInit);
    if (!pause(0.2)) return false;
    window_.Set_メインボタン();
    progressWindow->showAgain();
    window_.頁切換(1);

    progress(kProgressScreens);
    if (!pause(0.2)) return false;
    mk::設定読込(program_);

    progress(kProgressConditions);
    if (!mk::ログイン(program_.settings) || window_.exiting()) return false;

    progress(kProgressPassword);
    if (mk::makeSampleDataOnFirstStart(program_)) {
        window_.highlightMenu(1);
        window_.showBrowseScreen();
    }

    progress(kProgressLoading);
    browse->reload();
    if (window_.exiting()) return false;

    progressWindow->showAgain();
    if (!pause(0.5)) return false;
    window_.highlightMenu(1);

    window_.placeSeparateScreens();
    if (placeSeparateScreens) placeSeparateScreens();

    browse->grid()->setEditable(false);
    browse->startCurrentCellTimer();

    progressWindow->showAgain();
    mk::fillEmptyBrowseTable(program_);
    mk::setFirstBlockCurrent(program_);

    progress(kProgressChecked);
    progressWindow->showAgain();

    browse->setEditLock(true);
    program_.savedLockState = "ON";

    progress(kProgressDone);
    if (!pause(1)) return false;

    progressWindow->hide();
    window_.showNormal();
    // The edit screen is a child shown maximised in the work area, so its
    // placement relative to the main window has nothing to move.
    return true;
}

}  // namespace mk::gui
