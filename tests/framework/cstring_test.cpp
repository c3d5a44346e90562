#include "cstring.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Through a template, as the compiler's printf checking does not know %I64d.
CString Formatted(const char* format, auto... args) {
    CString s = "stale";
    s.Format(format, args...);
    return s;
}

// Around the small buffer; the value after a 64-bit one is read from the right slot.
TEST(CStringFormat, FormatsTextOfAnyLengthWithWindows64BitPlaceholders) {
    for (const std::size_t length : {255u, 256u, 257u, 5000u}) {
        const std::string text(length, 'k');
        EXPECT_EQ(Formatted("%s%I64d|%s", text.c_str(), LLONG_MIN, "x").str(),
                  text + "-9223372036854775808|x")
            << length;
    }
}

}  // namespace
