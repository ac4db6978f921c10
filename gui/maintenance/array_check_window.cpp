#include "gui/maintenance/array_check_window.h"

#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/program.h"
#include "core/base/messages.h"
#include "core/maintenance/array_check.h"
#include "gui/app/grid_view.h"
#include "gui/app/shell.h"

namespace mk::gui {

namespace {
// Neither button has an error report of its own; a failure to read the
// files is still shown, under the button's name.
const char* const kSlotCheckLocation = "表題と項目のRec";
const char* const kContentListLocation = "項目表示";
}  // namespace

ArrayCheckWindow::ArrayCheckWindow(mk::Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), program_(program), table_(1, 1) {
    setObjectName(QStringLiteral("ArrayCheckWindow"));
    setWindowTitle(QString::fromUtf8("データ配列検査"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    command1_ = new QPushButton(QString::fromUtf8("表題と項目のRec"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QString::fromUtf8("項目表示"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    buttons->addStretch();
    layout->addLayout(buttons);
    grid_ = new GridView(this);
    grid_->setObjectName(QStringLiteral("VSFlexGrid1"));
    grid_->setTable(&table_);
    layout->addWidget(grid_, 1);
    resize(1000, 600);

    connect(command1_, &QPushButton::clicked, this, [this] {
        mk::Trap(kSlotCheckLocation, [&] { 表題と項目のRec(program_.store, table_); });
        grid_->applyLayout();
    });
    connect(command2_, &QPushButton::clicked, this, [this] {
        mk::Trap(kContentListLocation, [&] { 項目表示(program_.store, table_); });
        grid_->applyLayout();
    });
}

ArrayCheckWindow::~ArrayCheckWindow() { grid_->setTable(nullptr); }

ArrayCheckWindow* showArrayCheck(mk::Program& program, Shell& shell) {
    QWidget* owner = shell.mainWindow();
    ArrayCheckWindow* window = owner ? owner->findChild<ArrayCheckWindow*>() : nullptr;
    if (!window) {
        window = new ArrayCheckWindow(program, owner);
        QPointer<ArrayCheckWindow> guard(window);
        // Hidden with the screens whenever the page changes.
        shell.addCommitBeforeSwitch([guard] {
            if (guard) guard->hide();
            return false;
        });
    }
    window->show();
    window->raise();
    return window;
}

}  // namespace mk::gui
