#include "text_conv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "win_error.h"

namespace {

TEST(WideCharToMultiByte, EncodesUtf8AndReplacesUnpairedSurrogates) {
    const std::pair<std::u16string_view, std::string_view> cases[] = {
        {u"", ""},
        {u"eth0", "eth0"},
        {u"\u00e9\u4e2d", "\xC3\xA9\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\xD83D", "\xEF\xBF\xBD"},  // high surrogate before the NUL
        {u"\xDE00x", "\xEF\xBF\xBDx"},
        {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const auto& [in, out] : cases) {
        const std::u16string text(in);
        char buffer[16];
        const int needed =
            WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        ASSERT_EQ(needed, static_cast<int>(out.size()) + 1);
        EXPECT_EQ(
            WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, needed, nullptr, nullptr),
            needed);
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(needed)), std::string(out) + '\0');
    }
    // A counted input ends at its count, even between the halves of a pair.
    char buffer[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600", 1, buffer, 8, nullptr, nullptr), 3);
    EXPECT_STREQ(buffer, "\xEF\xBF\xBD");
}

TEST(WideCharToMultiByte, OverflowWritesNothingAndSetsTheError) {
    const char16_t text[] = u"\u4e2d\u4e2d";  // 6 bytes and the NUL
    for (int room = 1; room <= 6; ++room) {
        char out[8] = "xxxxxxx";
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, room, nullptr, nullptr), 0);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_STREQ(out, "xxxxxxx") << room;
    }
}

}  // namespace
