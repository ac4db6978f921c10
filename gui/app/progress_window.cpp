#include "gui/app/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

#include "core/base/messages.h"
#include "gui/app/twips.h"

namespace mk::gui {

ProgressWindow::ProgressWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {
    // A tool window of its owner (the main window): in front of that window
    // and minimised with it, never on top of every other program.
    setObjectName("ProgressWindow");
    setWindowTitle(mk::kAppTitle);
    setFixedSize(px(7200), px(1500));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(px(240), px(180), px(240), px(180));
    layout->setSpacing(px(240));
    auto* picture = new QLabel(this);
    picture->setObjectName("Picture1");
    picture->setPixmap(QPixmap(":/icons/database.png").scaled(px(720), px(720), Qt::KeepAspectRatio,
                                                             Qt::SmoothTransformation));
    layout->addWidget(picture);
    text_ = new QLabel(this);
    text_->setObjectName("Label1");
    text_->setWordWrap(true);
    layout->addWidget(text_, 1);
}

void ProgressWindow::showAgain() {
    show();
    raise();
}

void ProgressWindow::setProgress(const QString& text) {
    showAgain();
    text_->setText(text);
}

QString ProgressWindow::text() const { return text_->text(); }

}  // namespace mk::gui
