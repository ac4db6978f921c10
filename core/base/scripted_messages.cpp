#include "core/base/scripted_messages.h"

namespace mk {

ScriptedMessages::ScriptedMessages() { previous_ = installMessageService(this); }

ScriptedMessages::~ScriptedMessages() { installMessageService(previous_); }

int ScriptedMessages::messageBox(const std::string& text, Buttons buttons, Icon icon,
                                 const std::string& title) {
    messages.push_back({text, buttons, icon, title, false});
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return unattendedAnswer(buttons);
}

std::string ScriptedMessages::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string&) {
    messages.push_back({prompt, Buttons::OKCancel, Icon::None, title, true});
    if (inputs.empty()) return {};
    std::string answer = inputs.front();
    inputs.pop_front();
    return answer;
}

void ScriptedMessages::processEvents() {
    ++eventsProcessed;
    clock += tick;
}

void ScriptedMessages::showMouseHelp(const std::string& text) { mouseHelp.push_back(text); }

}  // namespace mk
