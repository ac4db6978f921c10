#include "gui/browse/browse_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <tuple>

#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/browse/grid_actions.h"
#include "core/browse/in_place_write.h"
#include "core/browse/search.h"
#include "core/browse/search_commands.h"
#include "core/browse/web_address.h"
#include "core/store/browse_load.h"
#include "gui/app/grid_model.h"
#include "gui/app/grid_view.h"
#include "gui/app/mouse_help.h"
#include "gui/app/shell.h"
#include "gui/app/system_clipboard.h"
#include "gui/app/twips.h"
#include "gui/browse/label_button.h"

namespace mk::gui {

namespace {

constexpr int kGridLeft = 120;
constexpr int kGridTop = 1020;
constexpr int kGridMargin = 700;
constexpr int kTimerMs = 500;

const char* const kSearchPicture = ":/browse/button_search.png";
const char* const kToolPicture = ":/browse/button_tool.png";

// "Meiryo UI" where the system has it, otherwise a Japanese sans-serif.
QString textFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Meiryo UI", "Meiryo", "Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic",
                             "IPAPGothic", "TakaoPGothic", "VL PGothic"}) {
        if (families.contains(QString::fromUtf8(name))) return QString::fromUtf8(name);
    }
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    return font.defaultFamily();
}

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(rectTwips(left, top, width, height));
}

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

struct BrowseWindow::Private : mk::SearchView, mk::InPlaceWriteView {
    BrowseWindow* q;
    mk::Program& program;
    Shell& shell;

    QFrame* frame16 = nullptr;
    QLineEdit* box = nullptr;
    PictureBox* label1[5] = {};  // index 1..4
    QRadioButton* option1[3] = {};  // index 1..2
    QLabel* label6 = nullptr;
    PictureBox* label5 = nullptr;
    PictureBox* label7 = nullptr;
    QCheckBox* check1 = nullptr;
    GridView* grid = nullptr;
    QLineEdit* notice = nullptr;
    QPushButton* command2 = nullptr;
    QFrame* frame1 = nullptr;
    QLabel* label2[3] = {};  // index 1..2: block first and last row
    QLabel* label3 = nullptr;  // current row
    QLabel* label8 = nullptr;  // current column
    QTimer* timer1 = nullptr;
    MouseHelp* mouseHelp = nullptr;

    mk::SearchKeyCache keys;
    mk::SortState sort;
    std::function<void()> outputAction, generatorAction, checkColumnAction;
    bool flashing = false;

    Private(BrowseWindow* window, mk::Program& p, Shell& s) : q(window), program(p), shell(s) {}

    // ---- SearchView ---------------------------------------------------------
    std::string keyword() const override { return box->text().toStdString(); }
    void setKeyword(const std::string& text) override { box->setText(qs(text)); }
    int displayMode() const override { return option1[2]->isChecked() ? HitRowsOnly : HitTitles; }
    void setCounter(const std::string& caption) override { label6->setText(qs(caption)); }
    void setTableVisible(bool visible) override { grid->setVisible(visible); }

    // ---- InPlaceWriteView ---------------------------------------------------
    std::string counterCaption() const override { return label6->text().toStdString(); }
    void setCounter(const std::string& caption, mk::Rgb color) override {
        label6->setVisible(true);
        label6->setText(qs(caption));
        setTextColor(label6, toQColor(color));
    }
    void hideEditScreen() override { shell.hideEditScreen(); }
    // After the edit has ended: the model is in the middle of it now.
    void reloadTable() override {
        QTimer::singleShot(0, q, [window = QPointer<BrowseWindow>(q)] {
            if (window) window->reload();
        });
    }

    void build();
    void addHelpAndKeys();
    void runCommand(mk::SearchCommand command);
    void runButton(const std::function<void()>& action) {
        grid->commitOpenEditor();
        if (action) action();
    }
    void flashCaption(PictureBox* button);
    void applyEditLock();
    void showContext();

    void cellMouseDown(int row, int col, Qt::MouseButton button);
    void headerSort(int col);
    void cellDoubleClicked(int row, int col);
    void currentCellChanged(int row, int col);
    void gridMouseMove(int x, int y, int col);
};

