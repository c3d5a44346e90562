#include "traffic_counter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "perf_records.h"
#include "perf_source_fixture.h"

namespace {

// In a block built for system name u"h": the object, then its four counter definitions.
constexpr std::size_t kObject = 96;
constexpr std::size_t CounterTitle(std::size_t i) {
    return kObject + sizeof(PERF_OBJECT_TYPE) + i * sizeof(PERF_COUNTER_DEFINITION) +
           offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex);
}

class TrafficCounterTest : public PerfSourceTest {
protected:
    // Lists `samples` into m_counter, a counter of bytes sent.
    void List() {
        m_counter.SetCounterIndex(506);
        ASSERT_EQ(m_counter.EnumInterfaces(), 1);
    }
    CString Name(int position) {
        CString name;
        EXPECT_EQ(m_counter.GetInterfaceName(name, position), 1);
        return name;
    }

    CTrafficCounter m_counter;
};

TEST_F(TrafficCounterTest, ListsEveryInstanceInOrder) {
    samples = {{"eth0"}, {"wlan0"}, {"lo"}};
    List();
    EXPECT_EQ(m_counter.GetInterfaceCount(), 2);
    EXPECT_STREQ(Name(0), "eth0");
    EXPECT_STREQ(Name(2), "lo");
    CString untouched = "keep";
    EXPECT_EQ(m_counter.GetInterfaceName(untouched, 3), 0);
    EXPECT_EQ(m_counter.GetInterfaceName(untouched, -1), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(TrafficCounterTest, BlocksWithoutInstancesOrBandwidthListNothing) {
    auto noInstances = BuildPerfDataBlock({}, u"h");
    Patch(noInstances, kObject + offsetof(PERF_OBJECT_TYPE, NumInstances),
          static_cast<DWORD>(PERF_NO_INSTANCES));
    auto noBandwidth = BuildPerfDataBlock({{"eth0", 1, 2, 3}}, u"h");
    Patch(noBandwidth, CounterTitle(3), 999);
    for (const auto& block : {noInstances, noBandwidth}) {
        ServeRaw(block);
        EXPECT_EQ(m_counter.EnumInterfaces(), 1);
        EXPECT_EQ(m_counter.GetInterfaceCount(), -1);
    }
}

TEST_F(TrafficCounterTest, GrowthIsTheLow32BitsModulo2To32) {
    const std::tuple<std::uint64_t, std::uint64_t, double> cases[] = {
        {100, 700, 600.0},
        {4294967000, 200, 496.0},
        {0x1'0000'0064, 0x1'0000'02BC, 600.0},
        {0x1'0000'0005, 0x2'0000'0005, 0.0},  // a whole 2^32 is invisible 32 bits wide
    };
    for (const auto& [first, second, growth] : cases) {
        samples = {{"eth0", 0, first, 0}};
        List();
        EXPECT_EQ(m_counter.GetTraffic(0), 0.0) << "the first sample has no growth";
        samples[0].txBytes = second;
        EXPECT_EQ(m_counter.GetTraffic(0), growth) << first;
    }
}

TEST_F(TrafficCounterTest, EachPositionKeepsItsOwnPreviousSample) {
    samples = {{"a", 0, 1000, 0}, {"b", 0, 2000, 0}, {"c", 0, 3000, 0}, {"d", 0, 4000, 0}};
    List();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_counter.GetTraffic(i), 0.0);
    }
    for (int round = 1; round <= 3; ++round) {
        for (std::size_t i = 0; i < 4; ++i) {
            samples[i].txBytes += 100 * (i + 1) * round;
        }
        for (int i = 3; i >= 0; --i) {
            EXPECT_EQ(m_counter.GetTraffic(i), 100.0 * (i + 1) * round) << i;
        }
    }
}

TEST_F(TrafficCounterTest, ADuplicatedNameReadsTheFirstInstance) {
    samples = {{"eth0", 0, 100, 0}, {"eth0", 0, 5000, 0}};
    List();
    EXPECT_EQ(m_counter.GetTraffic(1), 0.0);
    samples[0].txBytes += 10;
    samples[1].txBytes += 999;
    EXPECT_EQ(m_counter.GetTraffic(1), 10.0);
}

