#include "cstring.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

CString Formatted(const char* format, auto... args) {
    CString s = "stale";
    s.Format(format, args...);
    return s;
}

// The values after a 64-bit one are read from the right slots; %% stays a percent sign.
TEST(CStringFormat, TranslatesWindows64BitPlaceholdersAtAnyLength) {
    EXPECT_STREQ(Formatted("%I64d|%I64u|%-12I64X|%s %.1f|100%%|%%I64d", LLONG_MIN, ULLONG_MAX,
                           0xABCDEF0123ULL, "x", 0.25),
                 "-9223372036854775808|18446744073709551615|ABCDEF0123  |x 0.2|100%|%I64d");
    for (const std::size_t length : {255u, 256u, 257u, 5000u}) {  // around the small buffer
        const std::string text(length, 'k');
        EXPECT_EQ(Formatted("%s%I64d", text.c_str(), -1LL).str(), text + "-1") << length;
    }
}

}  // namespace
