#include "string_list.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(CStringList, FindIndexIsNullOutsideTheList) {
    CStringList list;
    for (const std::string text : {"a", "b", "c", ""}) {
        for (const int index : {INT_MIN, -1, list.GetCount(), list.GetCount() + 1, INT_MAX}) {
            EXPECT_EQ(list.FindIndex(index), nullptr) << index;
        }
        for (int i = 0; i < list.GetCount(); ++i) {
            EXPECT_STREQ(list.GetAt(list.FindIndex(i)), std::string(1, 'a' + i).c_str());
        }
        if (!text.empty()) {
            list.AddTail(text.c_str());
        }
    }
    list.RemoveAll();
    EXPECT_EQ(list.FindIndex(0), nullptr);
}

}  // namespace