void BrowseWindow::Private::build() {
    q->setObjectName("Form1");
    QFont font(textFamily(), 9);
    q->setFont(font);
    q->setMouseTracking(true);
    q->setAutoFillBackground(true);

    frame16 = new QFrame(q);
    frame16->setObjectName("Frame16");
    frame16->setFrameShape(QFrame::Box);
    frame16->setFrameShadow(QFrame::Sunken);
    frame16->setMouseTracking(true);
    place(frame16, 120, -60, 9465, 1035);

    box = new QLineEdit(frame16);
    box->setObjectName("検索箱1");
    box->setAccessibleName("検索キーワード");
    QFont boxFont = font;
    boxFont.setPointSize(11);
    box->setFont(boxFont);
    box->setMouseTracking(true);
    place(box, 120, 210, 4230, 420);

    QFont captionFont = font;
    captionFont.setPointSize(10);
    auto makeButton = [&](QWidget* parent, const char* picture, const char* caption, const char* name,
                          int left, int top, int width, int height) {
        auto* button = new PictureBox(picture, caption, parent);
        button->setObjectName(QString::fromUtf8(name) + "_picture");
        button->caption()->setObjectName(name);
        button->caption()->setFont(captionFont);
        setCaptionLook(button->caption(), false);
        place(button, left, top, width, height);
        button->caption()->installEventFilter(q);
        return button;
    };
    label1[1] = makeButton(frame16, kSearchPicture, "検索", "Label1_1", 4380, 180, 1455, 495);
    label1[2] = makeButton(frame16, kSearchPicture, "絞込検索", "Label1_2", 5880, 180, 1515, 495);
    label1[4] = makeButton(frame16, kSearchPicture, "全データ表示", "Label1_4", 7440, 180, 1935, 495);
    label1[3] = makeButton(q, kSearchPicture, "再表示", "Label1_3", 16080, 1020, 1335, 495);
    label1[3]->hide();  // beside the developer-only controls, shown with them

    option1[1] = new QRadioButton("Hit表題を表示", frame16);
    option1[1]->setObjectName("Option1_1");
    option1[1]->setChecked(true);
    place(option1[1], 4560, 690, 1635, 315);
    option1[2] = new QRadioButton("Hit行のみ表示", frame16);
    option1[2]->setObjectName("Option1_2");
    place(option1[2], 6120, 690, 1515, 315);

    label6 = new QLabel(kCounterIdle, frame16);
    label6->setObjectName("Label6");
    label6->setAlignment(Qt::AlignCenter);
    // The counter repaints every 64 rows of a search: painting its own
    // background spares the frame and window behind it each time.
    label6->setAutoFillBackground(true);
    setTextColor(label6, Qt::black);
    place(label6, 7635, 750, 1635, 315);

    label5 = makeButton(q, kToolPicture, "Excel出力・印刷", "Label5", 9660, 120, 2235, 495);
    check1 = new QCheckBox("修正の無効化", q);
    check1->setObjectName("Check1");
    check1->setChecked(true);
    place(check1, 9840, 600, 1935, 375);
    label7 = makeButton(q, kToolPicture, "パスワード生成", "Label7", 11940, 120, 2175, 495);

    grid = new GridView(q);
    grid->setObjectName("VSFlexGrid1");
    grid->setTable(&program.browse);
    grid->move(px(kGridLeft), px(kGridTop));

    notice = new QLineEdit(q);
    notice->setObjectName("コメント表示");
    notice->setAccessibleName("お知らせ");
    notice->setReadOnly(true);
    notice->setAlignment(Qt::AlignCenter);
    QFont noticeFont = font;
    noticeFont.setPointSize(12);
    noticeFont.setBold(true);
    notice->setFont(noticeFont);
    place(notice, 1800, 2880, 9315, 555);
    notice->hide();

    command2 = new QPushButton("Rec表示/非表示", q);
    command2->setObjectName("Command2");
    place(command2, 14160, 60, 1575, 345);
    command2->hide();

    frame1 = new QFrame(q);
    frame1->setObjectName("Frame1");
    frame1->setFrameShape(QFrame::Box);
    place(frame1, 15960, 0, 3135, 900);
    const char* captions[] = {"表題行の最初", "表題行の最後", "選択セルの行"};
    for (int i = 0; i < 3; ++i) {
        auto* caption = new QLabel(captions[i], frame1);
        place(caption, 90, 60 + i * 270, 1500, 255);
    }
    label2[1] = new QLabel(frame1);
    label2[1]->setObjectName("Label2_1");
    place(label2[1], 1650, 60, 1300, 255);
    label2[2] = new QLabel(frame1);
    label2[2]->setObjectName("Label2_2");
    place(label2[2], 1650, 330, 1300, 255);
    label3 = new QLabel(frame1);
    label3->setObjectName("Label3");
    place(label3, 1650, 600, 600, 255);
    label8 = new QLabel(frame1);
    label8->setObjectName("Label8");
    place(label8, 2300, 600, 650, 255);
    frame1->hide();

    timer1 = new QTimer(q);
    timer1->setObjectName("Timer1");

    box->installEventFilter(q);  // Enter and Esc
}

