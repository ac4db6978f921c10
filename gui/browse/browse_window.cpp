// Placeholder until the browse window is built: a grid over the browse table.
#include "gui/browse/browse_window.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/app/program.h"
#include "gui/app/grid_view.h"

namespace mk::gui {

struct BrowseWindow::Private {
    mk::Program& program;
    GridView* grid = nullptr;
    QLabel* counter = nullptr;
    bool lock = true;
};

BrowseWindow::BrowseWindow(mk::Program& program, Shell&, QWidget* parent)
    : QWidget(parent), d(new Private{program}) {
    auto* layout = new QVBoxLayout(this);
    d->counter = new QLabel("-*-", this);
    d->counter->setObjectName("Label6");
    d->grid = new GridView(this);
    d->grid->setObjectName("VSFlexGrid1");
    d->grid->setTable(&program.browse);
    layout->addWidget(d->counter);
    layout->addWidget(d->grid);
}

BrowseWindow::~BrowseWindow() { delete d; }
GridView* BrowseWindow::grid() const { return d->grid; }
QLabel* BrowseWindow::counter() const { return d->counter; }
void BrowseWindow::setDeveloperMode(bool) {}
void BrowseWindow::setEditLock(bool checked) { d->lock = checked; d->grid->setEditable(!checked); }
bool BrowseWindow::editLock() const { return d->lock; }
void BrowseWindow::startCurrentCellTimer() {}
void BrowseWindow::reload() { d->program.reload(); d->grid->applyLayout(); }

}  // namespace mk::gui
