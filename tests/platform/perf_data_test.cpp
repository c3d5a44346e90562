#include "perf_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "perf_records.h"

namespace {

template <typename T>
T Load(const std::vector<std::byte>& block, std::size_t at) {
    T value{};
    EXPECT_LE(at + sizeof value, block.size()) << "read past the block";
    std::memcpy(&value, block.data() + at, std::min(sizeof value, block.size() - at));
    return value;
}

struct Instance {
    std::size_t at;
    std::u16string name;
    std::size_t counters;  // the counter block
};

// Follows the block's own lengths, as a reader would.
std::vector<Instance> Instances(const std::vector<std::byte>& block) {
    const auto header = Load<PERF_DATA_BLOCK>(block, 0);
    const auto object = Load<PERF_OBJECT_TYPE>(block, header.HeaderLength);
    std::vector<Instance> out;
    std::size_t at = header.HeaderLength + object.DefinitionLength;
    for (LONG i = 0; i < object.NumInstances && at < block.size(); ++i) {
        const auto instance = Load<PERF_INSTANCE_DEFINITION>(block, at);
        std::u16string name(instance.NameLength / 2, u'\0');
        std::memcpy(name.data(), block.data() + at + instance.NameOffset, instance.NameLength);
        EXPECT_EQ(name.back(), u'\0');
        name.pop_back();
        const std::size_t counters = at + instance.ByteLength;
        out.push_back({at, name, counters});
        at = counters + Load<PERF_COUNTER_BLOCK>(block, counters).ByteLength;
    }
    EXPECT_EQ(at, block.size()) << "the last counter block ends the block";
    return out;
}

TEST(BuildPerfDataBlock, HeadersDescribeTheBlock) {
    const auto block = BuildPerfDataBlock({{"eth0", 1, 2, 3}, {"lo", 4, 5, 0}}, u"HOST");
    const auto header = Load<PERF_DATA_BLOCK>(block, 0);
    EXPECT_EQ(std::u16string_view(header.Signature, 4), u"PERF");
    EXPECT_EQ(header.LittleEndian, 1u);
    EXPECT_EQ(header.TotalByteLength, block.size());
    EXPECT_EQ(header.NumObjectTypes, 1u);
    EXPECT_EQ(header.SystemNameOffset, sizeof(PERF_DATA_BLOCK));
    EXPECT_EQ(header.SystemNameLength, 10u);
    EXPECT_EQ(std::memcmp(block.data() + header.SystemNameOffset, u"HOST", 10), 0);
    EXPECT_EQ(header.HeaderLength, 104u) << "88 + 10 bytes of name, rounded up to 8";

    const auto object = Load<PERF_OBJECT_TYPE>(block, header.HeaderLength);
    EXPECT_EQ(object.TotalByteLength, block.size() - header.HeaderLength);
    EXPECT_EQ(object.HeaderLength, sizeof(PERF_OBJECT_TYPE));
    EXPECT_EQ(object.DefinitionLength,
              sizeof(PERF_OBJECT_TYPE) + 4 * sizeof(PERF_COUNTER_DEFINITION));
    EXPECT_EQ(object.ObjectNameTitleIndex, 510u);
    EXPECT_EQ(object.NumCounters, 4u);
    EXPECT_EQ(object.NumInstances, 2);
    EXPECT_EQ(Instances(block).size(), 2u);
}

TEST(BuildPerfDataBlock, CountersAre64BitLowHalfFirst) {
    const InterfaceSample sample{"eth0", 0x1'0000'0002, 0x3'0000'0004, 1'000'000'000};
    const auto block = BuildPerfDataBlock({sample}, u"");
    const auto definitions =
        Load<PERF_DATA_BLOCK>(block, 0).HeaderLength + sizeof(PERF_OBJECT_TYPE);
    const auto instances = Instances(block);
    ASSERT_EQ(instances.size(), 1u);

    std::map<DWORD, std::uint64_t> found;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto counter =
            Load<PERF_COUNTER_DEFINITION>(block, definitions + i * sizeof(PERF_COUNTER_DEFINITION));
        EXPECT_EQ(counter.CounterSize, 8u);
        const std::size_t at = instances[0].counters + counter.CounterOffset;
        found[counter.CounterNameTitleIndex] =
            std::uint64_t{Load<DWORD>(block, at + 4)} << 32 | Load<DWORD>(block, at);
    }
    const std::map<DWORD, std::uint64_t> expected = {{388, sample.rxBytes + sample.txBytes},
                                                     {264, sample.rxBytes},
                                                     {506, sample.txBytes},
                                                     {520, sample.bandwidthBitsPerSec}};
    EXPECT_EQ(found, expected);
}

TEST(BuildPerfDataBlock, EveryRecordIs8AlignedWhateverTheNameLengths) {
    std::vector<InterfaceSample> samples;
    for (std::size_t nameLength = 0; nameLength <= 9; ++nameLength) {
        samples.push_back({std::string(nameLength, 'n')});
    }
    for (std::size_t systemLength = 0; systemLength <= 8; ++systemLength) {
        const auto block = BuildPerfDataBlock(samples, std::u16string(systemLength, u's'));
        EXPECT_EQ(Load<PERF_DATA_BLOCK>(block, 0).HeaderLength % 8, 0u);
        const auto instances = Instances(block);
        ASSERT_EQ(instances.size(), samples.size());
        for (std::size_t i = 0; i < instances.size(); ++i) {
            EXPECT_EQ(instances[i].name, std::u16string(i, u'n'));
            EXPECT_TRUE(instances[i].at % 8 == 0 && instances[i].counters % 8 == 0)
                << i << " after a system name of " << systemLength;
        }
    }
}

}  // namespace