void BrowseWindow::Private::addHelpAndKeys() {
    mouseHelp = new MouseHelp(q, [](QWidget* caption, bool hover) {
        setCaptionLook(static_cast<QLabel*>(caption), hover);
    });
    static const char* const kHelp[5] = {"", kHelpSearch, kHelpNarrow, "", kHelpShowAll};
    for (int i = 1; i <= 4; ++i) {
        mouseHelp->add(label1[i]->caption(), kHelp[i], label1[i]->caption());
        makeKeyCommand(label1[i]->caption(),
                       [this, i] { runCommand(static_cast<mk::SearchCommand>(i)); });
    }
    // The output and generator buttons light up for a moment only.
    for (auto [button, help, action] : {std::tuple{label5, kHelpOutput, &outputAction},
                                        std::tuple{label7, kHelpGenerator, &generatorAction}}) {
        mouseHelp->add(button->caption(), [help = help] { return std::string(help); }, nullptr,
                       [this, button = button] { flashCaption(button); });
        makeKeyCommand(button->caption(), [this, action = action] { runButton(*action); });
    }
    mouseHelp->add(box, kHelpSearchBox);
    mouseHelp->add(option1[1], kHelpOptionTitles);
    mouseHelp->add(option1[2], kHelpOptionRows);
    mouseHelp->add(label6, kHelpCounter);
    mouseHelp->addBackground(frame16);
    mouseHelp->addBackground(q);
}

// ---- search commands -----------------------------------------------------------

// Every command of the window first writes what was typed into a cell and
// not yet committed, as Enter would: the label buttons take no focus, so the
// open editor would otherwise be dropped by the command's reset or reload.
void BrowseWindow::Private::runCommand(mk::SearchCommand command) {
    grid->commitOpenEditor();
    mk::runSearchCommand(command, program.browse, *this, &keys, [this] { q->reload(); });
}

// ---- looks and help --------------------------------------------------------------

// The caption lights up for a moment only.
void BrowseWindow::Private::flashCaption(PictureBox* button) {
    if (flashing) return;
    flashing = true;
    QPointer<QLabel> caption = button->caption();
    setCaptionLook(caption, true);
    mk::WaitSeconds(0.2);
    if (caption) setCaptionLook(caption, false);
    flashing = false;
}

// ---- edit lock and edit context --------------------------------------------

void BrowseWindow::Private::applyEditLock() {
    grid->commitOpenEditor();  // locking closes the editor
    grid->setEditable(false);
    mk::DoEvents();
    if (!check1->isChecked()) grid->setEditable(true);
}

void BrowseWindow::Private::showContext() {
    const mk::EditContext& context = program.editContext;
    label2[1]->setText(qs(context.blockFirst));
    label2[2]->setText(qs(context.blockLast));
    label3->setText(QString::number(context.currentRow));
    label8->setText(QString::number(context.currentCol));
}

