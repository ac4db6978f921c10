#include "gui/app/mouse_help.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

#include "core/base/messages.h"

namespace mk::gui {

MouseHelp::MouseHelp(QObject* parent, Look look) : QObject(parent), look_(std::move(look)) {}

void MouseHelp::add(QWidget* control, const char* text, QWidget* caption) {
    add(control, text ? Text([text] { return std::string(text); }) : Text(), caption);
}

void MouseHelp::add(QWidget* control, Text text, QWidget* caption, std::function<void()> also) {
    control->setMouseTracking(true);
    control->installEventFilter(this);
    controls_.push_back({control, std::move(text), caption, std::move(also), false});
    if (caption && std::find(captions_.begin(), captions_.end(), caption) == captions_.end())
        captions_.push_back(caption);
}

void MouseHelp::addBackground(QWidget* area) {
    area->setMouseTracking(true);
    area->installEventFilter(this);
    controls_.push_back({area, [] { return std::string(); }, nullptr, {}, true});
}

void MouseHelp::plainCaptions() {
    if (!look_) return;
    for (QWidget* caption : captions_) look_(caption, false);
}

const MouseHelp::Control* MouseHelp::find(QObject* widget) const {
    for (const Control& control : controls_)
        if (control.widget == widget) return &control;
    return nullptr;
}

void MouseHelp::show(const Control& control) {
    // The pointer can pass from one caption to the next without touching
    // the background between them: only the caption under it stays lit.
    if (look_)
        for (QWidget* caption : captions_) look_(caption, caption == control.caption);
    if (control.text) mk::ShowMouseHelp(control.text());
    if (control.also) control.also();
}

bool MouseHelp::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::Enter && type != QEvent::Leave) return false;
    const Control* control = find(watched);
    if (!control) return false;
    if (type == QEvent::Leave) {
        // Out of the window from a caption: nothing else would put it back.
        if (look_ && control->caption) look_(control->caption, false);
        return false;
    }
    if (type == QEvent::Enter) {
        if (!control->background) show(*control);
        return false;
    }
    auto* move = static_cast<QMouseEvent*>(event);
    if (control->background) {
        // Moves that a child let through arrive here too; only the area's
        // own counts.
        auto* area = static_cast<QWidget*>(watched);
        if (!area->childAt(move->position().toPoint())) show(*control);
        return false;
    }
    show(*control);
    // Without a button the move means nothing more to the control; with one
    // (a drag, a text selection) it goes on as usual.
    return move->buttons() == Qt::NoButton;
}

namespace {

bool isRunKey(const QKeyEvent* key) {
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                                     key->key() == Qt::Key_Enter);
}

class KeyCommand : public QObject {
public:
    KeyCommand(QWidget* caption, std::function<void()> run)
        : QObject(caption), caption_(caption), run_(std::move(run)) {
        caption->setFocusPolicy(Qt::TabFocus);
        caption->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (!isRunKey(static_cast<QKeyEvent*>(event))) return false;
                run_();
                return true;
            case QEvent::FocusIn:
            case QEvent::FocusOut: {
                // The caption underlined shows where the focus is, whatever
                // its colour and background, and apart from the hover look.
                QFont font = caption_->font();
                font.setUnderline(event->type() == QEvent::FocusIn);
                caption_->setFont(font);
                return false;
            }
            default:
                return false;
        }
    }

private:
    QWidget* caption_;
    std::function<void()> run_;
};

class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
            return false;
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

}  // namespace

void makeKeyCommand(QWidget* caption, std::function<void()> run) {
    new KeyCommand(caption, std::move(run));
}

void enterClicksButtons(QWidget* screen) {
    auto* filter = new EnterClicks(screen);
    for (QPushButton* button : screen->findChildren<QPushButton*>()) button->installEventFilter(filter);
}

}  // namespace mk::gui
