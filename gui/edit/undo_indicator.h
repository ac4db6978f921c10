#pragma once
// The undo indicator: ten boxes, stored levels filled, the current one
// marked.
#include <QWidget>

namespace mk {
class UndoHistory;
}

namespace mk::gui {

class UndoIndicator : public QWidget {
    Q_OBJECT
public:
    UndoIndicator(const mk::UndoHistory& history, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const mk::UndoHistory& history_;
};

}  // namespace mk::gui
