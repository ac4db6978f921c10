#pragma once
// The system clipboard, plain text. The GUI installs one over the desktop's
// clipboard; tests use their own.
#include <string>

namespace mk {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // What the program copies may be a password: the desktop's clipboard
    // managers are asked not to keep it in their history.
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() = 0;
};

// The program's clipboard; null until one is installed.
Clipboard* programClipboard();
void setProgramClipboard(Clipboard* clipboard);

}  // namespace mk
