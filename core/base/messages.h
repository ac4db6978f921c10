#pragma once
// The program-wide message service: message lines, message boxes, input
// boxes, timed waits, the mouse-help line and the error report.
//
// The GUI installs a Qt implementation of MessageService; tests install a
// ScriptedMessages (scripted_messages.h) that records every message and
// answers from a queue.
#include <array>
#include <initializer_list>
#include <string>

namespace mk {

class RuntimeError;

// YesNoDefaultNo asks as YesNo does, with No as the default button: a
// question whose Yes destroys data is never answered by a stray Enter.
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel, AbortRetryIgnore, YesNoDefaultNo };

enum class Icon { None, Critical, Question, Exclamation, Information };

// Button codes of a message box's answer.
enum Answer : int {
    AnswerOK = 1,
    AnswerCancel = 2,
    AnswerAbort = 3,
    AnswerRetry = 4,
    AnswerIgnore = 5,
    AnswerYes = 6,
    AnswerNo = 7
};

// What a service without a user answers: Yes where the buttons offer it,
// otherwise OK.
inline int unattendedAnswer(Buttons buttons) {
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ||
                   buttons == Buttons::YesNoDefaultNo
               ? AnswerYes
               : AnswerOK;
}

inline const char* const kAppTitle = "Mirukasu";

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a message box and returns the button pressed (an Answer).
    // Line breaks in `text` are single CRs, as JoinMessageLines makes them.
    virtual int messageBox(const std::string& text, Buttons buttons, Icon icon,
                           const std::string& title) = 0;
    // Shows an input box; returns the typed text, or "" on Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Lets pending window events run.
    virtual void processEvents() {}
    // Sets the main window's mouse-help line.
    virtual void showMouseHelp(const std::string& text) { (void)text; }
    // Seconds on a monotonic clock (tests may script it).
    virtual double monotonicSeconds();
};

// Installs the program-wide service; nullptr restores a silent default that
// answers OK / Yes and empty input. Returns the previous one.
MessageService* installMessageService(MessageService* service);
MessageService& messageService();

// Lines 1..20 of a message, ended by a line "*". Index 0 is not used.
extern std::array<std::string, 21> MessageLines;

// The answer that a routine kept from its last message or input box.
struct LastAnswerValue {
    int button = 0;    // an Answer code for message boxes
    std::string text;  // the typed text for input boxes
};
extern LastAnswerValue LastAnswer;

// Joins MessageLines from 1 up to the end marker: each line followed by CR,
// two spaces and CR.
std::string JoinMessageLines();

// Fills MessageLines 1..n with `lines` and puts the end marker after them.
void SetMessageLines(std::initializer_list<std::string> lines);

// Message box: returns the Answer. The default title is the application's.
int MsgBox(const std::string& text, Buttons buttons = Buttons::OK, Icon icon = Icon::None,
           const std::string& title = kAppTitle);
// Input box: returns the text, "" on Cancel.
std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText = {});

void ShowMouseHelp(const std::string& text);
void DoEvents();
// DoEvents at most once a display frame (1/60 s): for loops that set a
// progress text far more often than a screen can show it. Painting each of
// those texts would cost more than the work they report on.
void DoEventsPaced();
// Returns after `seconds` on the monotonic clock, letting events run meanwhile.
void WaitSeconds(double seconds);

// The error report for `error`, raised inside the routine at `location`.
void ErrorReport(const std::string& location, const RuntimeError& error);
void ErrorReport(const std::string& location, int number, const std::string& description);

// Runs `body` under an error trap: any error is reported with `location` and
// the function returns false; the caller carries on.
template <class Body>
bool Trap(const std::string& location, Body&& body);

// Reports the exception currently being handled (inside a catch block).
void ReportCurrentException(const std::string& location);

template <class Body>
bool Trap(const std::string& location, Body&& body) {
    try {
        body();
        return true;
    } catch (...) {
        ReportCurrentException(location);
        return false;
    }
}

}  // namespace mk
