#include "cstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>

#include "win_init.h"

namespace {

CString Formatted(const char* format, auto... args) {
    CString s = "stale";
    s.Format(format, args...);
    return s;
}

TEST(CStringFormat, TranslatesWindows64BitPlaceholdersAtAnyLength) {
    EXPECT_STREQ(Formatted("%I64d", LLONG_MIN), "-9223372036854775808");
    EXPECT_STREQ(Formatted("%I64u", ULLONG_MAX), "18446744073709551615");
    EXPECT_STREQ(Formatted("%I64x", 0x1234567890abcdefULL), "1234567890abcdef");
    EXPECT_STREQ(Formatted("[%-12I64X]", 0xABCDEF0123ULL), "[ABCDEF0123  ]");
    EXPECT_STREQ(Formatted("%08I64d|%s|%d", 42LL, "x", 7), "00000042|x|7");
    // The values after a 64-bit one are read from the right slots.
    EXPECT_STREQ(Formatted("%I64d %I64d %.1f", 1LL << 40, -2LL, 0.25), "1099511627776 -2 0.2");
    EXPECT_STREQ(Formatted("100%% %I64d", 5LL), "100% 5");
    EXPECT_STREQ(Formatted("%%I64d"), "%I64d");
    // Whole at the small buffer's boundary.
    for (const std::size_t length : {0u, 1u, 254u, 255u, 256u, 257u, 5000u}) {
        const std::string text(length, 'k');
        EXPECT_EQ(Formatted("%s", text.c_str()).str(), text) << length;
        EXPECT_EQ(Formatted("%s%I64d", text.c_str(), -1LL).str(), text + "-1") << length;
    }
}

// QApplication takes the user's locale for numbers; the program's own start takes it back.
TEST(CStringFormat, NumbersKeepTheDecimalPointUnderADecimalCommaLocale) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale here (scripts/install-deps.sh makes one)";
    }
    ASSERT_STREQ(Formatted("%.1f", 2.5), "2,5");
    AfxWinInit();
    EXPECT_STREQ(Formatted("outRate=%.1f KB/sec", 2.5), "outRate=2.5 KB/sec");
}

}  // namespace
