#include "gui/app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QVBoxLayout>

#include "core/app/cipher_service.h"
#include "core/app/program.h"
#include "core/base/messages.h"
#include "core/store/browse_load.h"
#include "core/store/colors.h"
#include "gui/app/grid_model.h"
#include "gui/app/grid_view.h"
#include "gui/app/mouse_help.h"
#include "gui/app/progress_window.h"
#include "gui/app/twips.h"
#include "gui/browse/browse_window.h"
#include "gui/edit/edit_screen.h"
#include "gui/generator/generator_screen.h"
#include "gui/maintenance/array_check_window.h"
#include "gui/maintenance/foreign_commands.h"
#include "gui/settings/settings_screen.h"
#include "gui/output/output_selection_screen.h"

// The icons live in the GUI library's resources; a static library needs them
// registered by hand.
static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace mk::gui {

namespace {

const QColor kBarBack(22, 48, 86);
const QColor kButtonBack(38, 78, 128);
const QColor kExitFlash(255, 255, 64);
const char* const kMenuIcons[3] = {":/icons/search.png", ":/icons/edit.png", ":/icons/database.png"};
const char* const kExitIcon = ":/icons/exit.png";

QColor white() { return toQColor(mk::palette::White); }
QColor lightCyan() { return toQColor(mk::palette::LightCyan); }
QColor paleYellow() { return toQColor(mk::kPaleYellow); }

void applyLook(QLabel* label, const CaptionLook& look) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, look.color);
    label->setPalette(pal);
    QFont font = label->font();
    font.setBold(look.bold);
    font.setPointSizeF(look.pointSize);
    label->setFont(font);
}

QLabel* iconLabel(QWidget* parent, const char* path, int sizePx, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(path).scaled(sizePx, sizePx, Qt::KeepAspectRatio,
                                          Qt::SmoothTransformation));
    label->setFixedSize(sizePx, sizePx);
    label->setMouseTracking(true);
    return label;
}

}  // namespace

MainWindow::MainWindow(mk::Program& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    registerResources();
    setObjectName("MainWindow");
    setWindowTitle(mk::kAppTitle);
    setWindowIcon(QIcon(kMenuIcons[0]));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buildBar();
    layout->addWidget(bar_);

    workArea_ = new QWidget(this);
    workArea_->setObjectName("WorkArea");
    workArea_->installEventFilter(this);
    layout->addWidget(workArea_, 1);

    mouseHelp_ = new QLabel(QString::fromUtf8(kMouseHelpHelp), this);
    mouseHelp_->setObjectName("MouseHelp");
    mouseHelp_->setFixedHeight(px(360));
    mouseHelp_->setContentsMargins(px(120), 0, px(120), 0);
    mouseHelp_->setFrameShape(QFrame::StyledPanel);
    mouseHelp_->setFrameShadow(QFrame::Sunken);
    mouseHelp_->setMouseTracking(true);
    mouseHelp_->installEventFilter(this);
    layout->addWidget(mouseHelp_);

    browse_ = new BrowseWindow(program_, *this, workArea_);
    edit_ = new EditScreen(program_, *this, workArea_);
    auto* settings = new SettingsScreen(program_, *this, workArea_);
    settings_ = settings;
    // The maintenance commands of the settings screen.
    settings->setImportAction([this, settings] {
        runImport(program_, *this, [settings](const QString& text) { settings->setStatusText(text); });
    });
    settings->setConversionAction([this] { runConversion(program_, *this); });
    settings->setCommand3Action([this] { runConversion(program_, *this); });
    settings->setArrayCheckAction([this] { showArrayCheck(program_, *this); });
    for (QWidget* screen : {static_cast<QWidget*>(browse_), static_cast<QWidget*>(edit_), settings_})
        screen->hide();
    // Both grids can hold an open in-place edit when the page changes.
    addCommitBeforeSwitch([this] { return browse_->commitOpenEdit(); });
    addCommitBeforeSwitch([this] { return edit_->commitOpenEdit(); });

    progress_ = new ProgressWindow(this);  // its own tool window; owned here

    // The password generator: a tool window of this one, opened from the
    // browse window, handing its entry over to the edit screen. Only a new
    // save fits a handed-over entry: it has no stored records to overwrite.
    generator_ = new GeneratorScreen(this);
    browse_->setGeneratorAction([this] { openGenerator(); });
    generator_->setHandOver([this](const std::string& title, const auto& rows) {
        // The hand-over replaces what the edit screen holds.
        if (!edit_->confirmLeave()) return false;
        頁切換(Page::Edit);
        edit_->setCommandEnabled(2, false);
        edit_->showHandedOverEntry(title, rows);
        return true;
    });
    wireOutputSelection();
    placeTwips(75, 90, 15000, 10100);
}

