// Placeholder until the edit screen is built.
#include "gui/edit/edit_screen.h"

#include "core/app/program.h"
#include "gui/app/grid_view.h"

namespace mk::gui {

struct EditScreen::Private {
    GridView* grid = nullptr;
};

EditScreen::EditScreen(mk::Program&, Shell&, QWidget* parent) : QWidget(parent), d(new Private) {
    setObjectName("編集登録画面");
    d->grid = new GridView(this);
    d->grid->setObjectName("VSFlexGrid1");
}

EditScreen::~EditScreen() { delete d; }
void EditScreen::新規保存画面() { show(); }
void EditScreen::setCommandEnabled(int, bool) {}
void EditScreen::hideEditMenu() {}
GridView* EditScreen::grid() const { return d->grid; }

}  // namespace mk::gui
