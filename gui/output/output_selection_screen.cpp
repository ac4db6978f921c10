#include "gui/output/output_selection_screen.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "core/app/program.h"
#include "core/base/messages.h"
#include "core/output/output_checks.h"
#include "core/output/print_output.h"
#include "gui/app/mouse_help.h"
#include "gui/app/shell.h"
#include "gui/app/twips.h"
#include "gui/output/desktop_open.h"

namespace mk::gui {

namespace {

const char* const kNotice = "印刷出力を実行しています。しばらくお待ち下さい。";
const char* const kStoreLocation = "印刷出力設定 結果を保存する";

struct CommandSpec {
    const char* name;
    const char* caption;
    const char* help;              // nullptr: none
    int frame;                     // 1 checks, 2 outputs
    int left, top, width, height;  // twips, in the frame
};

const CommandSpec kCommands[] = {
    {"Command1_1", "表示しているデータの全てにチェックを入れる",
     "表示しているデータの全てにチェックを入れます。　この行は印刷候補になります。", 1, 120, 300,
     5400, 420},
    {"Command1_2", "表示しているデータの全てのチェックを外す",
     "表示しているデータの全てのチェックを外します。　印刷候補から除外されます。", 1, 120, 780,
     5400, 420},
    {"Command1_3", "表示しているデータのチェックを反転させる",
     "表示しているデータのチェックを反転します。", 1, 120, 1260, 5400, 420},
    {"Command1_4", "全データのチェックを外す",
     "全データのチェックを外します。　全データが印刷候補から除外されます。　非表示の行もチェックが"
     "外れます。",
     1, 120, 1740, 5400, 420},
    {"Command2", "結果を保存する",
     "変更したチェックの状態を保存します。保存すると次回起動したとき現在の状態が表示されます。", 1,
     120, 2280, 5400, 420},
    {"Command3_1", "カード形式で印刷出力", nullptr, 2, 120, 300, 2640, 420},
    {"Command3_2", "Xls形式で印刷出力", nullptr, 2, 2880, 300, 2640, 420},
    {"Command5", "表示しているデータをエクセルに転送します。",
     "チェックにの有無に関係無く現在表示されているデータをエクセルに転送します。マイクロソフトエク"
     "セルが必要です。",
     2, 120, 840, 5400, 420},
    {"Command4", "戻る", "印刷出力画面を非表示にします。", 0, 4440, 4920, 1320, 420},
};

}  // namespace

struct OutputSelectionScreen::Private {
    OutputSelectionScreen* q;
    mk::Program& program;
    Shell& shell;
    QGroupBox* frames[3] = {};
    std::map<std::string, QPushButton*> buttons;
    std::function<void(const QString&)> showNotice;
    std::function<void()> hideNotice, closeAction, checksChanged;
    bool placed = false;

    Private(OutputSelectionScreen* screen, mk::Program& p, Shell& s)
        : q(screen), program(p), shell(s) {}
    void run(const std::string& name);
    void output(const char* mode);
    void changed() {
        if (checksChanged) checksChanged();
    }
};

OutputSelectionScreen::OutputSelectionScreen(mk::Program& program, Shell& shell, QWidget* owner)
    : QWidget(owner, Qt::Tool), d(new Private(this, program, shell)) {
    setObjectName("Form6");
    setWindowTitle("印刷出力設定");
    setFixedSize(px(6000), px(5550));
    setMouseTracking(true);

    d->frames[1] = new QGroupBox(this);
    d->frames[1]->setObjectName("Frame1");
    d->frames[1]->setGeometry(rectTwips(120, 60, 5760, 2880));
    d->frames[2] = new QGroupBox(this);
    d->frames[2]->setObjectName("Frame2");
    d->frames[2]->setGeometry(rectTwips(120, 3000, 5760, 1800));
    // The button under the mouse is shown bold; the frames and the window
    // clear the line.
    auto* help = new MouseHelp(this, [](QWidget* button, bool hover) {
        QFont font = button->font();
        if (font.bold() == hover) return;
        font.setBold(hover);
        button->setFont(font);
    });

    for (const CommandSpec& spec : kCommands) {
        QWidget* parent = spec.frame ? static_cast<QWidget*>(d->frames[spec.frame]) : this;
        auto* button = new QPushButton(QString::fromUtf8(spec.caption), parent);
        button->setObjectName(spec.name);
        button->setGeometry(rectTwips(spec.left, spec.top, spec.width, spec.height));
        help->add(button, spec.help, button);
        d->buttons[spec.name] = button;
        const std::string name = spec.name;
        connect(button, &QPushButton::clicked, this, [this, name] { d->run(name); });
    }
    auto* note = new QLabel("印刷出力チェックに依存しません。", d->frames[2]);
    note->setObjectName("Label1");
    note->setGeometry(rectTwips(240, 1320, 5280, 360));
    help->addBackground(d->frames[1]);
    help->addBackground(d->frames[2]);
    help->addBackground(this);
    enterClicksButtons(this);
}

OutputSelectionScreen::~OutputSelectionScreen() { delete d; }

void OutputSelectionScreen::Private::run(const std::string& name) {
    GridTable& browse = program.browse;
    if (name.rfind("Command1_", 0) == 0) {
        const int index = name.back() - '0';
        if (index == 4 ? mk::clearAllChecks(browse)
                       : mk::applyCheckCommand(browse, CheckCommand(index)))
            changed();
    } else if (name == "Command2") {
        // The store opens and closes the content file itself.
        mk::Trap(kStoreLocation, [&] { mk::storeChecks(program.store, browse); });
    } else if (name == "Command3_1" || name == "Command3_2") {
        if (mk::confirmCheckedRows(browse))
            output(name == "Command3_1" ? mk::kModeCards : mk::kModeSelected);
    } else if (name == "Command5") {
        output(mk::kModeShown);
    } else if (name == "Command4") {
        q->hide();
        if (closeAction) closeAction();
    }
}

void OutputSelectionScreen::Private::output(const char* mode) {
    if (showNotice) showNotice(QString::fromUtf8(kNotice));
    mk::DoEvents();
    const auto file = mk::印刷出力(
        program, mode,
        [this] {
            if (hideNotice) hideNotice();
        },
        outputTextWidth);
    const bool opened = file && openWithDesktop(*file);
    mk::WaitSeconds(0.2);
    if (hideNotice) hideNotice();
    if (file && !opened) mk::reportOutputNotOpened(*file);
}

void OutputSelectionScreen::showBeside(bool place) {
    if (place || !d->placed) {
        const QWidget* owner = parentWidget();
        const QPoint origin = owner ? owner->geometry().topLeft() : QPoint();
        move(origin + QPoint(px(6500), px(4000)));
        d->placed = true;
    }
    show();
    raise();
}

void OutputSelectionScreen::setNoticeActions(std::function<void(const QString&)> show,
                                             std::function<void()> hide) {
    d->showNotice = std::move(show);
    d->hideNotice = std::move(hide);
}

void OutputSelectionScreen::setCloseAction(std::function<void()> action) {
    d->closeAction = std::move(action);
}

void OutputSelectionScreen::setChecksChangedAction(std::function<void()> action) {
    d->checksChanged = std::move(action);
}

QPushButton* OutputSelectionScreen::command(const char* name) const {
    auto it = d->buttons.find(name);
    return it == d->buttons.end() ? nullptr : it->second;
}

void OutputSelectionScreen::closeEvent(QCloseEvent* event) {
    // The window's close box closes it as "戻る" does, so the check column
    // and the lock never stay behind; the window itself lives on.
    event->ignore();
    d->run("Command4");
}

}  // namespace mk::gui
