#include "text_conv.h"

#include <gtest/gtest.h>

#include "win_error.h"

namespace {

TEST(WideCharToMultiByte, EncodesUtf8ReplacesUnpairedSurrogatesAndOverflowsIntoNothing) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\u00e9\U0001F600", "\xC3\xA9\xF0\x9F\x98\x80"},
        {u"\xD83D", "\xEF\xBF\xBD"},  // high surrogate before the NUL
        {u"\xDE00x", "\xEF\xBF\xBDx"},
        {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const auto& [in, out] : cases) {
        const int needed = static_cast<int>(out.size()) + 1;
        const auto convert = [&, in = in.c_str()](char* buffer, int room) {
            return WideCharToMultiByte(CP_ACP, 0, in, -1, buffer, room, nullptr, nullptr);
        };
        std::string buffer(12, 'x');
        EXPECT_EQ(convert(nullptr, 0), needed);
        EXPECT_EQ(convert(buffer.data(), needed - 1), 0);
        EXPECT_TRUE(GetLastError() == ERROR_INSUFFICIENT_BUFFER && buffer == std::string(12, 'x'));
        EXPECT_EQ(convert(buffer.data(), needed), needed);
        EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(needed)), out + '\0');
    }
    // A counted input ends at its count, even between the halves of a pair.
    char buffer[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600", 1, buffer, 8, nullptr, nullptr), 3);
    EXPECT_STREQ(buffer, "\xEF\xBF\xBD");
}

}  // namespace
