#include "core/base/clipboard.h"

namespace mk {

namespace {
Clipboard* installed = nullptr;
}

Clipboard* programClipboard() { return installed; }

void setProgramClipboard(Clipboard* clipboard) { installed = clipboard; }

}  // namespace mk
