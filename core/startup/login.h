#pragma once
// The login prompt of the start-up sequence.
#include "core/app/program.h"

namespace mk {

inline const char* const kLoginPrompt = "ログインパスワードを入力してください。";
inline const char* const kLoginTitle = "ログインパスワードの入力　　";
inline const char* const kLoginCancelled =
    "キャンセルがクリックされたので　起動しないで終了します。";

// Asks for the login password when LoginMode is exactly "入力する", until
// the answer matches LoginPassword under CompareKey (case and full/half
// width do not matter); a wrong answer asks again with the mismatch and the
// hint, without limit. True when the program may go on; false after an
// empty answer (Cancel), which shows the cancel message and waits 0.2 s.
bool ログイン(const Settings& settings);

}  // namespace mk
