#include "perf_data_walker.h"

#include <gtest/gtest.h>

#include <string>

#include "perf_records.h"
#include "perf_source_fixture.h"
#include "traffic_counter.h"

namespace {

// Three equal-length names keep every record at a fixed offset.
constexpr std::size_t kObject = 104;  // 88-byte header and u"HOST", rounded up to 8
constexpr std::size_t kCounter0 = kObject + sizeof(PERF_OBJECT_TYPE);
constexpr std::size_t kInstance0 = kCounter0 + 4 * sizeof(PERF_COUNTER_DEFINITION);
constexpr std::size_t kInstanceStride = 80;  // 24 + "ethN\0" padded to 40, then 40 of counters
constexpr std::size_t kBlockSize = kInstance0 + 3 * kInstanceStride;

constexpr std::size_t Instance(std::size_t i) {
    return kInstance0 + i * kInstanceStride;
}
constexpr std::size_t CounterBlock(std::size_t i) {
    return Instance(i) + 40;
}

std::vector<std::byte> ValidBlock() {
    return BuildPerfDataBlock({{"eth0", 10, 11, 100}, {"eth1", 20, 21, 200}, {"eth2", 30, 31, 0}},
                              u"HOST");
}

struct Walk {
    PerfWalkResult result;
    std::vector<std::pair<std::u16string, DWORD>> visits;
};

// Walks an exact-size copy, so that a read past the data is a sanitizer error.
Walk WalkCopy(std::span<const std::byte> bytes, DWORD counterIndex) {
    const std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(bytes.data()),
                                 reinterpret_cast<const BYTE*>(bytes.data()) + bytes.size());
    Walk walk{PerfWalkResult::Walked, {}};
    walk.result = WalkPerfData(copy, counterIndex, [&](LPCWSTR name, DWORD value) {
        walk.visits.emplace_back(name, value);
        return true;
    });
    return walk;
}

TEST(WalkPerfData, VisitsEveryInstanceOfAValidBlock) {
    auto block = ValidBlock();
    ASSERT_EQ(block.size(), kBlockSize);
    const Walk walk = WalkCopy(block, 264);
    EXPECT_EQ(walk.result, PerfWalkResult::Walked);
    const std::vector<std::pair<std::u16string, DWORD>> expected = {
        {u"eth0", 10}, {u"eth1", 20}, {u"eth2", 30}};
    EXPECT_EQ(walk.visits, expected);

    EXPECT_EQ(WalkCopy(block, 999).result, PerfWalkResult::CounterMissing);
    // Bytes after the block's own length are not part of it.
    block.resize(block.size() + 16, std::byte{0xFF});
    EXPECT_EQ(WalkCopy(block, 520).visits.size(), 3u);
}

struct Malformation {
    const char* what;
    std::vector<std::pair<std::size_t, DWORD>> patches;
};

std::vector<std::pair<std::size_t, DWORD>> EveryCounter(std::size_t field, DWORD value) {
    std::vector<std::pair<std::size_t, DWORD>> patches;
    for (std::size_t i = 0; i < 4; ++i) {
        patches.emplace_back(kCounter0 + i * sizeof(PERF_COUNTER_DEFINITION) + field, value);
    }
    return patches;
}

