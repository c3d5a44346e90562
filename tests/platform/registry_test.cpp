#include "registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "perf_data_source.h"
#include "perf_records.h"

namespace {

using namespace std::chrono_literals;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPerfDataSnapshotReuse(0ns);
        SetInterfaceSampleSource([this]() -> std::optional<std::vector<InterfaceSample>> {
            if (m_fail) {
                return std::nullopt;
            }
            return std::vector<InterfaceSample>{{"eth0", 1, 2, 0}, {"lo", 3, 4, 0}};
        });
    }
    void TearDown() override {
        SetInterfaceSampleSource({});
        SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
    }

    static LONG Query(LPBYTE data, LPDWORD size, LPDWORD type = nullptr) {
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, type, data, size);
    }

    bool m_fail = false;
};

TEST_F(RegistryTest, ShortBufferGetsMoreDataAndTheSizeAndStaysUntouched) {
    DWORD needed = 0;
    ASSERT_EQ(Query(nullptr, &needed), static_cast<LONG>(ERROR_MORE_DATA));
    ASSERT_GT(needed, sizeof(PERF_DATA_BLOCK));

    std::vector<BYTE> buffer(needed - 1, 0xAB);
    DWORD size = needed - 1;
    EXPECT_EQ(Query(buffer.data(), &size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), static_cast<long>(buffer.size()));

    buffer.assign(needed + 8, 0xAB);
    size = static_cast<DWORD>(buffer.size());
    DWORD type = 0;
    EXPECT_EQ(Query(buffer.data(), &size, &type), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_BINARY);
    PERF_DATA_BLOCK header;
    std::memcpy(&header, buffer.data(), sizeof header);
    EXPECT_EQ(std::u16string_view(header.Signature, 4), u"PERF");
    EXPECT_EQ(header.TotalByteLength, needed);
    EXPECT_EQ(buffer[needed], 0xAB);
}

TEST_F(RegistryTest, BadArgumentsGetTheirWindowsCodes) {
    DWORD reserved = 0;
    struct Case {
        HKEY key;
        LPCSTR name;
        LPDWORD reserved;
        bool withSize;
        LONG expected;
    };
    const Case cases[] = {
        {HKEY_PERFORMANCE_DATA, "511", nullptr, true, ERROR_FILE_NOT_FOUND},
        {HKEY_PERFORMANCE_DATA, "5100", nullptr, true, ERROR_FILE_NOT_FOUND},
        {HKEY_PERFORMANCE_DATA, "", nullptr, true, ERROR_FILE_NOT_FOUND},
        {HKEY_PERFORMANCE_DATA, nullptr, nullptr, true, ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "510", nullptr, true, ERROR_INVALID_HANDLE},
        {HKEY_PERFORMANCE_DATA, "510", &reserved, true, ERROR_INVALID_PARAMETER},
        {HKEY_PERFORMANCE_DATA, "510", nullptr, false, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(c.key, c.name, c.reserved, nullptr, nullptr,
                                   c.withSize ? &size : nullptr),
                  c.expected);
    }
}

TEST_F(RegistryTest, UnreadableCountersAreFileNotFound) {
    m_fail = true;
    DWORD size = 0;
    EXPECT_EQ(Query(nullptr, &size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
