// The view follows the kernel's interfaces as they come and go, in a network namespace of its
// own where the test adds and deletes veth pairs.
#include <net/if.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "drawn_blocks.h"
#include "network_namespace.h"
#include "perf_data_source.h"

namespace {

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("InterfaceList");

// The interfaces in the kernel's order, as `ip link` lists them.
std::vector<std::string> KernelOrder() {
    std::vector<std::string> names;
    struct if_nameindex* interfaces = if_nameindex();
    for (const struct if_nameindex* it = interfaces; it != nullptr && it->if_index != 0; ++it) {
        names.emplace_back(it->if_name);
    }
    if_freenameindex(interfaces);
    return names;
}

class InterfaceList : public ::testing::Test {
protected:
    // lo and the veth pair va0/vb0, which the view lists when it is made.
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        Ip("link add va0 type veth peer name vb0");
        m_view = MakeStillView(600, 800);
    }
    void TearDown() override { SetPerfDataSnapshotReuse(kDefaultSnapshotReuse); }

    static void Ip(const std::string& arguments) {
        ASSERT_EQ(std::system(("ip " + arguments).c_str()), 0) << "ip " << arguments;
    }
    // A second later, when the kernel is read afresh: the names drawn, in order.
    std::vector<std::string> Tick() {
        SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);  // drops the last read
        m_view->SendMessage(WM_TIMER, 2);
        m_drawn = DrawnBlocks(*m_view);
        std::vector<std::string> names;
        for (const DrawnBlock& block : m_drawn) {
            names.push_back(block.Name());
        }
        return names;
    }

    std::unique_ptr<CVandrelView> m_view;
    std::vector<DrawnBlock> m_drawn;  // by the last tick
};

// Added or deleted, a pair is followed within two ticks in the kernel's order.
TEST_F(InterfaceList, APairAddedOrDeletedIsFollowedWithinTwoTicksAndTheOthersKeepTheirMinute) {
    for (int second = 0; second < 4; ++second) {
        Tick();
    }
    Ip("link add va1 type veth peer name vb1");
    Tick();
    ASSERT_EQ(Tick(), KernelOrder()) << "lo and va0/vb0 with five seconds each, va1/vb1 with one";
    Ip("link del va0");  // and its peer: va1 and vb1 move up
    Tick();
    ASSERT_EQ(Tick(), KernelOrder());
    std::vector<int> seconds;
    for (const DrawnBlock& block : m_drawn) {
        seconds.push_back(block.SecondsDrawn());
    }
    EXPECT_EQ(seconds, (std::vector<int>{7, 3, 3})) << "lo, va1 and vb1";
}

}  // namespace
