#include "gui/app/startup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QSysInfo>

#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/maintenance/sample_data.h"
#include "core/settings/settings_file.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"
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
    return env;
}

// ---- the sequence -------------------------------------------------------------

StartUp::StartUp(mk::Program& program, MainWindow& window, StartUpEnvironment environment)
    : program_(program), window_(window), env_(std::move(environment)) {}

void StartUp::progress(const char* text) {
    window_.progressWindow()->setProgress(QString::fromUtf8(text));
}

bool StartUp::login() {
    const std::string stored = mk::CompareKey(program_.settings.LoginPassword);
    mk::SetMessageLines({kLoginPrompt});
    for (;;) {
        const std::string answer = mk::InputBox(mk::JoinMessageLines(), kLoginTitle, "");
        mk::LastAnswer.text = answer;
        if (answer.empty()) {
            mk::MsgBox(kLoginCancelled, mk::Buttons::OK, mk::Icon::Critical);
            mk::WaitSeconds(0.2);
            return false;
        }
        if (mk::CompareKey(answer) == stored) return true;
        mk::SetMessageLines({std::string("入力したログインパスワード　") + answer + " は不一致です。  ",
                             kLoginPrompt,
                             "ヒントは　" + program_.settings.LoginHint + "  です。"});
    }
}

void StartUp::setFirstBlockCurrent() {
    const mk::GridTable& table = program_.browse;
    const int last = table.rows() - 1;
    const std::string& title = table.text(1, mk::bcol::Title);
    int blockLast = last;
    for (int r = 2; r <= last; ++r) {
        if (table.text(r, mk::bcol::Title) != title) {
            blockLast = r - 1;
            break;
        }
    }
    program_.editContext.setBlock(1, blockLast);
    program_.editContext.currentRow = 1;
    program_.editContext.currentCol = 1;
}

bool StartUp::run() {
    if (env_.anotherCopyRunning && env_.anotherCopyRunning()) {
        mk::MsgBox(kAlreadyRunning, mk::Buttons::OK, mk::Icon::None);
        return false;
    }

    BrowseWindow* browse = window_.browseWindow();
    ProgressWindow* progressWindow = window_.progressWindow();

    program_.computerName = env_.computerName ? env_.computerName() : std::string();
    program_.developerMode = program_.computerName == mk::kDeveloperComputerName;
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
    mk::DoEvents();

    progressWindow->move(mainPos + QPoint(px(2500), px(2500)));
    progressWindow->showNormal();

    progress(kProgressInit);
    mk::WaitSeconds(0.2);
    window_.Set_メインボタン();
    progressWindow->showAgain();
    window_.頁切換(1);

    progress(kProgressScreens);
    mk::WaitSeconds(0.2);
    mk::設定読込(program_);

    progress(kProgressConditions);
    if (program_.settings.LoginMode == mk::kLoginAsk && !login()) return false;

    progress(kProgressPassword);
    if (!mk::fs::exists(program_.store.contentPath()) && !mk::fs::exists(program_.store.titlePath())) {
        mk::サンプルデータ生成(program_);
        window_.highlightMenu(1);
        window_.showBrowseScreen();
    }

    progress(kProgressLoading);
    browse->reload();

    progressWindow->showAgain();
    mk::WaitSeconds(0.5);
    window_.highlightMenu(1);

    if (placeSeparateScreens) placeSeparateScreens();

    browse->grid()->setEditable(false);
    browse->startCurrentCellTimer();

    progressWindow->showAgain();
    if (program_.browse.rows() <= 1) {
        program_.browse.setRows(2);
        program_.browse.setRowHeight(-1, 550);
        program_.browse.setRowHeight(0, 300);
        mk::SetMessageLines({kNoData1, kNoData2});
        mk::MsgBox(mk::JoinMessageLines(), mk::Buttons::OK, mk::Icon::Information);
    }

    setFirstBlockCurrent();

    progress(kProgressChecked);
    progressWindow->showAgain();

    browse->setEditLock(true);
    program_.savedLockState = "ON";

    progress(kProgressDone);
    mk::WaitSeconds(1);

    progressWindow->hide();
    window_.showNormal();
    // The edit screen is a child shown maximised in the work area, so its
    // placement relative to the main window has nothing to move.
    return true;
}

}  // namespace mk::gui
