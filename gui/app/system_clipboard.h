#pragma once
// The desktop's clipboard behind mk::Clipboard. Texts go out with the
// "x-kde-passwordManagerHint: secret" type, which clipboard managers read as
// "do not keep this in the history".
#include "core/base/clipboard.h"

namespace mk::gui {

class SystemClipboard : public mk::Clipboard {
public:
    void clear() override;
    void setText(const std::string& text) override;
    std::string text() override;
};

// Installs one SystemClipboard as the program's clipboard (once), and adds
// the hint to every copy that the program's own widgets make.
void installSystemClipboard();

}  // namespace mk::gui
