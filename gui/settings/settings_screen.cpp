#include "gui/settings/settings_screen.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QUrl>

#include "core/app/program.h"
#include "core/base/messages.h"
#include "core/maintenance/sample_data.h"
#include "core/settings/backup.h"
#include "core/settings/restore.h"
#include "core/settings/settings_commands.h"
#include "core/settings/settings_file.h"
#include "gui/app/folder_chooser.h"
#include "gui/app/mouse_help.h"
#include "gui/app/shell.h"
#include "gui/app/twips.h"
#include "gui/output/desktop_open.h"

namespace mk::gui {

namespace {

const char* const kCaptions[10] = {
    "ピコットPW読込",     "データバックアップ",   "バックアップ先指定",   "バックアップ読込",
    "ログイン方法切換",   "サンプルデータの削除", "サンプルデータの生成", "ピコットPW読込",
    "パスワード管理読込", "自動バックアップ設定"};
const char* const kHelp[10] = {
    "",
    "アプリのデータをバックアップします。バックアップ先は　「バックアップ先指定」で変更出来ます。",
    "アプリのデータのバックアップ先を変更します。",
    "バックアップしたデータを読み込みます。",
    "アプリ起動時のログインパスワードの入力有無を選択します。",
    "デバッグ用　サンプルデータを削除します。",
    "デバッグ用　サンプルデータを生成します。",
    "ピコットPWのデータをインポートします。",
    "旧　パスワード管理のデータをインポートします。",
    "未設定"};
const QStyle::StandardPixmap kIcons[10] = {
    QStyle::SP_DialogOpenButton,      QStyle::SP_DialogSaveButton,  QStyle::SP_DirOpenIcon,
    QStyle::SP_BrowserReload,         QStyle::SP_DialogApplyButton, QStyle::SP_TrashIcon,
    QStyle::SP_FileDialogNewFolder,   QStyle::SP_DialogOpenButton,  QStyle::SP_ArrowRight,
    QStyle::SP_FileDialogDetailedView};
const char* const kLabel5[4] = {"", "このアプリを起動したとき　ログインパスワードを",
                                "ログインパスワード(暗号化されます。)",
                                "ログインパスワードのヒント"};
const char* const kLabel5Help[4] = {
    "", "このアプリを起動したとき ログインパスワードの入力有無を切りかえます。",
    "パスワードを入力してください。",
    "パスワードを忘れた場合　ヒントになる言葉を入力してください。"};
const char* const kText1Help[3] = {"", "パスワードを入力してください。右のボタンで明示出来ます。",
                                   "パスワードを忘れた場合のヒントを表示してください。最初のパスワ"
                                   "ード入力でアクセス出来なかった場合に表示されます。"};
const char* const kLabel2Help = "バックアップファイルの収納先を表示しています.";
const char* const kList1Help = "リストから読み込むバックアップファイルを選択してください。";
const char* const kManualHelp = "このアプリの取扱説明書を起動します。Adobe Acrobat が必要です。";
// The desktop gives no result code; this one means "no program for it".
constexpr int kNoAssociation = 31;

QString qs(const std::string& text) { return QString::fromStdString(text); }

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(rectTwips(left, top, width, height));
}

// A question whose Yes destroys data defaults to No.
bool ask(std::initializer_list<std::string> lines, Buttons buttons = Buttons::YesNo) {
    SetMessageLines(lines);
    return MsgBox(JoinMessageLines(), buttons, Icon::Question) == AnswerYes;
}

}  // namespace

struct SettingsScreen::Private : mk::BackupView {
    SettingsScreen* q;
    mk::Program& program;
    Shell& shell;

    QFrame* picture1[10] = {};
    QLabel* label1[10] = {};
    QLineEdit* comment = nullptr;  // コメント表示
    QGroupBox* frame4 = nullptr;
    QLabel* label5[4] = {};
    QRadioButton* option1[3] = {};
    QLineEdit* text1[3] = {};
    QPushButton* command1 = nullptr;
    QPushButton* command2 = nullptr;
    QPushButton* command3 = nullptr;
    QPushButton* command4 = nullptr;
    QPushButton* command5 = nullptr;
    QPushButton* arrayCheck = nullptr;
    QGroupBox* frame1 = nullptr;
    QListWidget* list1 = nullptr;
    QLabel* label2 = nullptr;
    QGroupBox* frame2 = nullptr;
    QLabel* label3 = nullptr;
    QGroupBox* frame3 = nullptr;
    QLabel* label4 = nullptr;
    QPushButton* picture6 = nullptr;
    QLabel* image1 = nullptr;

