#include "string_list.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(CStringList, FindIndexIsNullOutsideTheList) {
    CStringList list;
    for (const int index : {INT_MIN, -1, 0, 1}) {
        EXPECT_EQ(list.FindIndex(index), nullptr) << index;
    }
    list.AddTail("a");
    list.AddTail("b");
    list.AddTail("c");
    for (const int index : {INT_MIN, -1, 3, 4, INT_MAX}) {
        EXPECT_EQ(list.FindIndex(index), nullptr) << index;
    }
    const char* expected[] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        const POSITION position = list.FindIndex(i);
        ASSERT_NE(position, nullptr);
        EXPECT_STREQ(list.GetAt(position), expected[i]);
    }
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.FindIndex(0), nullptr);
}

}  // namespace
