#include "traffic_counter.h"

#include <gtest/gtest.h>

#include "perf_records.h"
#include "perf_source_fixture.h"

namespace {

constexpr int kSent = 506;

class TrafficCounterTest : public PerfSourceTest {
protected:
    // A counter of bytes sent, listed from `samples`.
    void List(CTrafficCounter& counter) {
        counter.SetCounterIndex(kSent);
        ASSERT_EQ(counter.EnumInterfaces(), 1);
    }

    std::vector<CString> Names(const CTrafficCounter& counter) {
        std::vector<CString> names;
        for (int i = 0; i <= counter.GetInterfaceCount(); ++i) {
            CString name;
            EXPECT_EQ(counter.GetInterfaceName(name, i), 1);
            names.push_back(name);
        }
        return names;
    }
};

TEST_F(TrafficCounterTest, ListsEveryInstanceInOrder) {
    samples = {{"eth0", 0, 0, 0}, {"wlan0", 0, 0, 0}, {"lo", 0, 0, 0}};
    CTrafficCounter counter;
    List(counter);
    EXPECT_EQ(counter.GetInterfaceCount(), 2);
    EXPECT_EQ(Names(counter), (std::vector<CString>{"eth0", "wlan0", "lo"}));
    CString untouched = "keep";
    EXPECT_EQ(counter.GetInterfaceName(untouched, 3), 0);
    EXPECT_EQ(counter.GetInterfaceName(untouched, -1), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(TrafficCounterTest, BlocksWithoutInstancesOrBandwidthListNothing) {
    auto noInstances = BuildPerfDataBlock({}, u"h");
    const std::size_t object = 88 + 8;
    Patch(noInstances, object + offsetof(PERF_OBJECT_TYPE, NumInstances),
          static_cast<DWORD>(PERF_NO_INSTANCES));
    auto noBandwidth = BuildPerfDataBlock({{"eth0", 1, 2, 3}}, u"h");
    const std::size_t bandwidthDefinition =
        object + sizeof(PERF_OBJECT_TYPE) + 3 * sizeof(PERF_COUNTER_DEFINITION);
    Patch(noBandwidth,
          bandwidthDefinition + offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex), 999);
    for (const auto& block : {noInstances, noBandwidth}) {
        ServeRaw(block);
        CTrafficCounter counter;
        EXPECT_EQ(counter.EnumInterfaces(), 1);
        EXPECT_EQ(counter.GetInterfaceCount(), -1);
        EXPECT_EQ(counter.GetTraffic(0), 0.0);
    }
}

TEST_F(TrafficCounterTest, GrowthIsTheLow32BitsModulo2To32) {
    struct Case {
        std::uint64_t first;
        std::uint64_t second;
        double growth;
    };
    const Case cases[] = {
        {100, 700, 600.0},
        {4294967000, 200, 496.0},
        {0x1'0000'0064, 0x1'0000'02BC, 600.0},
        {0x1'0000'0005, 0x2'0000'0005, 0.0},  // a whole 2^32 is invisible 32 bits wide
        {0xFFFFFFFF, 0, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        samples = {{"eth0", 0, c.first, 0}};
        CTrafficCounter counter;
        List(counter);
        EXPECT_EQ(counter.GetTraffic(0), 0.0) << "the first sample has no growth";
        samples[0].txBytes = c.second;
        EXPECT_EQ(counter.GetTraffic(0), c.growth);
    }
}

TEST_F(TrafficCounterTest, EachPositionKeepsItsOwnPreviousSample) {
    samples = {{"a", 0, 1000, 0}, {"b", 0, 2000, 0}, {"c", 0, 3000, 0}, {"d", 0, 4000, 0}};
    CTrafficCounter counter;
    List(counter);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(counter.GetTraffic(i), 0.0);
    }
    for (int round = 1; round <= 3; ++round) {
        for (std::size_t i = 0; i < 4; ++i) {
            samples[i].txBytes += 100 * (i + 1) * round;
        }
        for (int i = 3; i >= 0; --i) {
            EXPECT_EQ(counter.GetTraffic(i), 100.0 * (i + 1) * round) << i << " in round " << round;
        }
    }
}

TEST_F(TrafficCounterTest, ADuplicatedNameReadsTheFirstInstance) {
    samples = {{"eth0", 0, 100, 0}, {"eth0", 0, 5000, 0}};
    CTrafficCounter counter;
    List(counter);
    EXPECT_EQ(counter.GetInterfaceCount(), 1);
    EXPECT_EQ(counter.GetTraffic(1), 0.0);
    samples[0].txBytes += 10;
    samples[1].txBytes += 999;
    EXPECT_EQ(counter.GetTraffic(1), 10.0);
}

TEST_F(TrafficCounterTest, BlocksBeyondTwoBufferStepsAreRead) {
    // 400 instances with 100-character names: about 108 KB, so the 40960-byte buffer grows twice.
    for (int i = 0; i < 400; ++i) {
        samples.push_back({std::string(97, 'n') + std::to_string(100 + i), 0, 7, 0});
    }
    ASSERT_GT(BuildPerfDataBlock(samples, u"").size(), 2u * 40960);
    ASSERT_LT(BuildPerfDataBlock(samples, u"").size(), 3u * 40960);
    CTrafficCounter counter;
    queries = 0;
    List(counter);
    EXPECT_EQ(queries, 3) << "40960, 81920, then 122880 bytes";
    EXPECT_EQ(counter.GetInterfaceCount(), 399);
    CString last;
    counter.GetInterfaceName(last, 399);
    EXPECT_EQ(last.str(), std::string(97, 'n') + "499");
    EXPECT_EQ(counter.GetTraffic(399), 0.0);
    samples.back().txBytes += 4096;
    EXPECT_EQ(counter.GetTraffic(399), 4096.0);
}

TEST_F(TrafficCounterTest, FailuresReportOneAndKeepThePreviousSample) {
    samples = {{"eth0", 0, 100, 0}};
    auto noSentCounter = BuildPerfDataBlock(samples, u"h");
    const std::size_t sentDefinition =
        88 + 8 + sizeof(PERF_OBJECT_TYPE) + 2 * sizeof(PERF_COUNTER_DEFINITION);
    Patch(noSentCounter, sentDefinition + offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex),
          999);

    struct Case {
        const char* what;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
    };
    const Case cases[] = {
        {"failed query", [&] { fail = true; }, [&] { fail = false; }},
        {"missing counter", [&] { ServeRaw(noSentCounter); }, [&] { ServeSamples(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        samples[0].txBytes = 100;
        CTrafficCounter counter;
        List(counter);
        EXPECT_EQ(counter.GetTraffic(0), 0.0);
        c.breakIt();
        samples[0].txBytes = 400;
        EXPECT_EQ(counter.GetTraffic(0), 1.0);
        EXPECT_EQ(counter.GetTraffic(0), 1.0);
        c.mendIt();
        samples[0].txBytes = 700;
        EXPECT_EQ(counter.GetTraffic(0), 600.0);
    }
}

TEST_F(TrafficCounterTest, UnknownPositionsAndNamesGiveZero) {
    samples = {{"eth0", 0, 100, 0}, {"eth1", 0, 100, 0}, {"eth2", 0, 100, 0}};
    CTrafficCounter counter;
    List(counter);
    const int before = queries;
    for (const int position : {-1, 3, 1000}) {
        EXPECT_EQ(counter.GetTraffic(position), 0.0) << position;
    }
    EXPECT_EQ(queries, before) << "an unknown position is answered without a query";

    EXPECT_EQ(counter.GetTraffic(1), 0.0);
    samples.erase(samples.begin() + 1);
    EXPECT_EQ(counter.GetTraffic(1), 0.0) << "eth1 is gone";
    samples.insert(samples.begin() + 1, {"eth1", 0, 350, 0});
    EXPECT_EQ(counter.GetTraffic(1), 250.0) << "growth since eth1 was last seen";
}

}  // namespace
