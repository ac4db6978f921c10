#pragma once
// A message service for tests: records every message box and input box and
// answers from queues. Unanswered message boxes get OK (or Yes), unanswered
// input boxes "" (Cancel). The clock advances by itself on every wait, so
// flows with WaitSeconds run instantly.
#include <deque>
#include <string>
#include <vector>

#include "core/base/messages.h"

namespace mk {

struct RecordedMessage {
    std::string text;
    Buttons buttons = Buttons::OK;
    Icon icon = Icon::None;
    std::string title;
    bool isInput = false;  // an input box (text = prompt)
};

class ScriptedMessages : public MessageService {
public:
    ScriptedMessages();   // installs itself
    ~ScriptedMessages() override;  // restores the previous service

    std::deque<int> answers;             // message box answers, in order
    std::deque<std::string> inputs;      // input box answers, in order
    std::vector<RecordedMessage> messages;
    std::vector<std::string> mouseHelp;  // every text sent to the help line
    int eventsProcessed = 0;
    double clock = 1000.0;               // seconds; advanced by processEvents
    double tick = 0.05;

    int messageBox(const std::string& text, Buttons buttons, Icon icon,
                   const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void processEvents() override;
    void showMouseHelp(const std::string& text) override;
    double monotonicSeconds() override { return clock; }

    const RecordedMessage& last() const { return messages.back(); }

private:
    MessageService* previous_ = nullptr;
};

}  // namespace mk
