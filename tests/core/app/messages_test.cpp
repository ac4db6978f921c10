#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

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
    EXPECT_EQ(messages.messages.size(), 1u);
}

// The content line of the last report.
std::string reportedContent(const ScriptedMessages& messages) {
    const std::string& text = messages.last().text;
    const std::string label = "　エラー内容： ";
    const std::size_t begin = text.find(label) + label.size();
    return text.substr(begin, text.find('\r', begin) - begin);
}

bool hasAsciiLetter(const std::string& text) {
    for (char c : text)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return false;
}

// Every number the program raises reads in Japanese: a text of its own,
// never the C library's English message, whatever errno led to it.
TEST(ErrorReport, EveryNumberHasAJapaneseText) {
    ScriptedMessages messages;
    const int numbers[] = {5,  6,  7,  9,  13, 52, 53, 54, 55, 57, 58, 59,
                           61, 62, 63, 67, 68, 70, 71, 74, 75, 76, 429};
    for (int number : numbers) {
        SCOPED_TRACE(number);
        ErrorReport("x", RuntimeError(number));
        const std::string content = reportedContent(messages);
        ASSERT_FALSE(content.empty());
        EXPECT_GE(content.size(), 3u * 5);  // five or more Japanese characters
        EXPECT_EQ(content.substr(content.size() - 3), "。");
        if (number != ErrDeviceIO && number != ErrCannotCreateObject) {
            EXPECT_FALSE(hasAsciiLetter(content)) << content;
        }
    }
    EXPECT_EQ(describeError(ErrCannotCreateObject),
              "ActiveX コンポーネントはオブジェクトを作成できません。");
    EXPECT_EQ(describeError(ErrBadFileMode), "ファイルモードが不正です。");
    EXPECT_EQ(describeError(ErrDeviceIO), "デバイス I/O エラーです。");
    EXPECT_FALSE(describeError(12345).empty());

    for (int err = 1; err < 134; ++err) {
        SCOPED_TRACE(err);
        const RuntimeError e = errorFromErrno(err, "write /data/パスワード表題.dat");
        EXPECT_EQ(e.description(), describeError(e.number()) + " (/data/パスワード表題.dat)");
        ErrorReport("x", e);
        const std::string& text = messages.last().text;
        EXPECT_EQ(text.find(std::strerror(err)), std::string::npos);
        EXPECT_EQ(text.find("write"), std::string::npos);
        for (const char* english : {"No such file", "Permission denied", "No space"})
            EXPECT_EQ(text.find(english), std::string::npos);
    }
}

// Exceptions of the standard library get a classic number with its Japanese
// text; their English what() is never shown.
TEST(ErrorReport, OtherExceptionsMapToClassicNumbers) {
    ScriptedMessages messages;
    const struct {
        std::function<void()> fail;
        int number;
    } cases[] = {
        {[] { throw std::bad_alloc(); }, 7},
        {[] { std::string().reserve(std::string().max_size() + 1); }, 7},
        {[] { std::string("ab").at(5); }, 9},
        {[] { throw std::overflow_error("overflow"); }, 6},
        {[] { throw std::invalid_argument("bad argument"); }, 5},
        {[] { throw std::runtime_error("Something failed"); }, 5},
        {[] { throw std::system_error(ENOSPC, std::generic_category()); }, 61},
        {[] { throw std::bad_cast(); }, 13},
        {[] { throw 42; }, 5},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Trap("loc", c.fail));
        const std::string& text = messages.last().text;
        EXPECT_NE(text.find("　エラー番号： " + std::to_string(c.number) + "\r"), std::string::npos)
            << text;
        EXPECT_EQ(reportedContent(messages), describeError(c.number));
    }
}

TEST(Errors, ErrnoMapsToClassicNumbers) {
    EXPECT_EQ(errorNumberFromErrno(ENOENT), 53);
    EXPECT_EQ(errorNumberFromErrno(EACCES), 70);
    EXPECT_EQ(errorNumberFromErrno(EROFS), 70);
    EXPECT_EQ(errorNumberFromErrno(ENOSPC), 61);
    EXPECT_EQ(errorNumberFromErrno(ENOTDIR), 76);
    EXPECT_EQ(toInt16(INT16_MAX), INT16_MAX);
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
