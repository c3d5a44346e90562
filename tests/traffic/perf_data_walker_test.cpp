#include "perf_data_walker.h"

#include <gtest/gtest.h>

#include "perf_records.h"
#include "perf_source_fixture.h"
#include "traffic_counter.h"

namespace {

// Three equal-length names keep every record at a fixed offset.
constexpr std::size_t kObject = 104;  // 88-byte header and u"HOST", rounded up to 8
constexpr std::size_t kCounter0 = kObject + sizeof(PERF_OBJECT_TYPE);
constexpr std::size_t kInstance0 = kCounter0 + 4 * sizeof(PERF_COUNTER_DEFINITION);
constexpr std::size_t kStride = 80;  // 24 + u"ethN" padded to 40, then 40 of counters
constexpr std::size_t kSize = kInstance0 + 3 * kStride;
constexpr std::size_t Instance(std::size_t i) {
    return kInstance0 + i * kStride;
}
constexpr std::size_t Counters(std::size_t i) {
    return Instance(i) + 40;
}

std::vector<std::byte> ValidBlock() {
    return BuildPerfDataBlock(
        {{"eth0", 10, 11, 1}, {"eth1", 20, 21, 2}, {"eth2", 0x1'0000'0030, 31, 0}}, u"HOST");
}

using Visits = std::vector<std::pair<std::u16string, ULONGLONG>>;

// Walks an exact-size copy, so that a read past the data is a sanitizer error.
PerfWalkResult WalkCopy(std::span<const std::byte> bytes, DWORD counter, Visits* visits = nullptr) {
    const auto* begin = reinterpret_cast<const BYTE*>(bytes.data());
    const std::vector<BYTE> copy(begin, begin + bytes.size());
    return WalkPerfData(copy, counter, [&](LPCWSTR name, ULONGLONG value) {
        if (visits != nullptr) {
            visits->emplace_back(name, value);
        }
        return true;
    });
}

TEST(WalkPerfData, VisitsEveryInstanceAndNothingAfterTheBlocksOwnLength) {
    auto block = ValidBlock();
    ASSERT_EQ(block.size(), kSize) << "the offsets below assume it";
    block.resize(block.size() + 16, std::byte{0xFF});
    Visits visits;
    EXPECT_EQ(WalkCopy(block, 264, &visits), PerfWalkResult::Walked);
    EXPECT_EQ(visits, (Visits{{u"eth0", 10}, {u"eth1", 20}, {u"eth2", 0x1'0000'0030}}));
}

// The walker reads what the definition says: a 32-bit counter's 4 bytes, never the next 4.
TEST(WalkPerfData, ACounterDefinedThirtyTwoBitsWideIsReadSo) {
    auto block = ValidBlock();
    Patch(block,
          kCounter0 + sizeof(PERF_COUNTER_DEFINITION) +
              offsetof(PERF_COUNTER_DEFINITION, CounterSize),
          4);
    Visits visits;
    EXPECT_EQ(WalkCopy(block, 264, &visits), PerfWalkResult::Walked);
    EXPECT_EQ(visits, (Visits{{u"eth0", 10}, {u"eth1", 20}, {u"eth2", 0x30}}));
}

using Patches = std::vector<std::pair<std::size_t, DWORD>>;

Patches EveryCounter(std::size_t field, DWORD value) {
    Patches patches;
    for (std::size_t i = 0; i < 4; ++i) {
        patches.emplace_back(kCounter0 + i * sizeof(PERF_COUNTER_DEFINITION) + field, value);
    }
    return patches;
}

const std::pair<const char*, Patches> kMalformations[] = {
    {"block TotalByteLength zero", {{20, 0}}},
    {"block TotalByteLength inside the last instance", {{20, kSize - 8}}},
    {"block HeaderLength at the end", {{24, kSize}}},
    {"block HeaderLength zero", {{24, 0}}},
    {"NumObjectTypes one too many", {{28, 2}}},
    {"object TotalByteLength zero, many objects", {{kObject, 0}, {28, 0x7FFFFFFF}}},
    {"object TotalByteLength past the data", {{kObject, kSize - kObject + 8}}},
    {"object TotalByteLength short of its instances", {{kObject, Instance(1) - kObject}}},
    {"object DefinitionLength inside its header", {{kObject + 4, 60}}},
    {"object HeaderLength zero", {{kObject + 8, 0}}},
    {"object HeaderLength past DefinitionLength", {{kObject + 8, 232}}},
    {"NumCounters one too many", {{kObject + 32, 5}}},
    {"NumInstances one too many", {{kObject + 40, 4}}},
    {"counter ByteLength short", EveryCounter(0, 36)},
    {"CounterOffset past the counter block", EveryCounter(36, 40)},
    {"CounterOffset straddling the counter block's end", EveryCounter(36, 37)},
    {"CounterOffset leaving 4 of a 64-bit value's 8 bytes", EveryCounter(36, 36)},
    {"CounterOffset max", EveryCounter(36, 0xFFFFFFFF)},
    {"instance ByteLength short of its fields", {{Instance(0), 20}}},
    {"instance ByteLength max", {{Instance(0), 0xFFFFFFFF}}},
    {"last instance ByteLength past the data", {{Instance(2), 48}}},
    {"NameOffset past the instance", {{Instance(0) + 16, 40}}},
    {"name unterminated", {{Instance(0) + 32, 0x00410041}, {Instance(0) + 36, 0x00410041}}},
    {"last name unterminated", {{Instance(2) + 32, 0x00410041}, {Instance(2) + 36, 0x00410041}}},
    {"counter block ByteLength short", {{Counters(0), 3}}},
    {"last counter block past the data", {{Counters(2), 48}}},
};

// Whatever is wrong, the walk fails, and a counter listed from the valid block
// reports the failure.
using MalformedPerfData = PerfSourceTest;

TEST_F(MalformedPerfData, EveryOutOfRangeFieldAndEveryTruncationIsRejected) {
    const auto valid = ValidBlock();
    ServeRaw(valid);
    CTrafficCounter listed;
    listed.SetCounterIndex(506);
    ASSERT_EQ(listed.EnumInterfaces(), 1);
    std::vector<std::vector<std::byte>> bad;
    for (const auto& [what, patches] : kMalformations) {
        bad.push_back(valid);
        for (const auto& [at, value] : patches) {
            Patch(bad.back(), at, value);
        }
    }
    for (std::size_t length = 0; length < valid.size(); ++length) {
        bad.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length));
    }
    for (std::size_t i = 0; i < bad.size() && !HasFailure(); ++i) {
        SCOPED_TRACE(i < std::size(kMalformations) ? kMalformations[i].first : "truncated");
        EXPECT_EQ(WalkCopy(bad[i], 520), PerfWalkResult::Malformed) << bad[i].size();
        EXPECT_EQ(WalkCopy(bad[i], 506), PerfWalkResult::Malformed) << bad[i].size();
        ServeRaw(bad[i]);
        EXPECT_EQ(listed.GetTraffic(2), 1.0) << bad[i].size();
    }
    CTrafficCounter fresh;
    EXPECT_EQ(fresh.EnumInterfaces() + fresh.GetInterfaceCount(), -1) << "nothing listed";
}

}  // namespace
