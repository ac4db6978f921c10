#include "gui/edit/edit_menu.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

#include "core/base/messages.h"
#include "core/edit/edit_session.h"
#include "gui/app/twips.h"

namespace mk::gui {

namespace {
constexpr int kItemTwips = 227;  // the help line finds items by this height
const char* const kFrameHelp = "この部分をドラッグでメニューを移動出来ます。";
const char* const kListHelp = "クリックすると表示の機能を実行します。　　";
}  // namespace

EditMenu::EditMenu(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame1");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(236, 233, 216));
    setPalette(pal);
    setMouseTracking(true);
    setCursor(Qt::SizeAllCursor);

    caption_ = new QLabel(QString::fromUtf8("編集メニュー"), this);
    caption_->setObjectName("Frame1Caption");
    caption_->setGeometry(rectTwips(90, 30, 2300, 300));
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);

    list_ = new QListWidget(this);
    list_->setObjectName("List1");
    list_->setAccessibleName(QString::fromUtf8("編集メニュー"));
    list_->setCursor(Qt::ArrowCursor);
    list_->setUniformItemSizes(true);
    list_->setMouseTracking(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont small = list_->font();
    small.setPixelSize(px(kItemTwips) - 3);
    list_->setFont(small);
    for (const char* text : mk::kEditMenuItems) {
        auto* item = new QListWidgetItem(QString::fromUtf8(text), list_);
        item->setSizeHint(QSize(px(2300), px(kItemTwips)));
    }
    list_->setGeometry(rectTwips(90, 360, 2300, 7 * kItemTwips + 30));
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    resize(px(2480), px(360 + 7 * kItemTwips + 120));
    move(px(7500), px(2600));

    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit itemChosen(list_->row(item) + 1); });
    hide();
}

void EditMenu::open() {
    show();
    raise();
    // The arrow keys start from an item that shows as chosen.
    if (list_->currentRow() < 0) list_->setCurrentRow(0);
    list_->setFocus();
}

void EditMenu::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grabbed_ = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void EditMenu::mouseMoveEvent(QMouseEvent* event) {
    const QPoint now = event->position().toPoint();
    // Moves over the list reach here too once the list has ignored them.
    if (childAt(now) == list_ || (childAt(now) && childAt(now)->parentWidget() == list_)) return;
    if (event->buttons() & Qt::LeftButton) move(pos() + now - grabbed_);
    mk::ShowMouseHelp(kFrameHelp);
    event->accept();
}

bool EditMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            hide();
            emit dismissed();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_->currentRow() >= 0) {
            emit itemChosen(list_->currentRow() + 1);
            return true;
        }
    }
    if (watched == list_->viewport() && event->type() == QEvent::MouseMove) {
        const int y = twips(static_cast<QMouseEvent*>(event)->position().toPoint().y());
        mk::ShowMouseHelp(mk::MenuItemHelp(mk::MenuItemAt(y)) + kListHelp);
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace mk::gui
