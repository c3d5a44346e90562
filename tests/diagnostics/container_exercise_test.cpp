#include "container_exercise.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The records' frees are checked by the sanitizer builds: a leak or a second free fails there.
TEST(ContainerExercise, EachRunReportsTheSameLinesThroughOneBuffer) {
    std::vector<std::string> runs[2];
    for (auto& lines : runs) {
        const char* buffer = nullptr;
        ListVectorExercise([&](const char* szLine) {
            EXPECT_TRUE(buffer == nullptr || buffer == szLine) << "one buffer for every line";
            buffer = szLine;
            lines.emplace_back(szLine);
        });
    }
    EXPECT_FALSE(runs[0].empty());
    EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
