// The program's wrappers around the cipher library and the plain marker.
#include "core/app/cipher_wrappers.h"

#include <gtest/gtest.h>

#include "core/base/scripted_messages.h"

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

TEST(CipherWrappers, RoundTrip) {
    mk::ScriptedMessages messages;
    for (const std::string text : {"a", "pass word", "パスワード＿ﾊﾟｽ①", "-*-looks like the marker"}) {
        const std::string cipher = mk::暗号化(text);
        ASSERT_FALSE(cipher.empty());
        EXPECT_NE(cipher.front(), '-');
        EXPECT_EQ(mk::復号化(cipher), text);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST(CipherWrappers, LibraryFailureIsShownWithTheLibrarysName) {
    mk::ScriptedMessages messages;
    EXPECT_EQ(mk::復号化("a--b"), "");
    ASSERT_EQ(messages.messages.size(), 1u);
    const mk::RecordedMessage& m = messages.last();
    EXPECT_FALSE(m.text.empty());
    EXPECT_EQ(m.buttons, mk::Buttons::OK);
    EXPECT_EQ(m.icon, mk::Icon::Critical);
    EXPECT_EQ(m.title, "Ciphrax");
}

}  // namespace
