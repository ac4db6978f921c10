#include "gui/browse/label_button.h"

#include <QPainter>

#include "core/store/colors.h"
#include "gui/app/grid_model.h"

namespace mk::gui {

PictureBox::PictureBox(const QString& picture, const QString& caption, QWidget* parent)
    : QWidget(parent), picture_(picture), caption_(new QLabel(caption, this)) {
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setAttribute(Qt::WA_TranslucentBackground);
    caption_->setMouseTracking(true);
    caption_->setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setCaptionLook(caption_, false);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!picture_.isNull()) painter.drawPixmap(rect(), picture_);
}

void PictureBox::resizeEvent(QResizeEvent*) { caption_->setGeometry(rect()); }

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor textColor(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

void setCaptionLook(QLabel* caption, bool hover) {
    const QColor color = toQColor(hover ? palette::LightCyan : palette::White);
    if (textColor(caption) != color) setTextColor(caption, color);
    if (caption->font().bold() != hover) {
        QFont font = caption->font();
        font.setBold(hover);
        caption->setFont(font);
    }
}

bool captionHovered(const QLabel* caption) {
    return caption->font().bold() && textColor(caption) == toQColor(palette::LightCyan);
}

}  // namespace mk::gui
