#include "container_exercise.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The records' frees are checked by the sanitizer builds: a leak or a second free fails there.
TEST(ContainerExercise, FormatsEveryLineInOrderIntoOneBuffer) {
    std::vector<std::string> expected;
    const auto add = [&](const char* format, std::vector<int> values) {
        for (const int value : values) {
            char line[64];
            std::snprintf(line, sizeof line, format, value);
            expected.emplace_back(line);
        }
    };
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<int> odd = {1, 3, 5, 7, 9};
    add("aaevent_it=%d", all);
    add("\n m_listExitEvent2_it=%d", all);
    add("aaashow =%d", odd);
    add("\n m_listExitEvent2_it =%d", odd);
    add("\tm_vv=%d", all);
    add("\tm_vv2=%d", all);
    add("\tm_vv2=%d", odd);  // the emptied slots are passed over
    add("m_vv=%d ", odd);
    add("m_vv[i]=%d\n", {2, 4, 6, 8, 10});

    for (int run = 0; run < 2; ++run) {
        std::vector<std::string> lines;
        const char* buffer = nullptr;
        ListVectorExercise([&](const char* szLine) {
            EXPECT_TRUE(buffer == nullptr || buffer == szLine) << "one buffer for every line";
            buffer = szLine;
            lines.emplace_back(szLine);
        });
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(lines.back(), "m_vv[i]=10\n");
    }
}

}  // namespace
