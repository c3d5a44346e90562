#include "container_exercise.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

namespace {

// The records' frees are checked by the sanitizer builds: a leak or a second free fails there.
TEST(ContainerExercise, FormatsEveryLineInOrderIntoOneBuffer) {
    const std::pair<const char*, std::vector<int>> formats[] = {
        {"aaevent_it=%d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"\n m_listExitEvent2_it=%d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"aaashow =%d", {1, 3, 5, 7, 9}},
        {"\n m_listExitEvent2_it =%d", {1, 3, 5, 7, 9}},
        {"\tm_vv=%d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"\tm_vv2=%d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 3, 5, 7, 9}},  // emptied slots skipped
        {"m_vv=%d ", {1, 3, 5, 7, 9}},
        {"m_vv[i]=%d\n", {2, 4, 6, 8, 10}},
    };
    std::vector<std::string> expected;
    for (const auto& [format, values] : formats) {
        for (const int value : values) {
            expected.push_back(QString::asprintf(format, value).toStdString());
        }
    }
    for (int run = 0; run < 2; ++run) {
        std::vector<std::string> lines;
        const char* buffer = nullptr;
        ListVectorExercise([&](const char* szLine) {
            EXPECT_TRUE(buffer == nullptr || buffer == szLine) << "one buffer for every line";
            buffer = szLine;
            lines.emplace_back(szLine);
        });
        EXPECT_EQ(lines, expected);
    }
}

}  // namespace
