#include "container_exercise.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Every allocation and free this thread makes while counting, so that the test can tell that
// each one made by the exercise is freed exactly once (the sanitizer builds check it again).
namespace {
thread_local bool t_counting = false;
std::array<void*, 256> g_allocated{};
std::array<int, 256> g_frees{};
std::size_t g_nAllocated = 0;
int g_nForeignFrees = 0;

void Freed(void* p) {
    if (!t_counting || p == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < g_nAllocated; ++i) {
        if (g_allocated[i] == p && g_frees[i] == 0) {
            g_frees[i] = 1;
            return;
        }
    }
    ++g_nForeignFrees;
}
}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    if (t_counting && g_nAllocated < g_allocated.size()) {
        g_frees[g_nAllocated] = 0;
        g_allocated[g_nAllocated++] = p;
    }
    return p;
}

void operator delete(void* p) noexcept {
    Freed(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    Freed(p);
    std::free(p);
}

namespace {

std::vector<std::string> RunExercise() {
    std::vector<std::string> lines;
    lines.reserve(128);  // so that recording allocates nothing while counting
    const char* buffer = nullptr;
    g_nAllocated = 0;
    g_nForeignFrees = 0;
    t_counting = true;
    ListVectorExercise([&](const char* szLine) {
        EXPECT_TRUE(buffer == nullptr || buffer == szLine) << "one buffer for every line";
        buffer = szLine;
        t_counting = false;
        lines.emplace_back(szLine);
        t_counting = true;
    });
    t_counting = false;
    return lines;
}

std::vector<std::string> Expected() {
    std::vector<std::string> lines;
    const auto add = [&](const char* format, std::initializer_list<int> values) {
        for (const int value : values) {
            char line[64];
            std::snprintf(line, sizeof line, format, value);
            lines.emplace_back(line);
        }
    };
    const auto all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const auto odd = {1, 3, 5, 7, 9};
    add("aaevent_it=%d", all);
    add("\n m_listExitEvent2_it=%d", all);
    add("aaashow =%d", odd);
    add("\n m_listExitEvent2_it =%d", odd);
    add("\tm_vv=%d", all);
    add("\tm_vv2=%d", all);
    add("\tm_vv2=%d", odd);  // the emptied slots are passed over
    add("m_vv=%d ", odd);
    add("m_vv[i]=%d\n", {2, 4, 6, 8, 10});
    return lines;
}

TEST(ContainerExercise, FormatsItsLinesInOrderAndFreesEveryAllocationOnce) {
    for (int run = 0; run < 2; ++run) {
        const std::vector<std::string> lines = RunExercise();
        EXPECT_EQ(lines, Expected());
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "m_vv[i]=10\n");

        // Twenty records, the list nodes and the vectors' storage.
        EXPECT_GE(g_nAllocated, 40u);
        EXPECT_LT(g_nAllocated, g_allocated.size());
        for (std::size_t i = 0; i < g_nAllocated; ++i) {
            EXPECT_EQ(g_frees[i], 1) << "allocation " << i << " was not freed";
        }
        EXPECT_EQ(g_nForeignFrees, 0) << "freed twice, or not allocated by the exercise";
    }
}

}  // namespace
