#pragma once
// A label button: a white caption on a picture background. The caption is a
// QLabel of its own (named after the control, for example "Label1_1") that
// fills its picture, so hover looks and mouse events are the caption's.
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace mk::gui {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QString& picture, const QString& caption, QWidget* parent = nullptr);
    QLabel* caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap picture_;
    QLabel* caption_;
};

// Caption looks: bright white and not bold, or light cyan and bold under the
// mouse.
void setCaptionLook(QLabel* caption, bool hover);
bool captionHovered(const QLabel* caption);

// A label's text colour (the palette's window text).
void setTextColor(QWidget* widget, const QColor& color);
QColor textColor(const QWidget* widget);

}  // namespace mk::gui
