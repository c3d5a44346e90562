#include "perf_data_source.h"

#include <gtest/gtest.h>

#include "perf_source_fixture.h"

namespace {

using namespace std::chrono_literals;

// The block's size, 0 when the query fails.
DWORD Size() {
    DWORD size = 0;
    return QueryPerfData(nullptr, &size) == ERROR_MORE_DATA ? size : 0;
}

class PerfDataSourceTest : public PerfSourceTest {
protected:
    void SetUp() override {
        PerfSourceTest::SetUp();
        samples = {{"eth0"}};
    }
};

TEST_F(PerfDataSourceTest, OneReadServesEveryQueryWithinTheReuseAge) {
    SetPerfDataSnapshotReuse(1h);
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(Size(), 0u);
    }
    EXPECT_EQ(queries, 1);
    SetPerfDataSnapshotReuse(0ns);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(Size(), 0u);
    }
    EXPECT_EQ(queries, 4);
}

TEST_F(PerfDataSourceTest, AFailedReadIsNotKept) {
    SetPerfDataSnapshotReuse(1h);
    fail = true;
    EXPECT_EQ(Size(), 0u);
    fail = false;
    EXPECT_GT(Size(), 0u);
    EXPECT_EQ(queries, 2);
}

TEST_F(PerfDataSourceTest, RawBlocksAreServedAsTheyAre) {
    const DWORD built = Size();
    BYTE data[4] = {};
    for (const std::size_t length : {3u, 0u}) {
        SetRawPerfDataSource([length](std::vector<std::byte>& block) {
            block.assign(length, std::byte{7});
            return 0;
        });
        DWORD size = sizeof data;
        EXPECT_EQ(QueryPerfData(data, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, length);
    }
    EXPECT_EQ(data[2], 7);
    EXPECT_EQ(data[3], 0);
    SetRawPerfDataSource({});
    EXPECT_EQ(Size(), built);
}

TEST_F(PerfDataSourceTest, ACallerLearnsWhetherAQueryWouldReturnItsBlockAgain) {
    SetPerfDataSnapshotReuse(1h);
    std::vector<BYTE> data(Size());
    DWORD size = static_cast<DWORD>(data.size());
    ASSERT_EQ(QueryPerfData(data.data(), &size), ERROR_SUCCESS);
    const std::uint64_t first = LastPerfDataServed();
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(PerfDataStillServed(first));
    EXPECT_FALSE(PerfDataStillServed(0));

    SetPerfDataSnapshotReuse(1h);  // drops the block: the next query reads afresh
    EXPECT_FALSE(PerfDataStillServed(first));
    ASSERT_EQ(QueryPerfData(data.data(), &size), ERROR_SUCCESS);
    EXPECT_GT(LastPerfDataServed(), first);
    fail = true;
    SetPerfDataSnapshotReuse(1h);
    EXPECT_EQ(QueryPerfData(data.data(), &size), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(PerfDataStillServed(LastPerfDataServed())) << "a failed read serves nothing";
}

}  // namespace
