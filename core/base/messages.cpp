#include "core/base/messages.h"

#include <chrono>

#include "core/base/errors.h"

namespace mk {

std::array<std::string, 21> MessageLines;
LastAnswerValue LastAnswer;

double MessageService::monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {

// Used before the GUI installs its service (and by tools): answers OK/Yes.
class SilentMessages : public MessageService {
public:
    int messageBox(const std::string&, Buttons buttons, Icon, const std::string&) override {
        return unattendedAnswer(buttons);
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

SilentMessages silentMessages;
MessageService* current = &silentMessages;

}  // namespace

MessageService* installMessageService(MessageService* service) {
    MessageService* previous = current;
    current = service ? service : &silentMessages;
    return previous == &silentMessages ? nullptr : previous;
}

MessageService& messageService() { return *current; }

std::string JoinMessageLines() {
    std::string joined;
    for (std::size_t i = 1; i <= 20; ++i) {
        if (MessageLines[i] == "*") break;
        joined += MessageLines[i];
        joined += "\r  \r";
    }
    return joined;
}

void SetMessageLines(std::initializer_list<std::string> lines) {
    std::size_t i = 1;
    for (const auto& line : lines) {
        if (i > 19) break;
        MessageLines[i++] = line;
    }
    MessageLines[i] = "*";
}

int MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title) {
    return current->messageBox(text, buttons, icon, title);
}

std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText) {
    return current->inputBox(prompt, title, defaultText);
}

void ShowMouseHelp(const std::string& text) { current->showMouseHelp(text); }

void DoEvents() { current->processEvents(); }

void DoEventsPaced() {
    constexpr double kFrameSeconds = 1.0 / 60;
    static double last = -1.0;
    const double now = current->monotonicSeconds();
    if (last >= 0 && now >= last && now - last < kFrameSeconds) return;
    last = now;
    current->processEvents();
}

void WaitSeconds(double seconds) {
    // A monotonic clock: the wait ends correctly over midnight and clock changes.
    const double start = current->monotonicSeconds();
    do {
        current->processEvents();
    } while (current->monotonicSeconds() - start < seconds);
}

namespace {

struct ReportTexts {
    std::string content;
    std::string remedy;
};

ReportTexts reportTexts(int number, const std::string& description) {
    switch (number) {
        case 53:
            return {"指定のファイルが見つかりません。", ""};
        case 68:
            return {"指定のドライブは存在しないようです。", ""};
        case 70:
            return {"ファイルが使われています。",
                    "ファイルを終了させて　再度プログラムを実行してください。"};
        case 75:
            return {"パス名が無効です。", "ファイルを開いている場合は閉じてから実行して下さい。"};
        case 76:
            return {"指定のディレクトリは見当たりません。", ""};
        default:
            return {description.empty() ? describeError(number) : description, ""};
    }
}

}  // namespace

void ErrorReport(const std::string& location, int number, const std::string& description) {
    const ReportTexts texts = reportTexts(number, description);
    SetMessageLines({
        "===== Subroutine　Error ====",
        "エラーの場所： " + location,
        "　エラー番号： " + std::to_string(number),
        "　エラー内容： " + texts.content,
        "　エラー処置： " + texts.remedy,
        "操作で復旧出来ない場合は プログラムの再起動をお願いします。",
        "",
    });
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information, "エラー発生表示");
}

void ErrorReport(const std::string& location, const RuntimeError& error) {
    ErrorReport(location, error.number(), error.description());
}

void ReportCurrentException(const std::string& location) { ErrorReport(location, currentError()); }

}  // namespace mk
