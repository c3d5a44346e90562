#include "perf_data_source.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class PerfDataSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetInterfaceSampleSource([this]() -> std::optional<std::vector<InterfaceSample>> {
            ++m_reads;
            return m_fail ? std::nullopt : std::optional(std::vector<InterfaceSample>{{"eth0"}});
        });
    }
    void TearDown() override {
        SetInterfaceSampleSource({});
        SetRawPerfDataSource({});
        SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
    }

    // The block's size, 0 when the query fails.
    static DWORD Size() {
        DWORD size = 0;
        return QueryPerfData(nullptr, &size) == ERROR_MORE_DATA ? size : 0;
    }

    int m_reads = 0;
    bool m_fail = false;
};

TEST_F(PerfDataSourceTest, OneReadServesEveryQueryWithinTheReuseAge) {
    SetPerfDataSnapshotReuse(1h);
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(Size(), 0u);
    }
    EXPECT_EQ(m_reads, 1);
    SetPerfDataSnapshotReuse(0ns);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(Size(), 0u);
    }
    EXPECT_EQ(m_reads, 4);
}

TEST_F(PerfDataSourceTest, AFailedReadIsNotKept) {
    SetPerfDataSnapshotReuse(1h);
    m_fail = true;
    EXPECT_EQ(Size(), 0u);
    m_fail = false;
    EXPECT_GT(Size(), 0u);
    EXPECT_EQ(m_reads, 2);
}

TEST_F(PerfDataSourceTest, RawBlocksAreServedAsTheyAre) {
    const DWORD built = Size();
    BYTE data[4] = {};
    for (const std::size_t length : {3u, 0u}) {
        SetRawPerfDataSource([length] { return std::vector<std::byte>(length, std::byte{7}); });
        DWORD size = sizeof data;
        EXPECT_EQ(QueryPerfData(data, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, length);
    }
    EXPECT_EQ(data[2], 7);
    EXPECT_EQ(data[3], 0);
    SetRawPerfDataSource({});
    EXPECT_EQ(Size(), built);
}

}  // namespace
