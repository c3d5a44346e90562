// The performance data's registry key, which serves the block built from the kernel's counters;
// the block's layout is read through its own lengths by the traffic counter's tests.
#include "perf_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "perf_source_fixture.h"
#include "registry.h"

namespace {

using namespace std::chrono_literals;

// The registry key passes the source's codes through: one good read serves every query within
// the reuse age, into a buffer that holds it only.
TEST_F(PerfSourceTest, OneGoodReadServesEveryQueryWithinTheReuseAgeAndAnyBufferThatHoldsIt) {
    samples = {{"eth0", 1, 2, 0}, {"lo", 3, 4, 0}};
    std::vector<BYTE> buffer;
    DWORD size = 0, type = 0;
    const auto query = [&](DWORD length, LPCSTR name = "510") {
        buffer.assign(length, 0xAB);
        size = length;
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, name, nullptr, &type,
                                length == 0 ? nullptr : buffer.data(), &size);
    };
    SetPerfDataSnapshotReuse(1h);
    fail = true;
    EXPECT_EQ(query(0), ERROR_FILE_NOT_FOUND);
    fail = false;  // a failed read is not kept
    ASSERT_EQ(query(0), ERROR_MORE_DATA);
    const DWORD needed = size;
    EXPECT_TRUE(query(needed - 1) == ERROR_MORE_DATA && size == needed);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), needed - 1) << "left alone";
    ASSERT_EQ(query(needed + 8), ERROR_SUCCESS);
    EXPECT_TRUE(size == needed && type == REG_BINARY && buffer[needed] == 0xAB &&
                std::memcmp(buffer.data(), u"PERF", 8) == 0);
    EXPECT_EQ(queries, 2);
    SetPerfDataSnapshotReuse(1h);  // drops the block: the next query reads afresh
    fail = true;
    EXPECT_EQ(query(needed), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(PerfDataStillServed(LastPerfDataServed())) << "a failed read serves nothing";
    fail = false;
    EXPECT_EQ(query(0, "511"), ERROR_FILE_NOT_FOUND) << "another counter";
}

}  // namespace
