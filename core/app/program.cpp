#include "core/app/program.h"

#include "core/store/browse_load.h"
#include "core/store/text.h"

namespace mk {

int EditContext::firstRow() const { return int(LeadingNumber(blockFirst)); }
int EditContext::lastRow() const { return int(LeadingNumber(blockLast)); }

void EditContext::setBlock(int first, int last) {
    blockFirst = std::to_string(first);
    blockLast = std::to_string(last);
}

void EditContext::reset() {
    blockFirst = "MainR1";
    blockLast = "MainR2";
}

Program::Program(std::string appFolder) : store(std::move(appFolder)), browse(1, 8) {}

void Program::reload() { データ読込(store, browse, recordNumbersShown, &browseLoad); }

void Program::reloadWritten() { データ読込(store, browse, recordNumbersShown, &browseLoad, true); }

}  // namespace mk
