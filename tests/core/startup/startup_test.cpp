// The login prompt and the start-up decisions, with scripted answers.
#include <gtest/gtest.h>

#include <vector>

#include "core/startup/login.h"
#include "core/startup/startup_logic.h"
#include "core/base/scripted_messages.h"
#include "core/store/browse_load.h"
#include "core/store/file_layer.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

const std::string CR = "\r";
std::string line(const std::string& text) { return text + CR + "  " + CR; }

struct LoginCase {
    const char* name;
    Settings settings;
    std::vector<std::string> answers;
    bool goesOn;
    int prompts;
};

TEST(Login, AnswersAgainstTheStoredPassword) {
    const std::vector<LoginCase> cases = {
        {"skip mode asks nothing", {"", "pw", "h", "スキップ"}, {}, true, 0},
        {"any other mode asks nothing", {"", "pw", "h", "入力"}, {}, true, 0},
        {"full-width capitals match lower case", {"", "abc123", "h", "入力する"}, {"ＡＢＣ１２３"}, true, 1},
        {"wrong, then right", {"", "secret", "h", "入力する"}, {"wrong", "x", "Secret"}, true, 3},
        {"cancel at once", {"", "secret", "h", "入力する"}, {}, false, 1},
        {"an empty stored password matches nothing", {"", "", "h", "入力する"}, {"a", " "}, false, 3},
    };
    for (const LoginCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessages messages;
        messages.inputs.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(ログイン(c.settings), c.goesOn);
        int prompts = 0;
        for (const auto& m : messages.messages) prompts += m.isInput;
        EXPECT_EQ(prompts, c.prompts);
        if (!c.goesOn) {
            EXPECT_EQ(messages.last().text, "キャンセルがクリックされたので　起動しないで終了します。");
            EXPECT_EQ(messages.last().icon, Icon::Critical);
            EXPECT_EQ(messages.last().title, "Mirukasu");
        }
    }
}

TEST(Login, AWrongAnswerIsQuotedWithTheHint) {
    ScriptedMessages messages;
    messages.inputs = {"wrong", "SECRET"};
    ASSERT_TRUE(ログイン({"", "secret", "ペットの名前", "入力する"}));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].title, "ログインパスワードの入力　　");
    EXPECT_EQ(messages.messages[0].text, line("ログインパスワードを入力してください。"));
    EXPECT_EQ(messages.messages[1].text, line("入力したログインパスワード　wrong は不一致です。  ") +
                                             line("ログインパスワードを入力してください。") +
                                             line("ヒントは　ペットの名前  です。"));
}

TEST(StartUpLogic, FirstStartNeedsBothFilesMissing) {
    test::TempFolder folder;
    Program program(folder.path());
    EXPECT_TRUE(isFirstStart(program));
    ASSERT_TRUE(fs::makeDirectory(program.dataFolder()));
    test::writeFile(program.store.titlePath(), "");
    EXPECT_FALSE(isFirstStart(program));
    ScriptedMessages messages;
    EXPECT_FALSE(makeSampleDataOnFirstStart(program));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(StartUpLogic, TheFirstBlockEndsBeforeTheNextTitle) {
    Program program("/nonexistent/");
    program.browse.setRows(5);
    for (int r = 1; r <= 4; ++r) program.browse.setText(r, bcol::Title, "A");
    setFirstBlockCurrent(program);
    EXPECT_EQ(program.editContext.blockLast, "4");  // one title: to the last row
    program.browse.setText(3, bcol::Title, "B");
    setFirstBlockCurrent(program);
    EXPECT_EQ(program.editContext.blockFirst, "1");
    EXPECT_EQ(program.editContext.blockLast, "2");
    EXPECT_EQ(program.editContext.currentRow, 1);
    EXPECT_EQ(program.editContext.currentCol, 1);
}

}  // namespace
}  // namespace mk
