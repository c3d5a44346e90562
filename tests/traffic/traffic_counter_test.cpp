#include "traffic_counter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "perf_source_fixture.h"

namespace {

class TrafficCounterTest : public PerfSourceTest {
protected:
    // Lists these samples into m_counter, a counter of bytes sent.
    void List(std::vector<InterfaceSample> listed) {
        samples = std::move(listed);
        m_counter.SetCounterIndex(506);
        ASSERT_EQ(m_counter.EnumInterfaces(), 1);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        CString name;
        for (int i = 0; m_counter.GetInterfaceName(name, i); ++i) {
            names.push_back(name.str());
        }
        return names;
    }
    // The growth read at each position, from the last to the first.
    std::vector<double> Rates() {
        std::vector<double> rates(samples.size());
        for (int i = static_cast<int>(rates.size()) - 1; i >= 0; --i) {
            rates[static_cast<std::size_t>(i)] = m_counter.GetTraffic(i);
        }
        return rates;
    }

    CTrafficCounter m_counter;
};

// The view's test sees every instance listed, in the data's order.
TEST_F(TrafficCounterTest, AnUnknownPositionHasNoNameAndNoFigureAndCostsNoQuery) {
    List({{"eth0", 0, 100, 0}});
    const int before = queries;
    CString name = "keep";
    for (const int position : {-1, 1, 1000}) {
        EXPECT_EQ(m_counter.GetInterfaceName(name, position), 0) << position;
        EXPECT_EQ(m_counter.GetTraffic(position), 0.0) << position;
    }
    EXPECT_STREQ(name, "keep") << "untouched";
    EXPECT_EQ(queries, before);
}

TEST_F(TrafficCounterTest, AnInterfaceGoneFromTheDataGivesNoFigureAndItsGrowthOnceBack) {
    List({{"eth0", 0, 100, 0}, {"wlan0", 0, 100, 0}});
    EXPECT_EQ(m_counter.GetTraffic(1), 0.0);
    samples.pop_back();
    EXPECT_EQ(m_counter.GetTraffic(1), 0.0) << "wlan0 is gone";
    samples.push_back({"wlan0", 0, 350, 0});
    EXPECT_EQ(m_counter.GetTraffic(1), 250.0) << "growth since wlan0 was last seen";
}

// A duplicated name reads its first instance.
TEST_F(TrafficCounterTest, EachPositionGrowsFromItsOwnPreviousSampleReadWholePast4GiB) {
    List({{"a", 0, 100, 0}, {"b", 0, 4294967000, 0}, {"c", 0, 5, 0}, {"a", 0, 5000, 0}});
    EXPECT_EQ(Rates(), std::vector<double>(4, 0.0)) << "the first sample has no growth";
    EXPECT_FALSE(m_counter.LastTrafficWasMeasured());
    for (int round = 1; round <= 2; ++round) {
        samples[0].txBytes += 100 * round;
        samples[1].txBytes += 496;  // past 2^32
        samples[2].txBytes += 6ull << 30;
        samples[3].txBytes += 999;
        const double a = 100.0 * round;
        EXPECT_EQ(Rates(), (std::vector<double>{a, 496.0, double(6ull << 30), a}));
        EXPECT_TRUE(m_counter.LastTrafficWasMeasured());
    }
}

// 400 instances with 100-character names: about 109 KB, beyond two steps of the query buffer.
TEST_F(TrafficCounterTest, ABlockBeyondTwoBufferStepsIsReadWhole) {
    for (int i = 0; i < 400; ++i) {
        samples.push_back({std::string(97, 'n') + std::to_string(100 + i), 0, 7, 0});
    }
    List(samples);
    EXPECT_EQ(Names().back(), std::string(97, 'n') + "499");
    EXPECT_EQ(m_counter.GetTraffic(399), 0.0);
    samples.back().txBytes += 4096;
    EXPECT_EQ(m_counter.GetTraffic(399), 4096.0);
}

TEST_F(TrafficCounterTest, AFailedReadReportsOneAndKeepsThePreviousSample) {
    List({{"eth0", 0, 100, 0}});
    EXPECT_EQ(m_counter.GetTraffic(0), 0.0);
    fail = true;
    samples[0].txBytes = 400;
    EXPECT_EQ(m_counter.GetTraffic(0), 1.0);
    fail = false;
    samples[0].txBytes = 700;
    EXPECT_EQ(m_counter.GetTraffic(0), 600.0);
}

TEST_F(TrafficCounterTest, AnExceptionFromTheSourceGivesNoFigureAndListsNothing) {
    List({{"eth0", 0, 100, 0}});
    SetRawPerfDataSource(
        [](std::vector<std::byte>&) -> int { throw std::runtime_error("the source failed"); });
    EXPECT_EQ(m_counter.GetTraffic(0), 0.0);
    EXPECT_EQ(m_counter.EnumInterfaces(), 0);
    EXPECT_EQ(m_counter.GetInterfaceCount(), -1);
}

TEST_F(TrafficCounterTest, InterfacesThatComeAndGoAreFollowedInTheDataOrderWithTheirSamples) {
    List({{"lo", 0, 100, 0}, {"eth0", 0, 100, 0}, {"wlan0", 0, 100, 0}});
    EXPECT_EQ(Rates(), std::vector<double>(3, 0.0));
    samples = {{"lo", 0, 150, 0}, {"wlan0", 0, 400, 0}, {"tun0", 0, 9, 0}};
    EXPECT_EQ(m_counter.UpdateInterfaces(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"lo", "wlan0", "tun0"}));
    EXPECT_EQ(Rates(), (std::vector<double>{50.0, 300.0, 0.0})) << "tun0's is a first sample";
    samples.insert(samples.begin() + 1, {"eth0", 0, 1000, 0});
    EXPECT_EQ(m_counter.UpdateInterfaces(), 1);
    EXPECT_EQ(Rates(), (std::vector<double>{0.0, 0.0, 0.0, 0.0}))
        << "eth0 back, a first sample again; the others' samples taken just before";
    EXPECT_EQ(m_counter.UpdateInterfaces(), 0) << "the same interfaces";
}

TEST_F(TrafficCounterTest, DataThatCannotBeReadLeaveTheListAsItWas) {
    List({{"lo", 0, 100, 0}, {"eth0", 0, 100, 0}});
    samples.pop_back();
    fail = true;
    EXPECT_EQ(m_counter.UpdateInterfaces(), 0);
    fail = false;
    auto truncated = BuildPerfDataBlock(samples, u"h");
    truncated.resize(truncated.size() - 8);
    ServeRaw(truncated);
    EXPECT_EQ(m_counter.UpdateInterfaces(), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"lo", "eth0"}));
}

}  // namespace
