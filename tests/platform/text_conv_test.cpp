#include "text_conv.h"

#include <gtest/gtest.h>

#include "win_error.h"

namespace {

TEST(WideCharToMultiByte, EncodesUtf8ReplacesUnpairedSurrogatesAndOverflowsIntoNothing) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", ""},
        {u"eth0", "eth0"},
        {u"\u00e9\u4e2d", "\xC3\xA9\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\xD83D", "\xEF\xBF\xBD"},  // high surrogate before the NUL
        {u"\xDE00x", "\xEF\xBF\xBDx"},
        {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const auto& [in, out] : cases) {
        const int needed = static_cast<int>(out.size()) + 1;
        ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, in.c_str(), -1, nullptr, 0, nullptr, nullptr),
                  needed);
        for (int room = 1; room <= needed; ++room) {
            std::string buffer(8, 'x');
            SetLastError(ERROR_SUCCESS);
            EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, in.c_str(), -1, buffer.data(), room, nullptr,
                                          nullptr),
                      room == needed ? needed : 0);
            if (room < needed) {
                EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
                EXPECT_EQ(buffer, std::string(8, 'x')) << room;
            }
        }
        char buffer[8];
        WideCharToMultiByte(CP_UTF8, 0, in.c_str(), -1, buffer, needed, nullptr, nullptr);
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(needed)), out + '\0');
    }
    // A counted input ends at its count, even between the halves of a pair.
    char buffer[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600", 1, buffer, 8, nullptr, nullptr), 3);
    EXPECT_STREQ(buffer, "\xEF\xBF\xBD");
}

}  // namespace