void BrowseWindow::Private::currentCellChanged(int row, int col) {
    // A web-address open may have turned editing on; the lock comes back here.
    if (check1->isChecked()) grid->setEditable(false);
    mk::editContextRefresh(program.browse, row, col, false, program.editContext);
    showContext();
}

// ---- grid mouse ----------------------------------------------------------------

void BrowseWindow::Private::cellMouseDown(int row, int col, Qt::MouseButton button) {
    // A press on a cell has committed the editor already; one on the header
    // has not.
    grid->commitOpenEditor();
    if (col == mk::bcol::Output) {
        if (checkColumnAction) checkColumnAction();
        return;
    }
    if (button != Qt::LeftButton) return;
    if (row == 0 && col >= 0) {
        headerSort(col);
    } else if (row >= 1 && col >= 1) {
        // A click on the cell that was already current moves nothing, but
        // the edit screen may have moved the block since (a row delete, a
        // save, ⑦): an in-place edit through that block would miss this row.
        const mk::EditContext& context = program.editContext;
        if (context.currentRow != row || context.currentCol != col || row < context.firstRow() ||
            row > context.lastRow())
            currentCellChanged(row, col);
        const QString text = qs(mk::cellTransfer(program.browse, row, col));
        box->setText(text);
        installSystemClipboard();
        mk::Clipboard* clipboard = mk::programClipboard();
        clipboard->clear();
        clipboard->setText(text.toStdString());
    }
}

// The current row stays the table row it was; only the column becomes the
// clicked one. The view comes back with the current cell that the table names.
void BrowseWindow::Private::headerSort(int col) {
    const bool focused = grid->hasFocus();
    grid->hide();
    mk::headerSort(program.browse, col, sort);
    if (program.browse.rows() > 10) grid->scrollToTop();
    grid->show();
    if (focused) grid->setFocus();
}

void BrowseWindow::Private::cellDoubleClicked(int row, int col) {
    if (row < 1 || col < 1) return;
    mk::GridTable& table = program.browse;
    const int r = table.currentRow;
    const int c = table.currentCol;
    const std::string text = table.text(r, c);
    if (!mk::isWebAddress(text)) return;

    grid->setEditable(false);
    const mk::Rgb back = table.backColor(r, c);
    notice->setText(mk::kOpenBrowserNotice);
    notice->show();
    notice->raise();
    table.setBackColor(r, c, mk::palette::LightYellow);

    // The address goes to the desktop, never through a command interpreter,
    // and only as an http(s) address: a cell cannot start a program.
    const QUrl url(qs(mk::webAddressFor(text)), QUrl::TolerantMode);
    if (url.isValid() && (url.scheme() == "http" || url.scheme() == "https"))
        QDesktopServices::openUrl(url);

    QPointer<BrowseWindow> alive(q);
    mk::WaitSeconds(0.5);
    if (!alive) return;
    table.setBackColor(r, c, back);
    notice->hide();
    // Editing comes back only as the lock allows: a click on the same cell
    // changes no cell, so nothing else would lock the grid again before
    // a typed key reached the file.
    grid->setEditable(!check1->isChecked());
    box->setFocus();
}

void BrowseWindow::Private::gridMouseMove(int x, int y, int col) {
    mouseHelp->plainCaptions();
    mk::ShowMouseHelp(mk::gridHelpText(x, y, col));
}

// ---- BrowseWindow ----------------------------------------------------------------

