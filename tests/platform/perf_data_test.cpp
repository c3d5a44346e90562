// The performance data: the block built from the kernel's counters, and the registry key
// that serves it.
#include "perf_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "perf_records.h"
#include "perf_source_fixture.h"
#include "registry.h"
#include "temp_prefix.h"

namespace {

using namespace std::chrono_literals;

template <typename T>
T Load(const std::vector<std::byte>& block, std::size_t at) {
    T value{};
    EXPECT_LE(at + sizeof value, block.size()) << "read past the block";
    std::memcpy(&value, block.data() + at, std::min(sizeof value, block.size() - at));
    return value;
}

// Follows the block's own lengths, as a reader would, from instance to counter block; the
// instances' names, each after the offset of its record and of its counter block.
std::vector<std::tuple<std::size_t, std::size_t, std::u16string>> Instances(
    const std::vector<std::byte>& block) {
    const auto header = Load<PERF_DATA_BLOCK>(block, 0);
    const auto object = Load<PERF_OBJECT_TYPE>(block, header.HeaderLength);
    std::vector<std::tuple<std::size_t, std::size_t, std::u16string>> out;
    std::size_t at = header.HeaderLength + object.DefinitionLength;
    for (LONG i = 0; i < object.NumInstances && at < block.size(); ++i) {
        const auto instance = Load<PERF_INSTANCE_DEFINITION>(block, at);
        std::u16string name(instance.NameLength / 2, u'\0');
        std::memcpy(name.data(), block.data() + at + instance.NameOffset, instance.NameLength);
        EXPECT_EQ(name.back(), u'\0');
        name.pop_back();
        out.emplace_back(at, at + instance.ByteLength, name);
        at += instance.ByteLength +
              Load<PERF_COUNTER_BLOCK>(block, at + instance.ByteLength).ByteLength;
    }
    EXPECT_EQ(at, block.size()) << "the last counter block ends the block";
    return out;
}

TEST(BuildPerfDataBlock, EveryRecordIs8AlignedAndItsLengthsLeadFromOneToTheNext) {
    std::vector<InterfaceSample> samples;
    for (std::size_t nameLength = 0; nameLength <= 9; ++nameLength) {
        samples.push_back({std::string(nameLength, 'n')});
    }
    for (std::size_t systemLength = 0; systemLength <= 8; ++systemLength) {
        SCOPED_TRACE(systemLength);
        const auto block = BuildPerfDataBlock(samples, std::u16string(systemLength, u's'));
        const auto header = Load<PERF_DATA_BLOCK>(block, 0);
        EXPECT_EQ(std::u16string_view(header.Signature, 4), u"PERF");
        EXPECT_EQ(header.TotalByteLength, block.size());
        EXPECT_EQ(header.HeaderLength, (88 + 2 * systemLength + 2 + 7) / 8 * 8) << "name in it";
        EXPECT_EQ(
            std::u16string(reinterpret_cast<const char16_t*>(block.data() + 88), systemLength),
            std::u16string(systemLength, u's'));
        const auto instances = Instances(block);
        ASSERT_EQ(instances.size(), samples.size());
        for (std::size_t i = 0; i < instances.size(); ++i) {
            const auto& [at, counters, name] = instances[i];
            EXPECT_EQ(name, std::u16string(i, u'n'));
            EXPECT_TRUE(at % 8 == 0 && counters % 8 == 0) << i;
        }
    }
}

// The registry key passes the source's codes through: one good read serves every query within
// the reuse age, into a buffer that holds it only.
TEST_F(PerfSourceTest, OneGoodReadServesEveryQueryWithinTheReuseAgeAndAnyBufferThatHoldsIt) {
    samples = {{"eth0", 1, 2, 0}, {"lo", 3, 4, 0}};
    std::vector<BYTE> buffer;
    DWORD size = 0;
    DWORD type = 0;
    DWORD reserved = 0;
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
    EXPECT_EQ(query(needed - 1), ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xAB; }));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(query(needed + 8), ERROR_SUCCESS);
        EXPECT_EQ(size, needed);
    }
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::memcmp(buffer.data(), u"PERF", 8), 0);
    EXPECT_EQ(buffer[needed], 0xAB);
    EXPECT_EQ(queries, 2);
    const std::uint64_t first = LastPerfDataServed();
    SetPerfDataSnapshotReuse(1h);  // drops the block: the next query reads afresh
    EXPECT_FALSE(PerfDataStillServed(first));
    fail = true;
    EXPECT_EQ(query(needed), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(PerfDataStillServed(LastPerfDataServed())) << "a failed read serves nothing";
    fail = false;
    SetPerfDataSnapshotReuse(0ns);
    EXPECT_EQ(query(0) + query(0), 2 * ERROR_MORE_DATA);
    EXPECT_EQ(queries, 5);

    EXPECT_EQ(query(0, "511"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(0, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(0, "510", &reserved), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "510", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
}

// HKEY_LOCAL_MACHINE from system.reg in a prefix of the test's own; the card probe's own
// cases are in tests/app/diagnostics_test.cpp.
TEST(MachineRegistry, KeysOpenByAnyCaseWithTheirParentsAndValuesCopyOut) {
    const TempPrefix prefix;
    std::ofstream(prefix.m_path + "/system.reg")
        << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\DVB Card 1]\n\"V\"=\"abc\"\n";
    HKEY key = nullptr;
    for (const char* path : {"SOFTWARE\\Ostr", "\\SOFTWARE", "SOFTWARE\\", "SOFTWARE\\\\Ostrand"}) {
        EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_FILE_NOT_FOUND) << path;
    }
    for (const char* path : {"SOFTWARE", "software\\OSTRAND", "SOFTWARE\\Ostrand\\DVB Card 1"}) {
        ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
    }
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    char text[4] = {};
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(text, "") << "a short buffer is left alone";
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

}  // namespace
