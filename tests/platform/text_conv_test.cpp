#include "text_conv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "win_error.h"

namespace {

// Converts with cchWideChar -1, so the output counts the terminating NUL.
std::string Convert(std::u16string_view text) {
    const std::u16string terminated(text);
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, terminated.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\xCC');
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, terminated.c_str(), -1, out.data(), needed, nullptr,
                                  nullptr),
              needed);
    return out;
}

TEST(WideCharToMultiByte, EncodesUtf8AndReplacesUnpairedSurrogates) {
    struct Case {
        std::u16string_view in;
        std::string_view out;  // without the NUL
    };
    const Case cases[] = {
        {u"", ""},
        {u"eth0", "eth0"},
        {u"\u00e9", "\xC3\xA9"},
        {u"\u4e2d", "\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\xD83D", "\xEF\xBF\xBD"},    // high surrogate before the NUL
        {u"\xDE00x", "\xEF\xBF\xBDx"},  // lone low surrogate
        {u"\xD83Dx", "\xEF\xBF\xBDx"},  // high surrogate before a non-surrogate
        {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(c.in), std::string(c.out) + '\0');
    }
}

TEST(WideCharToMultiByte, CountedInputStopsAtItsCountEvenInsideAPair) {
    const char16_t text[] = u"\U0001F600";
    char out[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 1, out, sizeof out, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(out), "\xEF\xBF\xBD");
}

TEST(WideCharToMultiByte, OverflowWritesNothingAndSetsTheError) {
    const char16_t text[] = u"\u4e2d\u4e2d";  // 6 bytes and the NUL
    char out[8];
    for (int room = 1; room <= 6; ++room) {
        std::memset(out, 'x', sizeof out);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, room, nullptr, nullptr), 0);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'x')) << room;
    }
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, 7, nullptr, nullptr), 7);
}

TEST(WideCharToMultiByte, RejectsBadArguments) {
    const char16_t text[] = u"a";
    char out[4];
    struct Case {
        UINT codePage;
        DWORD flags;
        LPCWSTR in;
        int count;
        int room;
    };
    const Case cases[] = {
        {1252, 0, text, -1, 4},   {CP_UTF8, 1, text, -1, 4}, {CP_UTF8, 0, nullptr, -1, 4},
        {CP_UTF8, 0, text, 0, 4}, {CP_UTF8, 0, text, -2, 4}, {CP_UTF8, 0, text, -1, -1},
    };
    for (const Case& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(
            WideCharToMultiByte(c.codePage, c.flags, c.in, c.count, out, c.room, nullptr, nullptr),
            0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

}  // namespace