MainWindow::~MainWindow() {
    if (cipher_) mk::installCipherService(previousCipher_);
    delete progress_;
}

void MainWindow::setCipherControl(std::unique_ptr<mk::CipherService> control) {
    if (cipher_) mk::installCipherService(previousCipher_);
    cipher_ = std::move(control);
    if (cipher_) previousCipher_ = mk::installCipherService(cipher_.get());
}

void MainWindow::addCommitBeforeSwitch(std::function<bool()> commit) {
    if (commit) commitBeforeSwitch_.push_back(std::move(commit));
}

void MainWindow::commitOpenEdits() {
    for (const auto& commit : commitBeforeSwitch_) commit();
}

void MainWindow::buildBar() {
    bar_ = new QWidget(this);
    bar_->setObjectName("MenuBar");
    bar_->setAutoFillBackground(true);
    QPalette pal = bar_->palette();
    pal.setColor(QPalette::Window, kBarBack);
    bar_->setPalette(pal);
    bar_->setFixedHeight(px(855));
    bar_->setMouseTracking(true);

    auto makeBox = [this](const QString& name) {
        auto* box = new QFrame(bar_);
        box->setObjectName(name);
        box->setAutoFillBackground(true);
        QPalette p = box->palette();
        p.setColor(QPalette::Window, kButtonBack);
        box->setPalette(p);
        box->setFrameShape(QFrame::Panel);
        box->setFrameShadow(QFrame::Raised);
        box->setMouseTracking(true);
        box->setCursor(Qt::PointingHandCursor);
        box->installEventFilter(this);
        return box;
    };
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        boxes_[i] = makeBox("Picture1_" + n);
        icons_[i] = iconLabel(boxes_[i], kMenuIcons[i], px(480), "Image1_" + n);
        icons_[i]->installEventFilter(this);
        captions_[i] = new QLabel(QString::fromUtf8(kMenuCaptions[i]), boxes_[i]);
        captions_[i]->setObjectName("Label1_" + n);
        captions_[i]->setMouseTracking(true);
        captions_[i]->installEventFilter(this);
        captions_[i]->setAccessibleName(QString::fromUtf8(kMenuCaptions[i]));
        makeKeyCommand(captions_[i], [this, i] { 頁切換(i + 1); });
        setLook(i + 1, {white(), false, 11});
    }
    exitBox_ = makeBox("Picture2");
    exitIcon_ = iconLabel(exitBox_, kExitIcon, px(360), "Image2");
    exitIcon_->installEventFilter(this);
    exitCaption_ = new QLabel(QString::fromUtf8(kExitCaption), exitBox_);
    exitCaption_->setObjectName("Label2");
    exitCaption_->setMouseTracking(true);
    exitCaption_->installEventFilter(this);
    makeKeyCommand(exitCaption_, [this] { exitProcedure(); });
    applyLook(exitCaption_, {white(), false, 11});
    placeButtons();
}

