#pragma once
// The mouse help of one screen. A move over a control puts the control's
// text into the main window's help line and, for a command, shows its
// caption as the one under the mouse (every other caption of the screen
// goes back to its plain look). The move stops at the control: passed on to
// a frame or to the screen, their own help would clear the line and the
// looks again at once. A move over a background area itself (the screen, a
// frame) clears the line and the looks.
//
// Commands are reachable from the keyboard too: a caption made a key
// command takes the focus by Tab, shows it underlined, and runs on Space
// and Enter.
#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace mk::gui {

class MouseHelp : public QObject {
public:
    // The help text, read when the pointer arrives (some texts name what
    // other boxes hold). An empty function leaves the line as it is.
    using Text = std::function<std::string()>;
    // A caption's look under the mouse (true) or plain (false).
    using Look = std::function<void(QWidget* caption, bool hover)>;

    explicit MouseHelp(QObject* parent, Look look = {});

    // `caption`, when given, is lit while the pointer is over `control`.
    // `also` runs after the text is shown (a caption that only flashes).
    void add(QWidget* control, const char* text, QWidget* caption = nullptr);
    void add(QWidget* control, Text text, QWidget* caption = nullptr,
             std::function<void()> also = {});
    // The screen or a frame: a move over the area itself, not over a child.
    void addBackground(QWidget* area);
    // Every caption of the screen in its plain look.
    void plainCaptions();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control {
        QWidget* widget = nullptr;
        Text text;
        QWidget* caption = nullptr;
        std::function<void()> also;
        bool background = false;
    };
    const Control* find(QObject* widget) const;
    void show(const Control& control);

    Look look_;
    std::vector<Control> controls_;
    std::vector<QWidget*> captions_;
};

// Makes `caption` a command of the keyboard: it takes the focus by Tab (a
// click does not move the focus away from where the user works), is
// underlined while it has it, and runs `run` on Space, Enter and Return.
void makeKeyCommand(QWidget* caption, std::function<void()> run);
// Enter and Return click every push button of `screen` that has the focus,
// as Space already does.
void enterClicksButtons(QWidget* screen);

}  // namespace mk::gui
