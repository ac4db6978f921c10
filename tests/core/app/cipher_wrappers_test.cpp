// The program's wrappers around the cipher control and the plain marker, and
// the control created at run time from the library file.
#include "core/app/cipher_wrappers.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "core/app/cipher_library.h"
#include "core/base/errors.h"
#include "core/base/scripted_messages.h"
#include "tests/support/test_support.h"

namespace {

TEST(CipherWrappers, EmptyValuesAndThePlainMarker) {
    mk::ScriptedMessages messages;
    EXPECT_EQ(mk::暗号化(""), "");
    EXPECT_EQ(mk::復号化(""), "");
    EXPECT_EQ(mk::復号化("-*-"), "");
    EXPECT_EQ(mk::復号化("-*-平文のパスワード"), "平文のパスワード");
    // Behind the marker even a cipher text stays as it is.
    const std::string cipher = mk::暗号化("secret");
    EXPECT_EQ(mk::復号化("-*-" + cipher), cipher);
    EXPECT_TRUE(messages.messages.empty());
}

// The linked control (installed for these tests) and the one opened from
// the library file beside the program give the same results.
TEST(CipherWrappers, RoundTripThroughBothControls) {
    mk::ScriptedMessages messages;
    mk::CipherLibrary opened(MIRUKASU_BIN_DIR);
    for (bool useOpened : {false, true}) {
        std::optional<mk::ScopedCipherService> use;
        if (useOpened) use.emplace(&opened);
        for (const std::string text : {"a", "pass word", "パスワード＿ﾊﾟｽ①", "-*-looks like the marker"}) {
            const std::string cipher = mk::暗号化(text);
            ASSERT_FALSE(cipher.empty());
            EXPECT_NE(cipher.front(), '-');
            EXPECT_EQ(mk::復号化(cipher), text);
        }
    }
    // What one control wrote, the other reads.
    const std::string written = opened.toCipher("共有");
    EXPECT_EQ(mk::復号化(written), "共有");
    EXPECT_TRUE(messages.messages.empty());
}

TEST(CipherWrappers, LibraryFailureIsShownWithTheLibrarysName) {
    mk::CipherLibrary opened(MIRUKASU_BIN_DIR);
    for (mk::CipherService* control : {mk::cipherService(), static_cast<mk::CipherService*>(&opened)}) {
        mk::ScriptedMessages messages;
        mk::ScopedCipherService use(control);
        EXPECT_EQ(mk::復号化("a--b"), "");
        ASSERT_EQ(messages.messages.size(), 1u);
        const mk::RecordedMessage& m = messages.last();
        EXPECT_FALSE(m.text.empty());
        EXPECT_EQ(m.buttons, mk::Buttons::OK);
        EXPECT_EQ(m.icon, mk::Icon::Critical);
        EXPECT_EQ(m.title, "Ciphrax");
    }
}

// No file, a file that is no library, a library without the entry point:
// error 429, reported by createCipherControl, after which the stand-in
// gives "" and the program carries on.
TEST(CipherLibrary, AControlThatCannotBeCreatedIsError429) {
    mk::test::TempFolder empty, garbage;
    mk::test::writeFile(garbage.path() + mk::kCipherLibraryFile, "not a shared library");
    for (const std::string& folder : {empty.path(), garbage.path(), std::string(MIRUKASU_NO_ENTRY_DIR)}) {
        SCOPED_TRACE(folder);
        try {
            mk::CipherLibrary library(folder);
            ADD_FAILURE() << "opened";
        } catch (const mk::RuntimeError& e) {
            EXPECT_EQ(e.number(), mk::ErrCannotCreateObject);
            EXPECT_EQ(e.description().rfind("ActiveX コンポーネントはオブジェクトを作成できません。", 0), 0u);
        }

        mk::ScriptedMessages messages;
        std::unique_ptr<mk::CipherService> control = mk::createCipherControl(folder);
        ASSERT_TRUE(control);
        ASSERT_EQ(messages.messages.size(), 1u);
        const mk::RecordedMessage& m = messages.last();
        EXPECT_EQ(m.title, "エラー発生表示");
        EXPECT_NE(m.text.find("エラーの場所： CipherControl1 :  Ciphrax.CipherControl"), std::string::npos);
        EXPECT_NE(m.text.find("　エラー番号： 429\r"), std::string::npos);
        EXPECT_NE(m.text.find("　エラー内容： ActiveX コンポーネントはオブジェクトを作成できません。"),
                  std::string::npos);
        // The loader's own English reason never reaches the report.
        EXPECT_EQ(m.text.find("cannot open"), std::string::npos);
        EXPECT_EQ(m.text.find("undefined symbol"), std::string::npos);

        mk::ScopedCipherService use(control.get());
        EXPECT_EQ(mk::暗号化("secret"), "");
        EXPECT_EQ(mk::復号化("0a-bc"), "");
        EXPECT_EQ(mk::復号化("-*-plain"), "plain");
        EXPECT_EQ(messages.messages.size(), 1u);
    }
}

}  // namespace