TEST_F(TrafficCounterTest, BlocksBeyondTwoBufferStepsAreRead) {
    // 400 instances with 100-character names: about 109 KB, beyond 2 x 40960.
    for (int i = 0; i < 400; ++i) {
        samples.push_back({std::string(97, 'n') + std::to_string(100 + i), 0, 7, 0});
    }
    const std::size_t size = BuildPerfDataBlock(samples, u"").size();
    ASSERT_TRUE(size > 2 * 40960 && size < 3 * 40960) << size;
    queries = 0;
    List();
    EXPECT_EQ(queries, 3) << "40960, 81920, then 122880 bytes";
    EXPECT_EQ(m_counter.GetInterfaceCount(), 399);
    EXPECT_EQ(Name(399).str(), std::string(97, 'n') + "499");
    EXPECT_EQ(m_counter.GetTraffic(399), 0.0);
    samples.back().txBytes += 4096;
    EXPECT_EQ(m_counter.GetTraffic(399), 4096.0);
}

TEST_F(TrafficCounterTest, FailuresReportOneAndKeepThePreviousSample) {
    samples = {{"eth0", 0, 100, 0}};
    auto noSentCounter = BuildPerfDataBlock(samples, u"h");
    Patch(noSentCounter, CounterTitle(2), 999);
    const std::pair<std::function<void()>, std::function<void()>> failures[] = {
        {[&] { fail = true; }, [&] { fail = false; }},
        {[&] { ServeRaw(noSentCounter); }, [&] { ServeSamples(); }},
    };
    for (const auto& [breakIt, mendIt] : failures) {
        samples[0].txBytes = 100;
        List();
        EXPECT_EQ(m_counter.GetTraffic(0), 0.0);
        breakIt();
        samples[0].txBytes = 400;
        EXPECT_EQ(m_counter.GetTraffic(0), 1.0);
        EXPECT_EQ(m_counter.GetTraffic(0), 1.0);
        mendIt();
        samples[0].txBytes = 700;
        EXPECT_EQ(m_counter.GetTraffic(0), 600.0);
    }
}

TEST_F(TrafficCounterTest, AnyExceptionInsideAnOperationIsCaught) {
    samples = {{"eth0", 0, 100, 0}};
    List();
    EXPECT_EQ(m_counter.GetTraffic(0), 0.0);
    SetRawPerfDataSource(
        [](std::vector<std::byte>&) -> int { throw std::runtime_error("the source failed"); });
    samples[0].txBytes = 400;
    EXPECT_EQ(m_counter.GetTraffic(0), 0.0);
    EXPECT_EQ(m_counter.EnumInterfaces(), 0);
    EXPECT_EQ(m_counter.GetInterfaceCount(), -1);
}

TEST_F(TrafficCounterTest, UnknownPositionsAndNamesGiveZero) {
    samples = {{"eth0", 0, 100, 0}, {"eth1", 0, 100, 0}, {"eth2", 0, 100, 0}};
    List();
    const int before = queries;
    for (const int position : {-1, 3, 1000}) {
        EXPECT_EQ(m_counter.GetTraffic(position), 0.0) << position;
    }
    EXPECT_EQ(queries, before) << "an unknown position is answered without a query";

    EXPECT_EQ(m_counter.GetTraffic(1), 0.0);
    samples.erase(samples.begin() + 1);
    EXPECT_EQ(m_counter.GetTraffic(1), 0.0) << "eth1 is gone";
    samples.insert(samples.begin() + 1, {"eth1", 0, 350, 0});
    EXPECT_EQ(m_counter.GetTraffic(1), 250.0) << "growth since eth1 was last seen";
}

TEST_F(TrafficCounterTest, OneReadServesAPassAndEachCounterReadsItsOwnValues) {
    SetPerfDataSnapshotReuse(std::chrono::hours(1));
    samples = {{"a", 10, 1000, 0}, {"b", 20, 2000, 0}, {"c", 30, 3000, 0}};
    List();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_counter.GetTraffic(i), 0.0);
    }
    for (InterfaceSample& sample : samples) {
        sample.txBytes += 500;
        sample.rxBytes += 7;
    }
    queries = 0;
    SetPerfDataSnapshotReuse(std::chrono::hours(1));  // the next pass, a second later
    for (int i = 2; i >= 0; --i) {
        EXPECT_EQ(m_counter.GetTraffic(i), 500.0) << i;
    }
    EXPECT_EQ(queries, 1);

    CTrafficCounter received;
    received.SetCounterIndex(264);
    EXPECT_EQ(received.GetTraffic(1), 0.0);
    samples[1].rxBytes += 3;
    SetPerfDataSnapshotReuse(std::chrono::hours(1));
    EXPECT_EQ(m_counter.GetTraffic(1), 0.0) << "bytes sent stand still";
    EXPECT_EQ(received.GetTraffic(1), 3.0) << "the same block, walked for its own counter";
}

}  // namespace
