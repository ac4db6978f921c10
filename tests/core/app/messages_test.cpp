#include <gtest/gtest.h>

#include <cerrno>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/base/scripted_messages.h"

namespace mk {
namespace {

TEST(JoinMessageLines, JoinsUpToTheEndMarkerWithCrSpacesCr) {
    SetMessageLines({"A", "B"});
    EXPECT_EQ(JoinMessageLines(), "A\r  \rB\r  \r");

    MessageLines[1] = "*";
    EXPECT_EQ(JoinMessageLines(), "");

    // Without an end marker all twenty lines are joined.
    std::string expected;
    for (int i = 1; i <= 20; ++i) {
        MessageLines[i] = std::to_string(i);
        expected += std::to_string(i) + "\r  \r";
    }
    EXPECT_EQ(JoinMessageLines(), expected);
}

TEST(ErrorReport, FileErrorsHaveFixedTextsAndRemedies) {
    ScriptedMessages messages;
    ErrorReport("4802 :  Sub Openfile1()", RuntimeError(70));
    ASSERT_EQ(messages.messages.size(), 1u);
    const auto& m = messages.last();
    EXPECT_EQ(m.title, "エラー発生表示");
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.buttons, Buttons::OK);
    EXPECT_EQ(m.text,
              "===== Subroutine　Error ====\r  \r"
              "エラーの場所： 4802 :  Sub Openfile1()\r  \r"
              "　エラー番号： 70\r  \r"
              "　エラー内容： ファイルが使われています。\r  \r"
              "　エラー処置： ファイルを終了させて　再度プログラムを実行してください。\r  \r"
              "操作で復旧出来ない場合は プログラムの再起動をお願いします。\r  \r"
              "\r  \r");

    const struct {
        int number;
        const char* content;
        const char* remedy;
    } fixed[] = {
        {53, "指定のファイルが見つかりません。", ""},
        {68, "指定のドライブは存在しないようです。", ""},
        {75, "パス名が無効です。", "ファイルを開いている場合は閉じてから実行して下さい。"},
        {76, "指定のディレクトリは見当たりません。", ""},
    };
    for (const auto& f : fixed) {
        ErrorReport("x", RuntimeError(f.number));
        EXPECT_NE(messages.last().text.find(std::string("　エラー内容： ") + f.content + "\r"),
                  std::string::npos);
        EXPECT_NE(messages.last().text.find(std::string("　エラー処置： ") + f.remedy + "\r"),
                  std::string::npos);
    }
}

TEST(ErrorReport, OtherErrorsShowTheirOwnDescription) {
    ScriptedMessages messages;
    ErrorReport("here", RuntimeError(ErrOverflow));
    EXPECT_NE(messages.last().text.find("　エラー番号： 6\r"), std::string::npos);
    EXPECT_NE(messages.last().text.find("　エラー内容： オーバーフローしました。\r"),
              std::string::npos);
}

TEST(Trap, ReportsAndReturnsFalseOnAnyError) {
    ScriptedMessages messages;
    EXPECT_TRUE(Trap("loc", [] {}));
    EXPECT_TRUE(messages.messages.empty());

    EXPECT_FALSE(Trap("loc", [] { throw errorFromErrno(ENOENT, "open"); }));
    EXPECT_NE(messages.last().text.find("　エラー番号： 53\r"), std::string::npos);

    EXPECT_FALSE(Trap("loc", [] { throw std::bad_alloc(); }));
    EXPECT_NE(messages.last().text.find("　エラー番号： 7\r"), std::string::npos);
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST(Errors, ErrnoMapsToClassicNumbers) {
    EXPECT_EQ(errorNumberFromErrno(ENOENT), 53);
    EXPECT_EQ(errorNumberFromErrno(EACCES), 70);
    EXPECT_EQ(errorNumberFromErrno(EROFS), 70);
    EXPECT_EQ(errorNumberFromErrno(ENOSPC), 61);
    EXPECT_EQ(errorNumberFromErrno(ENOTDIR), 76);
    EXPECT_EQ(toInt16(32767), 32767);
    EXPECT_THROW(toInt16(32768), RuntimeError);
    try {
        toInt16(-32769);
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

// A clock that jumps back to zero (a time-of-day clock at midnight) must not
// end the wait early or make it endless: the service's clock is monotonic,
// and the wait is measured only by its differences.
TEST(WaitSeconds, RunsEventsUntilTheTimeHasPassed) {
    ScriptedMessages messages;
    messages.clock = 86399.9;  // just before midnight on a time-of-day clock
    messages.tick = 0.01;
    WaitSeconds(0.2);
    EXPECT_GE(messages.eventsProcessed, 20);
    EXPECT_LE(messages.eventsProcessed, 21);
    EXPECT_GE(messages.clock - 86399.9, 0.2 - 1e-9);
}

TEST(ScriptedMessages, AnswersFromTheQueueThenDefaults) {
    ScriptedMessages messages;
    messages.answers = {AnswerNo};
    messages.inputs = {"abc"};
    EXPECT_EQ(MsgBox("q", Buttons::YesNo, Icon::Question), AnswerNo);
    EXPECT_EQ(MsgBox("q", Buttons::YesNo, Icon::Question), AnswerYes);
    EXPECT_EQ(MsgBox("ok"), AnswerOK);
    EXPECT_EQ(InputBox("p", "t"), "abc");
    EXPECT_EQ(InputBox("p", "t"), "");
    EXPECT_EQ(messages.messages[0].title, "Mirukasu");
    EXPECT_TRUE(messages.messages[3].isInput);
}

}  // namespace
}  // namespace mk
