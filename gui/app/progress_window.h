#pragma once
// The small window that shows the start-up's progress: one text line and a
// picture, titled with the application's title; a tool window owned by the
// main window.
#include <QWidget>

class QLabel;

namespace mk::gui {

class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    // `owner` is the main window; the progress window stays its tool window.
    explicit ProgressWindow(QWidget* owner = nullptr);

    // Shows the window again, in front, with the text.
    void setProgress(const QString& text);
    // Shows the window again and brings it to the front.
    void showAgain();
    QString text() const;

private:
    QLabel* text_ = nullptr;
};

}  // namespace mk::gui