BrowseWindow::BrowseWindow(mk::Program& program, Shell& shell, QWidget* parent)
    : QWidget(parent), d(new Private(this, program, shell)) {
    d->build();
    d->addHelpAndKeys();

    connect(d->option1[1], &QRadioButton::clicked, this, [this] { d->runCommand(mk::SearchCommand::OptionClick); });
    connect(d->option1[2], &QRadioButton::clicked, this, [this] { d->runCommand(mk::SearchCommand::OptionClick); });
    connect(d->check1, &QCheckBox::clicked, this, [this] { d->applyEditLock(); });
    connect(d->command2, &QPushButton::clicked, this, [this] {
        d->grid->commitOpenEditor();
        d->program.recordNumbersShown = !d->program.recordNumbersShown;
        reload();
    });
    connect(d->timer1, &QTimer::timeout, this, [this] {
        mk::paintCurrentCell(d->program.browse, d->program.editContext);
        // Start-up and the saves set the edit context without a cell change.
        if (d->frame1->isVisible()) d->showContext();
    });

    connect(d->grid, &GridView::cellMouseDown, this,
            [this](int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers) {
                d->cellMouseDown(row, col, button);
            });
    connect(d->grid, &GridView::cellDoubleClicked, this,
            [this](int row, int col) { d->cellDoubleClicked(row, col); });
    connect(d->grid, &GridView::currentCellChanged, this,
            [this](int row, int col) { d->currentCellChanged(row, col); });
    connect(d->grid, &GridView::gridMouseMove, this,
            [this](int x, int y, int, int col) { d->gridMouseMove(x, y, col); });
    connect(d->grid, &GridView::cellEdited, this,
            [this](int row, int col) { mk::inPlaceWrite(d->program, row, col, *d); });
}

BrowseWindow::~BrowseWindow() { delete d; }
GridView* BrowseWindow::grid() const { return d->grid; }
QLabel* BrowseWindow::counter() const { return d->label6; }
QLineEdit* BrowseWindow::searchBox() const { return d->box; }

void BrowseWindow::setDeveloperMode(bool on) {
    d->command2->setVisible(on);
    d->frame1->setVisible(on);
    d->label1[3]->setVisible(on);
    if (on) {
        d->label1[3]->raise();
        d->showContext();
    }
}

void BrowseWindow::setEditLock(bool checked) {
    d->check1->setChecked(checked);
    d->applyEditLock();
}

bool BrowseWindow::editLock() const { return d->check1->isChecked(); }

bool BrowseWindow::commitOpenEdit() { return d->grid->commitOpenEditor(); }

void BrowseWindow::startCurrentCellTimer() {
    d->timer1->setInterval(kTimerMs);
    d->timer1->start();
}

// A reload drops every search mark and hidden row: the counter says so too,
// rather than keep the count of a search whose result is gone.
void BrowseWindow::reload(Reload what) {
    if (what == OnlyWritten)
        d->program.reloadWritten();
    else
        d->program.reload();
    d->grid->applyLayout();
    d->label6->setText(kCounterIdle);
}

void BrowseWindow::setOutputSelectionAction(std::function<void()> action) { d->outputAction = std::move(action); }
void BrowseWindow::setGeneratorAction(std::function<void()> action) { d->generatorAction = std::move(action); }
void BrowseWindow::setCheckColumnAction(std::function<void()> action) { d->checkColumnAction = std::move(action); }

void BrowseWindow::showNotice(const QString& text) {
    d->notice->setText(text);
    d->notice->show();
    d->notice->raise();
}

void BrowseWindow::hideNotice() { d->notice->hide(); }

bool BrowseWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();

    if (watched == d->box && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            d->runCommand(mk::SearchCommand::EnterKey);
            return true;
        }
        if (key == Qt::Key_Escape) {
            d->runCommand(mk::SearchCommand::EscKey);
            return true;
        }
    }

    for (int i = 1; i <= 4; ++i) {
        if (watched == d->label1[i]->caption() && type == QEvent::MouseButtonPress) {
            d->runCommand(static_cast<mk::SearchCommand>(i));
            return true;
        }
    }

    for (auto [button, action] : {std::pair{d->label5, &d->outputAction},
                                  std::pair{d->label7, &d->generatorAction}}) {
        if (watched != button->caption() || type != QEvent::MouseButtonRelease) continue;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            button->caption()->rect().contains(mouse->position().toPoint()))
            d->runButton(*action);
    }
    return QWidget::eventFilter(watched, event);
}

// Only the grid follows the window's size; a size too small for it leaves
// the grid as it was.
void BrowseWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int width = twips(this->width()) - kGridLeft - kGridMargin;
    const int height = twips(this->height()) - kGridTop - kGridMargin;
    if (width >= 0) d->grid->resize(px(width), d->grid->height());
    if (height >= 0) d->grid->resize(d->grid->width(), px(height));
}

}  // namespace mk::gui
