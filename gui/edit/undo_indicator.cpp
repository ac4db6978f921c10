#include "gui/edit/undo_indicator.h"

#include <QPainter>

#include "core/base/messages.h"
#include "core/edit/undo_history.h"
#include "gui/app/grid_model.h"

namespace mk::gui {

UndoIndicator::UndoIndicator(const mk::UndoHistory& history, QWidget* parent)
    : QWidget(parent), history_(history) {
    setObjectName("Picture2");
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void UndoIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    // Scale: x from 0.8 (left) to 11.2 (right), y from 1.2 (top) to -0.2
    // (bottom); box i spans x i..i+1 and y 0..1.
    const double sx = width() / 10.4;
    const double sy = height() / 1.4;
    auto box = [&](int i) {
        return QRectF((i - 0.8) * sx, 0.2 * sy, sx, sy).adjusted(0, 0, -1, -1);
    };
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 1; i <= mk::UndoHistory::kLevels; ++i) {
        const QRectF r = box(i);
        if (history_.box(i) != mk::UndoHistory::Box::Empty)
            p.fillRect(r, toQColor(mk::kIndicatorStoredFill));
        p.setPen(QPen(toQColor(mk::kIndicatorOutline), 1));
        p.drawRect(r);
    }
    const QRectF current = box(history_.current());
    p.fillRect(current, toQColor(mk::kIndicatorCurrentFill));
    p.setPen(QPen(toQColor(mk::kIndicatorCurrentOutline), 1));
    p.drawRect(current);
}

void UndoIndicator::mouseMoveEvent(QMouseEvent* event) {
    mk::ShowMouseHelp("アンドゥ、リドゥのインジケータです。");
    QWidget::mouseMoveEvent(event);
}

}  // namespace mk::gui