void MainWindow::placeButtons() {
    for (int i = 0; i < 3; ++i) {
        boxes_[i]->setGeometry(rectTwips(360 + i * 2455, 120, 2355, 615));
        icons_[i]->move(px(80), px(80));
        captions_[i]->setGeometry(rectTwips(620, 150, 2355 - 620 - 45, 390));
    }
    // The exit button sits at the right end of the bar.
    exitBox_->setGeometry(rectTwips(13080, 120, 1500, 615));
    exitIcon_->move(px(80), px(180) - px(60));
    exitCaption_->setGeometry(rectTwips(560, 150, 1500 - 560 - 45, 390));
}

void MainWindow::Set_メインボタン() {
    mk::Trap("Set_メインボタン :  3781", [&] { placeButtons(); });
}

void MainWindow::setLook(int index, const CaptionLook& look) {
    looks_[index - 1] = look;
    applyLook(captions_[index - 1], look);
}

void MainWindow::placeTwips(int top, int left, int width, int height) {
    move(px(left), px(top));
    resize(px(width), px(height));
}

void MainWindow::addHiddenOnPageSwitch(QWidget* window) { hiddenOnSwitch_.append(window); }

void MainWindow::setMouseHelp(const QString& text) { mouseHelp_->setText(text); }

void MainWindow::fitScreens() {
    const QRect area = workArea_->rect();
    for (QObject* child : workArea_->children())
        if (auto* w = qobject_cast<QWidget*>(child)) w->setGeometry(area);
}

void MainWindow::showMaximised(QWidget* screen) {
    screen->setGeometry(workArea_->rect());
    screen->show();
    screen->raise();
}

void MainWindow::頁切換(int page) {
    mk::Trap("  頁切換 :  6549", [&] {
        if (page == static_cast<int>(Page::None)) return;
        commitOpenEdits();
        // Unsaved work on the edit screen is dropped only when the user
        // says so; staying keeps the edit page marked.
        if (!edit_->confirmLeave()) {
            if (edit_->isVisible()) highlightMenu(static_cast<int>(Page::Edit));
            return;
        }
        browse_->hide();
        progress_->hide();
        settings_->hide();
        for (const auto& w : hiddenOnSwitch_)
            if (w) w->hide();
        edit_->hide();

        for (int i = 1; i <= 3; ++i) {
            if (i == page)
                setLook(i, {paleYellow(), true, 12});
            else
                setLook(i, {white(), false, 11});
        }

        switch (static_cast<Page>(page)) {
        case Page::Browse:
            showMaximised(browse_);
            break;
        case Page::Edit:
            edit_->setCommandEnabled(2, true);
            edit_->setCommandEnabled(4, true);
            // No entry chosen yet: the block reaches to the table's last row.
            if (program_.editContext.lastRow() <= 0)
                program_.editContext.blockLast = std::to_string(program_.browse.rows() - 1);
            edit_->setGeometry(workArea_->rect());
            edit_->新規保存画面();
            edit_->raise();
            break;
        case Page::Settings:
            // The settings screen's initial state (panels shown, frames
            // hidden) is its own business once it exists.
            showMaximised(settings_);
            break;
        default:
            break;
        }
    });
}

void MainWindow::highlightMenu(int index) {
    for (int i = 1; i <= 3; ++i) {
        CaptionLook look = looks_[i - 1];
        look.bold = i == index;
        look.color = i == index ? paleYellow() : white();
        setLook(i, look);
    }
}

void MainWindow::showBrowseScreen() { showMaximised(browse_); }

void MainWindow::menuHover(int index) {
    for (int i = 1; i <= 3; ++i) {
        CaptionLook look = looks_[i - 1];
        if (look.color == paleYellow()) continue;
        look.bold = i == index;
        look.color = i == index ? lightCyan() : white();
        setLook(i, look);
    }
    setMouseHelp(QString::fromUtf8(kMenuHelp[index - 1]));
}