    MouseHelp* help = nullptr;
    std::function<void()> importAction, conversionAction, command3Action, arrayCheckAction;
    bool refreshing = false;
    bool debugFrameClosed = false;

    Private(SettingsScreen* screen, mk::Program& p, Shell& s) : q(screen), program(p), shell(s) {}

    // ---- BackupView ---------------------------------------------------------
    void setStatus(const std::string& text) override { comment->setText(qs(text)); }
    void setStatusVisible(bool visible) override { comment->setVisible(visible); }
    void setTargetLabel(const std::string& path) override { label3->setText(qs(path)); }

    void build();
    QGroupBox* group(const char* name, const char* caption) {
        auto* box = new QGroupBox(QString::fromUtf8(caption), q);
        box->setObjectName(name);
        box->setMouseTracking(true);
        box->installEventFilter(q);
        return box;
    }
    void makeCommand(int i, QWidget* parent, int left, int top);
    QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(name);
        b->installEventFilter(q);
        return b;
    }
    void addHelp();
    int commandOf(QObject* object) const {
        for (int i = 0; i < 10; ++i)
            if (object == picture1[i] || object == label1[i]) return i;
        return -1;
    }
    bool runCommand(int n);  // false: the command leaves its panel shown
    void chooseBackupFolder();
    bool fillList();
    void restore(QListWidgetItem* item);
    void openManual();
    // A command that replaced the data ends where its message says it goes:
    // the search and browse screen, with its menu button marked.
    void endOnBrowseScreen() { shell.頁切換(Page::Browse); }
    void closeLoginPanel() {
        WaitSeconds(0.2);
        frame4->hide();
        image1->show();
    }
};

void SettingsScreen::Private::makeCommand(int i, QWidget* parent, int left, int top) {
    auto* box = new QFrame(parent);
    box->setObjectName(QString("Picture1_%1").arg(i));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Raised);
    box->setCursor(Qt::PointingHandCursor);
    box->installEventFilter(q);
    place(box, left, top, 3300, 660);
    auto* icon = new QLabel(box);
    icon->setPixmap(q->style()->standardIcon(kIcons[i]).pixmap(px(420), px(420)));
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    place(icon, 90, 105, 450, 450);
    auto* caption = new QLabel(QString::fromUtf8(kCaptions[i]), box);
    caption->setObjectName(QString("Label1_%1").arg(i));
    caption->installEventFilter(q);
    makeKeyCommand(caption, [this, i] { q->F3切換(i); });
    place(caption, 660, 90, 2550, 480);
    picture1[i] = box;
    label1[i] = caption;
}

