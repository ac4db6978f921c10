#include "core/startup/login.h"

#include "core/base/messages.h"
#include "core/settings/settings_file.h"
#include "core/store/text.h"

namespace mk {

bool ログイン(const Settings& settings) {
    if (settings.LoginMode != kLoginAsk) return true;
    const std::string stored = CompareKey(settings.LoginPassword);
    SetMessageLines({kLoginPrompt});
    for (;;) {
        const std::string answer = InputBox(JoinMessageLines(), kLoginTitle, "");
        LastAnswer.text = answer;
        // An empty stored password therefore matches no answer at all.
        if (answer.empty()) {
            MsgBox(kLoginCancelled, Buttons::OK, Icon::Critical);
            WaitSeconds(0.2);
            return false;
        }
        if (CompareKey(answer) == stored) return true;
        SetMessageLines({"入力したログインパスワード　" + answer + " は不一致です。  ",
                         kLoginPrompt, "ヒントは　" + settings.LoginHint + "  です。"});
    }
}

}  // namespace mk
