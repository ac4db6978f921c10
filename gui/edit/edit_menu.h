#pragma once
// The floating "編集メニュー": a frame with a list of seven commands,
// dragged by its frame, run by click or by the arrow keys and Enter,
// hidden by Esc.
#include <QFrame>
#include <QPoint>

class QLabel;
class QListWidget;

namespace mk::gui {

class EditMenu : public QFrame {
    Q_OBJECT
public:
    explicit EditMenu(QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // Shows the frame where it was last placed and focuses the list.
    void open();

signals:
    // A list item (1..7) was clicked, or chosen with the arrow keys and Enter.
    void itemChosen(int item);
    // Esc hid the menu.
    void dismissed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* caption_ = nullptr;
    QListWidget* list_ = nullptr;
    QPoint grabbed_;  // where the left button went down inside the frame
};

}  // namespace mk::gui
