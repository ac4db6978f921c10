#include "gui/edit/edit_screen.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <utility>
#include <vector>

#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "gui/app/grid_model.h"
#include "gui/app/grid_view.h"
#include "gui/app/mouse_help.h"
#include "gui/app/shell.h"
#include "gui/app/system_clipboard.h"
#include "gui/app/twips.h"
#include "gui/edit/edit_menu.h"
#include "gui/edit/undo_indicator.h"

namespace mk::gui {

namespace {

const char* const kCaptions[5] = {"", "\n新規登録", "\n修正保存", "\n消去", "\n戻る"};
const char* const kLabelHelp[5] = {
    "", "新しいレコード番号を取って新規保存します。", "現在のレコード番号で上書保存します。", "",
    "現在表示されているデータを消去します。　注意：この状態で修正保存を実行するとデータ内容は空白に書き換わります。"};
const char* const kTodayHelp = "現在のセルに本日の日付を転送します。";
const char* const kTitleHelp =
    "表題が表示されます。新規保存の場合は重複を避けて修正してください。全角20文字まで対応します。";
const char* const kUndoHelp =
    "修正結果の履歴を戻すアンドゥ機能です。重複した操作や行追加削除,Ctrl+zなどのショートカット編集では戻せない場合があります。　";
const char* const kGridHelp = "最後の行にデータ入力すると　自動で新しい行が追加されます。";
const char* const kGridItemHelp =
    "最後の行にデータ入力すると　自動で新しい行が追加されます。項目は全角20文字まで入力出来ます。";
const char* const kGridContentHelp =
    "最後の行にデータ入力すると　自動で新しい行が追加されます。内容は全角40文字まで入力出来ます。";

const QColor kScreenBack(214, 228, 240);
const QColor kCommandBack(0, 64, 128);

// Grid position; the resize rule keeps 700 twips free right and below.
constexpr int kGridLeft = 120;
constexpr int kGridTop = 2160;
constexpr int kResizeMargin = 700;

void setTextColor(QWidget* w, QPalette::ColorRole role, mk::Rgb rgb) {
    QPalette pal = w->palette();
    pal.setColor(role, toQColor(rgb));
    w->setPalette(pal);
}

}  // namespace

struct EditScreen::Private : mk::EditObserver {
    Private(mk::Program& p, Shell& sh) : program(p), shell(sh), session(p) {}

    mk::Program& program;
    Shell& shell;
    mk::EditSession session;
    EditScreen* q = nullptr;

    GridView* grid = nullptr;
    QLineEdit* title = nullptr;
    QLabel* labels[5] = {};
    QFrame* picture = nullptr;  // the box around "戻る"
    QLabel* backIcon = nullptr;
    QPushButton* today = nullptr;
    QPushButton* undoButtons[3] = {};
    QLabel* undoCaption = nullptr;
    UndoIndicator* indicator = nullptr;
    QLabel* columnLabel = nullptr;
    QLabel* counterLabel = nullptr;
    QLabel* menuHint = nullptr;
    EditMenu* menu = nullptr;
    MouseHelp* help = nullptr;

    // ---- EditObserver: what the core changed during a routine -----------
    void titleChanged() override {
        if (title->text().toStdString() != session.titleBox.text) {
            const QSignalBlocker block(title);
            title->setText(QString::fromStdString(session.titleBox.text));
        }
        QPalette pal = title->palette();
        pal.setColor(QPalette::Base, toQColor(session.titleBox.back));
        pal.setColor(QPalette::Text, toQColor(session.titleBox.fore));
        title->setPalette(pal);
    }
    void commandsChanged() override {
        for (int i = 1; i <= 4; ++i) labels[i]->setEnabled(session.commandEnabled[i]);
    }
    void indicatorChanged() override {
        undoCaption->setText(QString::fromStdString(session.indicatorCaption));
        setTextColor(undoCaption, QPalette::WindowText, session.indicatorColor);
        indicator->update();
    }
    void menuHidden() override { menu->hide(); }

    // ---- looks ----------------------------------------------------------
    void setLabelLook(int i, mk::Rgb color, bool bold) {
        setTextColor(labels[i], QPalette::WindowText, color);
        QFont f = labels[i]->font();
        f.setBold(bold);
        labels[i]->setFont(f);
    }
    void addHelpAndKeys();
    void flash(int i) {
        setLabelLook(i, mk::palette::LightBlue, true);
        mk::WaitSeconds(0.2);
        setLabelLook(i, mk::palette::White, false);
    }
    void showCounter() { counterLabel->setText(QString::number(session.ChangeCount)); }