void SettingsScreen::Private::build() {
    q->setObjectName("設定画面");
    q->setMouseTracking(true);
    q->setAutoFillBackground(true);

    for (int i = 0; i <= 5; ++i) makeCommand(i, q, 480, 360 + i * 840);

    command3 = button(q, "Command3", QString::fromUtf8("旧データ変換"));
    place(command3, 480, 5500, 3300, 480);
    picture6 = button(q, "Picture6", QString::fromUtf8("ユーザーマニュアル"));
    picture6->setIcon(q->style()->standardIcon(QStyle::SP_DialogHelpButton));
    picture6->setIconSize(QSize(px(420), px(420)));
    place(picture6, 480, 6180, 3300, 600);

    image1 = new QLabel(q);
    image1->setObjectName("Image1");
    image1->setAlignment(Qt::AlignCenter);
    image1->setPixmap(
        QPixmap(":/icons/database.png")
            .scaled(px(2400), px(2400), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The picture is drawn white for the menu bar: it sits on the bar's blue.
    image1->setAutoFillBackground(true);
    QPalette back = image1->palette();
    back.setColor(QPalette::Window, QColor(22, 48, 86));
    image1->setPalette(back);
    place(image1, 5250, 1200, 4500, 4200);

    comment = new QLineEdit(q);
    comment->setObjectName("コメント表示");
    comment->setAccessibleName(QString::fromUtf8("処理の状況"));
    comment->setReadOnly(true);
    place(comment, 4000, 6300, 7000, 420);
    comment->hide();

    // ---- backup list panel ----
    frame1 = group("Frame1", "バックアップ先・ファイル名");
    place(frame1, 4000, 1000, 7000, 5000);
    label2 = new QLabel(frame1);
    label2->setObjectName("Label2");
    label2->setMouseTracking(true);
    label2->installEventFilter(q);
    label2->setFrameShape(QFrame::StyledPanel);
    place(label2, 150, 360, 6700, 420);
    list1 = new QListWidget(frame1);
    list1->setObjectName("List1");
    list1->setAccessibleName(QString::fromUtf8("バックアップファイル"));
    list1->setMouseTracking(true);
    list1->viewport()->setMouseTracking(true);
    list1->installEventFilter(q);
    place(list1, 150, 900, 6700, 3900);
    connect(list1, &QListWidget::itemClicked, q, [this](QListWidgetItem* item) { restore(item); });

    // ---- login panel ----
    frame4 = group("Frame4", "ログイン方法切換");
    place(frame4, 4080, 1200, 7000, 4300);
    auto makeLabel5 = [&](int i, int top) {
        label5[i] = new QLabel(QString::fromUtf8(kLabel5[i]), frame4);
        label5[i]->setObjectName(QString("Label5_%1").arg(i));
        label5[i]->setMouseTracking(true);
        label5[i]->installEventFilter(q);
        place(label5[i], 240, top, 6000, 330);
    };
    makeLabel5(1, 390);
    for (int i = 1; i <= 2; ++i) {
        option1[i] =
            new QRadioButton(QString::fromUtf8(i == 1 ? "入力する" : "スキップする"), frame4);
        option1[i]->setObjectName(QString("Option1_%1").arg(i));
        // The two are the only option buttons of the panel, so Qt's own
        // exclusivity pairs them: a click on the selected one keeps it, and
        // a screen reader announces them as option buttons.
        place(option1[i], 480 + (i - 1) * 2200, 780, 2000, 360);
        connect(option1[i], &QRadioButton::toggled, q, [this](bool) {
            if (refreshing) return;
            program.settingsScreen.option1 = option1[1]->isChecked();
            program.settingsScreen.option2 = option1[2]->isChecked();
        });
    }
    makeLabel5(2, 1350);
    makeLabel5(3, 2430);
    for (int i = 1; i <= 2; ++i) {
        text1[i] = new QLineEdit(frame4);
        text1[i]->setObjectName(QString("Text1_%1").arg(i));
        text1[i]->setAccessibleName(
            QString::fromUtf8(i == 1 ? "ログインパスワード" : "ログインパスワードのヒント"));
        text1[i]->setMouseTracking(true);
        text1[i]->installEventFilter(q);
        place(text1[i], 480, i == 1 ? 1710 : 2790, i == 1 ? 4800 : 6200, 420);
        connect(text1[i], &QLineEdit::textChanged, q, [this, i](const QString& text) {
            if (refreshing) return;
            (i == 1 ? program.settingsScreen.passwordBox : program.settingsScreen.hintBox) =
                text.toStdString();
        });
    }
    text1[1]->setEchoMode(QLineEdit::Password);
    text1[1]->setStyleSheet("lineedit-password-character: 42;");  // masked with "*"
    command2 = button(frame4, "Command2", QString());
    command2->setIcon(q->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    command2->setAccessibleName(QString::fromUtf8("パスワードの表示切換"));
    place(command2, 5400, 1680, 600, 480);
    connect(command2, &QPushButton::clicked, q, [this] {
        text1[1]->setEchoMode(text1[1]->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                          : QLineEdit::Password);
    });
    command1 = button(frame4, "Command1", QString::fromUtf8("確定"));
    place(command1, 3600, 3540, 1500, 480);
    connect(command1, &QPushButton::clicked, q, [this] {
        if (mk::saveLoginSettings(program)) closeLoginPanel();
    });
    command4 = button(frame4, "Command4", QString::fromUtf8("戻る"));
    place(command4, 5250, 3540, 1500, 480);
    connect(command4, &QPushButton::clicked, q, [this] { closeLoginPanel(); });

    // ---- the folder listing of old: never shown, it keeps Label3 ----
    frame2 = group("Frame2", "リリース時は非表示");
    place(frame2, 11400, 6300, 3000, 900);
    label3 = new QLabel(frame2);
    label3->setObjectName("Label3");
    place(label3, 120, 300, 2700, 400);
    frame2->hide();

    // ---- developer frame ----
    frame3 = group("Frame3", "デバッグ用");
    place(frame3, 11400, 360, 3600, 5900);
    for (int i = 6; i <= 9; ++i) makeCommand(i, frame3, 150, 330 + (i - 6) * 780);
    label4 = new QLabel(frame3);
    label4->setObjectName("Label4");
    label4->setWordWrap(true);
    place(label4, 150, 3500, 3300, 700);
    arrayCheck = button(frame3, "データ配列検査", QString::fromUtf8("データ配列検査"));
    place(arrayCheck, 150, 4300, 3300, 480);
    connect(arrayCheck, &QPushButton::clicked, q, [this] {
        if (arrayCheckAction) arrayCheckAction();
    });
    command5 = button(frame3, "Command5", QString::fromUtf8("消す"));
    place(command5, 150, 4950, 3300, 480);
    connect(command5, &QPushButton::clicked, q, [this] {
        debugFrameClosed = true;
        frame3->hide();
    });
    frame3->hide();

    connect(command3, &QPushButton::clicked, q, [this] {
        if (command3Action) command3Action();
    });
    connect(picture6, &QPushButton::clicked, q, [this] { openManual(); });
    frame1->hide();
    frame4->hide();
}

// The command captions are shown bold under the mouse, nothing else.
void SettingsScreen::Private::addHelp() {
    help = new MouseHelp(q, [](QWidget* caption, bool hover) {
        Trap("7849 :   マウスヘルプ_03", [&] {
            QFont font = caption->font();
            if (font.bold() == hover) return;
            font.setBold(hover);
            caption->setFont(font);
        });
    });
    for (int i = 0; i <= 9; ++i) {
        help->add(picture1[i], kHelp[i], label1[i]);
        help->add(label1[i], kHelp[i], label1[i]);
    }
    help->add(label2, kLabel2Help);
    help->add(list1->viewport(), kList1Help);
    help->add(picture6, kManualHelp);
    for (int i = 1; i <= 3; ++i) help->add(label5[i], kLabel5Help[i]);
    for (int i = 1; i <= 2; ++i) help->add(text1[i], kText1Help[i]);
    help->addBackground(q);
    help->addBackground(frame4);
}

bool SettingsScreen::Private::runCommand(int n) {
    switch (n) {
        case 1:
            if (ask({"Mirukasuデータのバックアップを作成します。", "実行しますか?"})) {
                mk::バックアップ実施(program, *this);
                q->refreshFromSettings();
            }
            return true;
        case 2:
            if (ask({"パスワード管理データのバックアップ先を変更します。", "実行しますか?"}))
                chooseBackupFolder();
            return true;
        case 3:
            return fillList();
        case 4:
            frame4->move(px(4080), px(1200));
            frame4->show();
            SetMessageLines(
                {"アプリ起動時ログインパスワードを", "入力またはスキップする設定をします。"});
            MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
            mk::設定読込(program);
            q->refreshFromSettings();
            return false;
        case 5:
            if (ask({"現在のファイルから同梱のサンプルデータを消去します。",
                     "ユーザーが入力したデータはそのまま残ります。", "実行しますか?"},
                    Buttons::YesNoDefaultNo)) {
                const bool deleted = mk::サンプルデータ削除(program);
                shell.reloadBrowse();
                shell.setBrowseCounter("-*-");
                if (deleted) endOnBrowseScreen();
            }
            return true;
        case 6:
            if (ask({"初回動時にサンプルデータを生成しますが",
                     "デバッグ用で任意に生成する機能を用意しました。", "リリース時は削除します。",
                     "サンプルデータを２０件生成します。", "現在のデータはすべて削除されます。",
                     "実行しますか?"},
                    Buttons::YesNoDefaultNo)) {
                if (mk::サンプルデータ生成(program)) {
                    shell.reloadBrowse();
                    endOnBrowseScreen();
                }
            }
            return true;
        case 7:
            if (importAction) importAction();
            return true;
        case 8:
            if (conversionAction) conversionAction();
            return true;
        default:
            return true;
    }
}

void SettingsScreen::Private::chooseBackupFolder() {
    const QString chosen =
        chooseFolder(shell.mainWindow(), qs(mk::backupFolderPrompt(program.appFolder())),
                     qs(program.settings.BackupFolder));
    if (chosen.isEmpty()) return;
    mk::setBackupFolder(program, chosen.toStdString());
}

bool SettingsScreen::Private::fillList() {
    frame1->move(px(4000), px(1000));
    frame1->show();
    label2->clear();
    std::string folder;
    std::vector<std::string> names;
    const mk::BackupListResult result = mk::fillBackupList(program, folder, names);
    label2->setText(qs(folder));
    if (result == mk::BackupListResult::FolderMissing) return false;
    list1->clear();
    for (const std::string& name : names) list1->addItem(qs(name));
    return result != mk::BackupListResult::Pick;
}

void SettingsScreen::Private::restore(QListWidgetItem* item) {
    if (!item) return;
    if (!mk::restoreBackup(program, label2->text().toStdString(), item->text().toStdString()))
        return;
    shell.reloadBrowse();
    endOnBrowseScreen();
}

void SettingsScreen::Private::openManual() {
    const std::string path = mk::userManualPath(program);
    if (!mk::userManualExists(program)) {
        mk::reportMissingManual(path);
        return;
    }
    const bool opened = openWithDesktop(path);
    DoEvents();
    if (!opened) mk::reportManualNotOpened(path, kNoAssociation);
}

// ---- SettingsScreen --------------------------------------------------------

SettingsScreen::SettingsScreen(mk::Program& program, Shell& shell, QWidget* parent)
    : QWidget(parent), d(new Private(this, program, shell)) {
    d->build();
    d->addHelp();
    enterClicksButtons(this);
}

SettingsScreen::~SettingsScreen() { delete d; }

void SettingsScreen::F3切換(int command) {
    Trap("F3切換 : 1310   ", [&] {
        d->image1->hide();
        d->picture6->hide();
        d->frame1->hide();
        d->frame4->hide();
        if (d->runCommand(command)) showNormalView();
    });
}

void SettingsScreen::showNormalView() {
    d->image1->show();
    d->picture6->show();
    d->frame1->hide();
    d->frame4->hide();
    d->frame2->hide();
}

void SettingsScreen::refreshFromSettings() {
    const mk::SettingsScreenState& s = d->program.settingsScreen;
    d->refreshing = true;
    d->text1[1]->setText(qs(s.passwordBox));
    d->text1[2]->setText(qs(s.hintBox));
    // A mode word the file does not know selects neither button; an
    // exclusive pair lets go of its selection only with its exclusivity off.
    const bool none = !s.option1 && !s.option2;
    for (int i = 1; i <= 2; ++i) d->option1[i]->setAutoExclusive(!none);
    d->option1[1]->setChecked(s.option1);
    d->option1[2]->setChecked(s.option2);
    for (int i = 1; i <= 2; ++i) d->option1[i]->setAutoExclusive(true);
    d->refreshing = false;
}

void SettingsScreen::setImportAction(std::function<void()> action) {
    d->importAction = std::move(action);
}
void SettingsScreen::setConversionAction(std::function<void()> action) {
    d->conversionAction = std::move(action);
}
void SettingsScreen::setCommand3Action(std::function<void()> action) {
    d->command3Action = std::move(action);
}
void SettingsScreen::setArrayCheckAction(std::function<void()> action) {
    d->arrayCheckAction = std::move(action);
}

void SettingsScreen::setStatusText(const QString& text) { d->label4->setText(text); }
QString SettingsScreen::statusText() const { return d->label4->text(); }
QLabel* SettingsScreen::statusLabel() const { return d->label4; }

void SettingsScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showNormalView();
    refreshFromSettings();
    // The developer frame stays up on the developer machine until "消す".
    d->frame3->setVisible(d->program.developerMode && !d->debugFrameClosed);
}

bool SettingsScreen::eventFilter(QObject* watched, QEvent* event) {
    const int command = d->commandOf(watched);
    if (command >= 0 && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (me->button() == Qt::LeftButton && widget->rect().contains(me->position().toPoint())) {
            F3切換(command);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace mk::gui
