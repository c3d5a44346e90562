#include "rate_history.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RateHistory, ASecondAnInterfaceWasNotRecordedIsAGap) {
    CRateHistory history;
    history.NextSecond();
    history.Record("eth0", {1.0F, 2.0F});
    history.NextSecond();  // eth0 was gone for this second
    history.NextSecond();
    const CRateHistory::Minute minute = history.Record("eth0", {3.0F, CRateHistory::kNoRate});
    EXPECT_TRUE(minute.At(0).out == 3.0F && std::isnan(minute.At(0).in));
    EXPECT_TRUE(std::isnan(minute.At(1).out) && minute.At(2).in == 2.0F);
    EXPECT_TRUE(std::isnan(minute.At(3).out)) << "before it was first seen";
    EXPECT_TRUE(std::isnan(minute.At(-1).out) && std::isnan(minute.At(60).out));
}

TEST(RateHistory, AnHourOfInterfacesComingAndGoingHoldsNoMoreThanTheirLastTwoMinutes) {
    // A container host: every five seconds a veth with a new name, each up for five seconds.
    CRateHistory history;
    for (int second = 0; second < 3600; ++second) {
        history.NextSecond();
        history.Record("lo", {1.0F, 1.0F});
        const CRateHistory::Minute minute =
            history.Record("veth" + std::to_string(second / 5), {1.0F, 1.0F});
        ASSERT_LE(history.GetCount(), 1u + 120 / 5 + 1) << second;
        ASSERT_EQ(minute.At(second % 5).out, 1.0F);
    }
    EXPECT_EQ(history.Record("lo", {}).At(59).in, 1.0F) << "lo keeps its minute";
}

}  // namespace
