#include "perf_data_source.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class PerfDataSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetInterfaceSampleSource([this]() -> std::optional<std::vector<InterfaceSample>> {
            ++m_reads;
            if (m_fail) {
                return std::nullopt;
            }
            return std::vector<InterfaceSample>{{"eth0", 1, 2, 0}};
        });
    }
    void TearDown() override {
        SetInterfaceSampleSource({});
        SetRawPerfDataSource({});
        SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
    }

    static DWORD Size() {
        DWORD size = 0;
        const DWORD result = QueryPerfData(nullptr, &size);
        return result == ERROR_MORE_DATA ? size : 0;
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
    DWORD size = 0;
    EXPECT_EQ(QueryPerfData(nullptr, &size), ERROR_FILE_NOT_FOUND);
    m_fail = false;
    EXPECT_GT(Size(), 0u);
    EXPECT_EQ(m_reads, 2);
    EXPECT_EQ(QueryPerfData(nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(PerfDataSourceTest, ARawSourceIsServedAsItIsAndDropsTheSnapshot) {
    SetPerfDataSnapshotReuse(1h);
    const DWORD built = Size();
    SetRawPerfDataSource([] { return std::vector<std::byte>(3, std::byte{7}); });
    BYTE data[4] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(QueryPerfData(data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(data[2], 7);
    EXPECT_EQ(data[3], 0);
    SetRawPerfDataSource([] { return std::vector<std::byte>(); });
    size = sizeof data;
    EXPECT_EQ(QueryPerfData(data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    SetRawPerfDataSource({});
    EXPECT_EQ(Size(), built);
}

}  // namespace
