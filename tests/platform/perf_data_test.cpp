// The performance data: the block built from the kernel's counters, and the registry key
// that serves it.
#include "perf_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "perf_records.h"
#include "perf_source_fixture.h"
#include "registry.h"

namespace {

using namespace std::chrono_literals;

template <typename T>
T Load(const std::vector<std::byte>& block, std::size_t at) {
    T value{};
    EXPECT_LE(at + sizeof value, block.size()) << "read past the block";
    std::memcpy(&value, block.data() + at, std::min(sizeof value, block.size() - at));
    return value;
}

// Follows the block's own lengths, as a reader would, from instance to counter block.
TEST(BuildPerfDataBlock, EveryRecordIs8AlignedAndItsLengthsLeadFromOneToTheNext) {
    std::vector<InterfaceSample> samples;
    for (std::size_t nameLength = 0; nameLength <= 9; ++nameLength) {
        samples.push_back({std::string(nameLength, 'n')});
    }
    for (std::size_t systemLength = 0; systemLength <= 8; ++systemLength) {
        SCOPED_TRACE(systemLength);
        const auto block = BuildPerfDataBlock(samples, std::u16string(systemLength, u's'));
        const auto header = Load<PERF_DATA_BLOCK>(block, 0);
        EXPECT_EQ(header.TotalByteLength, block.size());
        EXPECT_EQ(header.HeaderLength, (88 + 2 * systemLength + 2 + 7) / 8 * 8) << "name in it";
        const auto object = Load<PERF_OBJECT_TYPE>(block, header.HeaderLength);
        ASSERT_EQ(object.NumInstances, static_cast<LONG>(samples.size()));
        std::size_t at = header.HeaderLength + object.DefinitionLength;
        for (std::size_t i = 0; i < samples.size() && at < block.size(); ++i) {
            const auto instance = Load<PERF_INSTANCE_DEFINITION>(block, at);
            EXPECT_EQ(instance.NameLength, 2 * i + 2) << "the name and its NUL";
            EXPECT_TRUE(at % 8 == 0 && instance.ByteLength % 8 == 0) << i;
            at += instance.ByteLength +
                  Load<PERF_COUNTER_BLOCK>(block, at + instance.ByteLength).ByteLength;
        }
        EXPECT_EQ(at, block.size()) << "the last counter block ends the block";
    }
}

// The registry key passes the source's codes through: one good read serves every query within
// the reuse age, into a buffer that holds it only.
TEST_F(PerfSourceTest, OneGoodReadServesEveryQueryWithinTheReuseAgeAndAnyBufferThatHoldsIt) {
    samples = {{"eth0", 1, 2, 0}, {"lo", 3, 4, 0}};
    std::vector<BYTE> buffer;
    DWORD size = 0, type = 0, reserved = 0;
    const auto query = [&](DWORD length, LPCSTR name = "510", LPDWORD pReserved = nullptr) {
        buffer.assign(length, 0xAB);
        size = length;
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, name, pReserved, &type,
                                length == 0 ? nullptr : buffer.data(), &size);
    };
    SetPerfDataSnapshotReuse(1h);
    fail = true;
    EXPECT_EQ(query(0), ERROR_FILE_NOT_FOUND);
    fail = false;  // a failed read is not kept
    ASSERT_EQ(query(0), ERROR_MORE_DATA);
    const DWORD needed = size;
    EXPECT_TRUE(query(needed - 1) == ERROR_MORE_DATA && size == needed);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), needed - 1) << "left alone";
    ASSERT_EQ(query(needed + 8), ERROR_SUCCESS);
    EXPECT_TRUE(size == needed && type == REG_BINARY && buffer[needed] == 0xAB &&
                std::memcmp(buffer.data(), u"PERF", 8) == 0);
    EXPECT_EQ(queries, 2);
    SetPerfDataSnapshotReuse(1h);  // drops the block: the next query reads afresh
    fail = true;
    EXPECT_EQ(query(needed), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(PerfDataStillServed(LastPerfDataServed())) << "a failed read serves nothing";
    fail = false;

    EXPECT_EQ(query(0, "511") + query(0, nullptr), 2 * ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(0, "510", &reserved), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "510", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
}

}  // namespace