    // ---- commands -------------------------------------------------------
    void leave() {
        q->hide();
        menu->hide();
        shell.頁切換(1);
    }
    // Edits the grid has committed whose follow-up (undo level, count,
    // cursor move) has not run yet: it runs once the view is done with its
    // editor, or at once when a command needs the table as it stands.
    std::vector<std::pair<int, int>> pendingEdits;

    void runPendingEdits() {
        while (!pendingEdits.empty()) {
            const auto [row, col] = pendingEdits.front();
            pendingEdits.erase(pendingEdits.begin());
            afterEdit(row, col);
        }
    }
    // What every command does first: text still in an open editor goes into
    // the table exactly as Enter would put it there.
    bool commitOpenEdit() {
        const bool committed = grid->commitOpenEditor();
        runPendingEdits();
        return committed;
    }

    bool confirmLeave() {
        commitOpenEdit();
        const bool leave = mk::ConfirmBack(session);
        showCounter();
        return leave;
    }

    void command(int i) {
        if (!session.commandEnabled[i]) return;
        commitOpenEdit();
        if (i == mk::CmdBack && confirmLeave()) {
            leave();
            return;
        }
        flash(i);
        mk::RunEditCommand(session, i);
        showCounter();
        grid->applyLayout();
    }
    void afterEdit(int row, int col) {
        const mk::CellPos to = mk::AfterCellEdit(session, row, col);
        showCounter();
        grid->applyLayout();
        if (to.row != row || to.col != col) grid->setCurrentCell(to.row, to.col);
    }
    void menuItem(int item) {
        commitOpenEdit();
        if (mk::RunMenuItem(session, item)) {
            // The entry is gone: back to the browse screen without a page
            // switch, its counter showing that no search is active and its
            // menu button marked as the page shown.
            showCounter();
            q->hide();
            shell.setBrowseCounter("-*-");
            shell.showBrowseScreen();
            shell.highlightMenu(static_cast<int>(Page::Browse));
            return;
        }
        showCounter();
        grid->applyLayout();
        // A keyboard user who closed the menu goes on in the grid.
        if (!menu->isVisible()) grid->setFocus();
    }
    // Shift+F10 and the menu key: the edit menu on the current cell, as the
    // right button opens it on the cell under the mouse.
    bool menuKey(const QKeyEvent* key) {
        const bool menuKey = key->key() == Qt::Key_Menu ||
                             (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        if (!menuKey || grid->row() < 1 || grid->col() < 1) return false;
        session.clickedRow = grid->row();
        session.clickedCol = grid->col();
        menu->open();
        return true;
    }
    void gridMouseDown(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
        if (row >= 0 && col >= 0 && grid->row() >= 0 && grid->col() >= 0) {
            session.clickedRow = row;
            session.clickedCol = col;
        }
        if (button == Qt::RightButton && mods == Qt::NoModifier && row >= 1 && col >= 1) {
            grid->setCurrentCell(row, col);
            menu->open();
        }
    }
    void gridMouseMove(int row, int col) {
        mk::ShowMouseHelp("");
        if (row >= 1 && row <= 5) {
            if (col == mk::ecol::Item) mk::ShowMouseHelp(kGridItemHelp);
            if (col == mk::ecol::Content) mk::ShowMouseHelp(kGridContentHelp);
        } else {
            mk::ShowMouseHelp(kGridHelp);
        }
        columnLabel->setText(QString::number(col));
    }
};

EditScreen::EditScreen(mk::Program& program, Shell& shell, QWidget* parent)
    : QWidget(parent), d(new Private(program, shell)) {
    d->q = this;
    setObjectName("編集登録画面");
    setWindowTitle(QString::fromUtf8("編集登録画面"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kScreenBack);
    setPalette(pal);
    setMouseTracking(true);

    mk::EditSession& s = d->session;
    s.observer = d;
    installSystemClipboard();
    s.clipboard = mk::programClipboard();
    s.reloadBrowse = [this] { d->shell.reloadBrowseAfterWrites(); };

    auto* caption = new QLabel(QString::fromUtf8("編集登録画面"), this);
    caption->setObjectName("Label7");
    QFont big = caption->font();
    big.setPointSize(14);
    big.setBold(true);
    caption->setFont(big);
    caption->setGeometry(rectTwips(240, 240, 3400, 500));

    // The four command labels; "戻る" sits in a picture with its icon.
    for (int i = 1; i <= 4; ++i) {
        QWidget* holder = this;
        QRect where = rectTwips(3900 + (i - 1) * 1500, 120, 1400, 900);
        if (i == 4) {
            d->picture = new QFrame(this);
            d->picture->setObjectName("Picture1");
            d->picture->setFrameShape(QFrame::Panel);
            d->picture->setFrameShadow(QFrame::Raised);
            d->picture->setAutoFillBackground(true);
            setTextColor(d->picture, QPalette::Window, mk::rgb(0, 96, 96));
            d->picture->setGeometry(rectTwips(3900 + 3 * 1500, 120, 2100, 900));
            d->picture->setMouseTracking(true);
            d->picture->installEventFilter(this);
            d->backIcon = new QLabel(d->picture);
            d->backIcon->setObjectName("Image1");
            d->backIcon->setPixmap(QPixmap(":/edit/back.png"));
            d->backIcon->setGeometry(rectTwips(90, 210, 480, 480));
            d->backIcon->setMouseTracking(true);
            d->backIcon->installEventFilter(this);
            holder = d->picture;
            where = rectTwips(600, 0, 1400, 860);
        }
        QLabel* label = new QLabel(QString::fromUtf8(kCaptions[i]), holder);
        label->setObjectName(QString("Label1_%1").arg(i));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(where);
        label->setAutoFillBackground(i != 4);
        setTextColor(label, QPalette::Window, mk::rgb(0, 64, 128));
        setTextColor(label, QPalette::WindowText, mk::palette::White);
        QFont f = label->font();
        f.setPointSize(11);
        label->setFont(f);
        label->setCursor(Qt::PointingHandCursor);
        label->setMouseTracking(true);
        label->installEventFilter(this);
        d->labels[i] = label;
    }

    auto* titleLabel = new QLabel(QString::fromUtf8("表題"), this);
    titleLabel->setObjectName("Label8");
    titleLabel->setGeometry(rectTwips(240, 1260, 600, 420));
    d->title = new QLineEdit(this);
    d->title->setObjectName("Text1");
    d->title->setAccessibleName(QString::fromUtf8("表題"));
    d->title->setGeometry(rectTwips(840, 1200, 6300, 450));
    d->title->setMouseTracking(true);
    d->title->installEventFilter(this);
    // A changed title is unsaved work like a changed cell.
    connect(d->title, &QLineEdit::textEdited, this, [this](const QString& text) {
        d->session.titleBox.text = text.toStdString();
        ++d->session.ChangeCount;
        d->showCounter();
    });

    d->today = new QPushButton(QString::fromUtf8("本日"), this);
    d->today->setObjectName("Command1");
    d->today->setGeometry(rectTwips(7300, 1200, 900, 450));
    connect(d->today, &QPushButton::clicked, this, [this] {
        d->commitOpenEdit();
        mk::本日(d->session, mk::TodayText());
        d->showCounter();
    });

    for (int i = 1; i <= 2; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString("Command2_%1").arg(i));
        b->setIcon(QIcon(i == 1 ? ":/edit/undo.png" : ":/edit/redo.png"));
        b->setAccessibleName(i == 1 ? "Undo" : "Redo");
        b->setGeometry(rectTwips(8400 + (i - 1) * 480, 1200, 450, 450));
        d->undoButtons[i] = b;
    }
    connect(d->undoButtons[1], &QPushButton::clicked, this, [this] {
        d->commitOpenEdit();
        mk::Undo(d->session);
        d->showCounter();
    });
    connect(d->undoButtons[2], &QPushButton::clicked, this, [this] {
        d->commitOpenEdit();
        mk::Redo(d->session);
        d->showCounter();
    });
    d->undoCaption = new QLabel("Undo", this);
    d->undoCaption->setObjectName("Label2");
    d->undoCaption->setGeometry(rectTwips(9500, 1050, 1500, 270));
    d->indicator = new UndoIndicator(s.undo, this);
    d->indicator->setGeometry(rectTwips(9450, 1320, 2700, 330));

    d->menuHint = new QLabel(QString::fromUtf8("右クリックで編集メニュー表示。マウスで移動出来ます。"), this);
    d->menuHint->setObjectName("Label5");
    d->menuHint->setGeometry(rectTwips(240, 1800, 6000, 300));
    d->columnLabel = new QLabel(this);
    d->columnLabel->setObjectName("Label3");
    d->columnLabel->setGeometry(rectTwips(6600, 1800, 600, 300));
    d->counterLabel = new QLabel("0", this);
    d->counterLabel->setObjectName("Label4");
    d->counterLabel->setGeometry(rectTwips(7300, 1800, 900, 300));
    d->counterLabel->setVisible(program.developerMode);

    d->grid = new GridView(this);
    d->grid->setObjectName("VSFlexGrid1");
    mk::SetVsGrid51(s.table, program.recordNumbersShown);
    d->grid->setTable(&s.table);
    d->grid->setGeometry(rectTwips(kGridLeft, kGridTop, 9600, 6000));
    connect(d->grid, &GridView::cellEdited, this, [this](int row, int col) {
        // After the view has finished with its editor: the edit may add a row.
        d->pendingEdits.emplace_back(row, col);
        QTimer::singleShot(0, this, [this] { d->runPendingEdits(); });
    });
    connect(d->grid, &GridView::cellMouseDown, this,
            [this](int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
                d->gridMouseDown(row, col, button, mods);
            });
    connect(d->grid, &GridView::gridMouseMove, this,
            [this](int, int, int row, int col) { d->gridMouseMove(row, col); });

    d->menu = new EditMenu(this);
    connect(d->menu, &EditMenu::itemChosen, this, [this](int item) { d->menuItem(item); });

    connect(d->menu, &EditMenu::dismissed, this, [this] { d->grid->setFocus(); });
    d->grid->installEventFilter(this);

    d->addHelpAndKeys();
    d->titleChanged();
    d->indicatorChanged();
}

void EditScreen::Private::addHelpAndKeys() {
    help = new MouseHelp(q, [this](QWidget* caption, bool hover) {
        for (int i = 1; i <= 4; ++i)
            if (labels[i] == caption)
                setLabelLook(i, hover ? mk::palette::LightCyan : mk::palette::White, hover);
    });
    for (int i = 1; i <= 4; ++i) {
        help->add(labels[i], kLabelHelp[i], labels[i]);
        makeKeyCommand(labels[i], [this, i] { command(i); });
    }
    help->add(picture, kLabelHelp[4], labels[4]);
    help->add(backIcon, kLabelHelp[4], labels[4]);
    help->add(title, kTitleHelp);
    help->add(today, kTodayHelp);
    for (int i = 1; i <= 2; ++i) help->add(undoButtons[i], kUndoHelp);
    help->addBackground(q);
    // Tab reaches the buttons; a click leaves the focus in the grid.
    for (QWidget* button : {static_cast<QWidget*>(today), static_cast<QWidget*>(undoButtons[1]),
                            static_cast<QWidget*>(undoButtons[2])})
        button->setFocusPolicy(Qt::TabFocus);
    enterClicksButtons(q);
}

EditScreen::~EditScreen() {
    // The grid and the indicator outlive this body (children go last); they
    // must let go of the table and the history before those are destroyed.
    d->session.observer = nullptr;
    d->grid->setTable(nullptr);
    delete d->indicator;
    delete d;
}

void EditScreen::新規保存画面() {
    d->shell.showBrowseScreen();
    if (parentWidget()) setGeometry(parentWidget()->rect());
    show();
    raise();
    mk::新規保存画面(d->session);
    d->counterLabel->setVisible(d->program.developerMode);
    d->showCounter();
    d->grid->applyLayout();
    d->grid->setCurrentCell(1, 1);
    d->grid->setFocus();
}

void EditScreen::showHandedOverEntry(const std::string& title,
                                     const std::vector<std::pair<std::string, std::string>>& rows) {
    mk::FillHandedOverEntry(d->session, title, rows);
    d->showCounter();
    d->grid->applyLayout();
    d->grid->setCurrentCell(1, mk::ecol::Item);
}

void EditScreen::setCommandEnabled(int label, bool enabled) {
    if (label < 1 || label > 4) return;
    d->session.commandEnabled[label] = enabled;
    d->commandsChanged();
}

bool EditScreen::commitOpenEdit() { return d->commitOpenEdit(); }
bool EditScreen::confirmLeave() { return d->confirmLeave(); }

void EditScreen::hideEditMenu() { d->menu->hide(); }
GridView* EditScreen::grid() const { return d->grid; }
mk::EditSession& EditScreen::session() { return d->session; }
QLineEdit* EditScreen::titleBox() const { return d->title; }
EditMenu* EditScreen::editMenu() const { return d->menu; }

void EditScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Width and height follow together; a side that would not fit keeps
    // its size, the other still follows.
    const int w = width() - px(kGridLeft) - px(kResizeMargin);
    const int h = height() - px(kGridTop) - px(kResizeMargin);
    d->grid->setGeometry(px(kGridLeft), px(kGridTop), w > 0 ? w : d->grid->width(),
                         h > 0 ? h : d->grid->height());
}

bool EditScreen::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == d->grid && type == QEvent::KeyPress)
        return d->menuKey(static_cast<QKeyEvent*>(event));
    for (int i = 1; i <= 4; ++i) {
        if (watched != d->labels[i]) continue;
        if (type == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            d->command(i);
            return true;
        }
        return false;
    }
    if (watched == d->picture || watched == d->backIcon) {
        if (type == QEvent::MouseButtonPress) {
            // Outside the caption: leave without a page switch, asking
            // first only when there is unsaved work.
            if (d->confirmLeave()) hide();
            return true;
        }
        return false;
    }
    if (watched == d->title) {
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                d->grid->setFocus();
                d->grid->setCurrentCell(1, 1);
                return true;
            }
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace mk::gui