MenuItem MainWindow::menuItemOf(QObject* object) const {
    for (int i = 0; i < 3; ++i)
        if (object == boxes_[i] || object == icons_[i] || object == captions_[i])
            return static_cast<MenuItem>(i + 1);
    if (object == exitBox_ || object == exitIcon_ || object == exitCaption_) return MenuItem::Exit;
    return MenuItem::None;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == workArea_) {
        if (event->type() == QEvent::Resize) fitScreens();
        return false;
    }
    if (watched == mouseHelp_) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            setMouseHelp(QString::fromUtf8(kMouseHelpHelp));
        return false;
    }
    const MenuItem item = menuItemOf(watched);
    if (item == MenuItem::None) return QWidget::eventFilter(watched, event);
    const int index = static_cast<int>(item);  // the page of a menu button
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (item == MenuItem::Exit)
            setMouseHelp(QString::fromUtf8(kExitHelp));
        else
            menuHover(index);
        break;
    case QEvent::MouseButtonPress:
        if (item != MenuItem::Exit && watched == captions_[index - 1] &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            highlightMenu(index);
        break;
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        // A click: released over the control where it was pressed.
        if (me->button() != Qt::LeftButton || !widget->rect().contains(me->position().toPoint()))
            break;
        if (item == MenuItem::Exit)
            exitProcedure();
        else
            頁切換(index);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEverythingElse() {
    applyLook(exitCaption_, {kExitFlash, true, exitCaption_->font().pointSizeF()});
    mk::WaitSeconds(0.2);
    // Closing one window may close or delete others: take a fresh list each
    // time and guard the pointers.
    QList<QPointer<QWidget>> others;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this) others.append(w);
    for (const auto& w : others)
        if (w) w->close();
}

void MainWindow::exitProcedure() {
    if (exiting_) return;
    if (!edit_->confirmLeave()) return;
    exiting_ = true;
    closeEverythingElse();
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box ends the program through the same steps as the exit
    // button, asking first about unsaved work on the edit screen.
    if (!exiting_) {
        if (!edit_->confirmLeave()) {
            event->ignore();
            return;
        }
        exiting_ = true;
        closeEverythingElse();
        QCoreApplication::quit();
    }
    event->accept();
}

}  // namespace mk::gui

namespace mk::gui {

void MainWindow::hideEditScreen() {
    if (edit_) edit_->hide();
}

void MainWindow::openGenerator() {
    output_->hideScreen();
    generator_->open();
}

void MainWindow::placeSeparateScreens() {
    generator_->move(pos() + QPoint(px(7500), px(4000)));
    generator_->ResetGeneratorScreen();
}

void MainWindow::setBrowseCounter(const QString& caption) {
    if (browse_) browse_->counter()->setText(caption);
}

// The output selection screen: opened by "Excel出力・印刷" and by a press on
// the browse grid's check column; while it is open the check column shows
// and the edit lock is off.
void MainWindow::wireOutputSelection() {
    output_ = new OutputSelectionScreen(program_, *this, this);
    output_->setNoticeActions([this](const QString& text) { browse_->showNotice(text); },
                              [this] { browse_->hideNotice(); });
    output_->setCloseAction([this] {
        program_.browse.setColHidden(mk::bcol::Output, true);
        browse_->setEditLock(program_.savedLockState == "ON");
    });
    browse_->setOutputSelectionAction([this] {
        generator_->hide();
        showBrowseScreen();
        output_->showBeside(true);
        program_.savedLockState = browse_->editLock() ? "ON" : "OFF";
        browse_->setEditLock(false);
        program_.browse.setColHidden(mk::bcol::Output, false);
    });
    browse_->setCheckColumnAction([this] {
        output_->hide();
        output_->showBeside(false);
    });
}

void MainWindow::reloadBrowse() {
    if (browse_)
        browse_->reload();
    else
        program_.reload();
}

void MainWindow::reloadBrowseAfterWrites() {
    if (browse_)
        browse_->reload(BrowseWindow::OnlyWritten);
    else
        program_.reloadWritten();
}

}  // namespace mk::gui