const Malformation kMalformations[] = {
    {"block TotalByteLength past the data", {{20, kBlockSize + 1}}},
    {"block TotalByteLength max", {{20, 0xFFFFFFFF}}},
    {"block TotalByteLength zero", {{20, 0}}},
    {"block TotalByteLength inside the last instance", {{20, kBlockSize - 8}}},
    {"block HeaderLength at the end", {{24, kBlockSize}}},
    {"block HeaderLength max", {{24, 0xFFFFFFF8}}},
    {"block HeaderLength zero", {{24, 0}}},
    {"NumObjectTypes one too many", {{28, 2}}},
    {"NumObjectTypes huge", {{28, 0x7FFFFFFF}}},
    {"object TotalByteLength zero", {{kObject, 0}}},
    {"object TotalByteLength zero, many objects", {{kObject, 0}, {28, 0x7FFFFFFF}}},
    {"object TotalByteLength past the data", {{kObject, kBlockSize - kObject + 8}}},
    {"object TotalByteLength short of its instances", {{kObject, kInstanceStride + 224}}},
    {"object DefinitionLength zero", {{kObject + 4, 0}}},
    {"object DefinitionLength inside its header", {{kObject + 4, 60}}},
    {"object DefinitionLength max", {{kObject + 4, 0xFFFFFFF0}}},
    {"object HeaderLength zero", {{kObject + 8, 0}}},
    {"object HeaderLength past DefinitionLength", {{kObject + 8, 232}}},
    {"object HeaderLength max", {{kObject + 8, 0xFFFFFFF0}}},
    {"NumCounters one too many", {{kObject + 32, 5}}},
    {"NumCounters huge", {{kObject + 32, 0x7FFFFFFF}}},
    {"NumInstances one too many", {{kObject + 40, 4}}},
    {"NumInstances huge", {{kObject + 40, 0x7FFFFFFF}}},
    {"counter ByteLength zero", EveryCounter(0, 0)},
    {"counter ByteLength short", EveryCounter(0, 36)},
    {"counter ByteLength max", EveryCounter(0, 0xFFFFFFFF)},
    {"CounterOffset past the counter block", EveryCounter(36, 40)},
    {"CounterOffset straddling the counter block's end", EveryCounter(36, 37)},
    {"CounterOffset max", EveryCounter(36, 0xFFFFFFFF)},
    {"instance ByteLength zero", {{Instance(0), 0}}},
    {"instance ByteLength short of its fields", {{Instance(0), 20}}},
    {"instance ByteLength max", {{Instance(0), 0xFFFFFFFF}}},
    {"instance ByteLength past the data", {{Instance(2), 48}}},
    {"NameOffset past the instance", {{Instance(0) + 16, 40}}},
    {"NameOffset max", {{Instance(0) + 16, 0xFFFFFFFE}}},
    {"name unterminated in its instance",
     {{Instance(0) + 32, 0x00410041}, {Instance(0) + 36, 0x00410041}}},
    {"last name unterminated", {{Instance(2) + 32, 0x00410041}, {Instance(2) + 36, 0x00410041}}},
    {"counter block ByteLength zero", {{CounterBlock(0), 0}}},
    {"counter block ByteLength short", {{CounterBlock(0), 3}}},
    {"counter block ByteLength max", {{CounterBlock(0), 0xFFFFFFFF}}},
    {"last counter block past the data", {{CounterBlock(2), 48}}},
    {"zero lengths everywhere", {{Instance(0), 0}, {CounterBlock(0), 0}, {kObject, 0}}},
};

class MalformedBlockTest : public PerfSourceTest {
protected:
    // Three interfaces listed from the valid block, each with its first sample taken.
    void ListValidBlock(CTrafficCounter& counter) {
        ServeRaw(ValidBlock());
        counter.SetCounterIndex(506);
        ASSERT_EQ(counter.EnumInterfaces(), 1);
        ASSERT_EQ(counter.GetInterfaceCount(), 2);
        ASSERT_EQ(counter.GetTraffic(2), 0.0);
    }

    // Whatever is wrong, nothing is listed and no rate is reported.
    void ExpectRejected(const std::vector<std::byte>& bad, CTrafficCounter& listed) {
        for (const DWORD counter : {DWORD{520}, DWORD{506}}) {
            const Walk walk = WalkCopy(bad, counter);
            EXPECT_EQ(walk.result, PerfWalkResult::Malformed) << "counter " << counter;
        }
        ServeRaw(bad);
        EXPECT_EQ(listed.GetTraffic(2), 1.0);
        CTrafficCounter fresh;
        EXPECT_EQ(fresh.EnumInterfaces(), 0);
        EXPECT_EQ(fresh.GetInterfaceCount(), -1);
    }
};

TEST_F(MalformedBlockTest, EveryOutOfRangeFieldIsRejected) {
    CTrafficCounter listed;
    ListValidBlock(listed);
    for (const Malformation& m : kMalformations) {
        SCOPED_TRACE(m.what);
        auto bad = ValidBlock();
        for (const auto& [at, value] : m.patches) {
            Patch(bad, at, value);
        }
        ExpectRejected(bad, listed);
    }
}

TEST_F(MalformedBlockTest, EveryTruncationIsRejected) {
    CTrafficCounter listed;
    ListValidBlock(listed);
    const auto valid = ValidBlock();
    for (std::size_t length = 0; length < valid.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectRejected({valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length)},
                       listed);
        if (HasFailure()) {
            break;
        }
    }
    // The previous sample survived every rejected query.
    samples = {{"eth0", 0, 11, 0}, {"eth1", 0, 21, 0}, {"eth2", 0, 31 + 600, 0}};
    ServeSamples();
    EXPECT_EQ(listed.GetTraffic(2), 600.0);
}

}  // namespace
