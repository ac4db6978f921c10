#pragma once
// The program's message service on Qt: message boxes, input boxes, event
// processing and the main window's mouse-help line.
#include <QPointer>
#include <QString>
#include <functional>

#include "core/base/messages.h"

class QApplication;
class QWidget;

namespace mk::gui {

// The message texts break lines with single CRs; a Qt label wants LFs.
QString messageText(const std::string& text);

class QtMessages : public mk::MessageService {
public:
    QtMessages();   // installs itself as the program-wide service
    ~QtMessages() override;  // restores the previous service

    // The window that owns the dialogs (while it is shown and not minimised).
    void setOwner(QWidget* owner) { owner_ = owner; }
    // Where mouse-help texts go.
    void setMouseHelpSink(std::function<void(const QString&)> sink) { helpSink_ = std::move(sink); }

    int messageBox(const std::string& text, mk::Buttons buttons, mk::Icon icon,
                   const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void processEvents() override;
    void showMouseHelp(const std::string& text) override;

private:
    QWidget* dialogParent() const;

    QPointer<QWidget> owner_;
    std::function<void(const QString&)> helpSink_;
    mk::MessageService* previous_ = nullptr;
};

// Loads Qt's own Japanese texts (standard buttons such as "はい", "キャンセル").
// Returns false when the translation is not installed.
bool installJapaneseQtTexts(QApplication& app);

}  // namespace mk::gui
