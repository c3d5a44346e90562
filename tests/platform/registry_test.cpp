#include "registry.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "perf_records.h"
#include "perf_source_fixture.h"

namespace {

class RegistryTest : public PerfSourceTest {
protected:
    void SetUp() override {
        PerfSourceTest::SetUp();
        samples = {{"eth0", 1, 2, 0}, {"lo", 3, 4, 0}};
    }
};

TEST_F(RegistryTest, ShortBuffersGetMoreDataAndTheSizeAndStayUntouched) {
    const auto query = [](std::vector<BYTE>& buffer, DWORD& size, DWORD* type = nullptr) {
        size = static_cast<DWORD>(buffer.size());
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, type,
                                buffer.empty() ? nullptr : buffer.data(), &size);
    };
    std::vector<BYTE> buffer;
    DWORD needed = 0;
    ASSERT_EQ(query(buffer, needed), static_cast<LONG>(ERROR_MORE_DATA));
    ASSERT_GT(needed, sizeof(PERF_DATA_BLOCK));

    buffer.assign(needed - 1, 0xAB);
    DWORD size = 0;
    EXPECT_EQ(query(buffer, size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, needed);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xAB; }));

    buffer.assign(needed + 8, 0xAB);
    DWORD type = 0;
    EXPECT_EQ(query(buffer, size, &type), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::memcmp(buffer.data(), u"PERF", 8), 0);
    EXPECT_EQ(buffer[needed], 0xAB);
}

TEST_F(RegistryTest, BadArgumentsGetTheirWindowsCodes) {
    DWORD reserved = 0;
    DWORD size = 0;
    struct Case {
        HKEY key;
        LPCSTR name;
        LPDWORD reserved;
        LPDWORD size;
        DWORD expected;
    };
    const Case cases[] = {
        {HKEY_PERFORMANCE_DATA, "511", nullptr, &size, ERROR_FILE_NOT_FOUND},
        {HKEY_PERFORMANCE_DATA, nullptr, nullptr, &size, ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "510", nullptr, &size, ERROR_INVALID_HANDLE},
        {HKEY_PERFORMANCE_DATA, "510", &reserved, &size, ERROR_INVALID_PARAMETER},
        {HKEY_PERFORMANCE_DATA, "510", nullptr, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegQueryValueExA(c.key, c.name, c.reserved, nullptr, nullptr, c.size),
                  static_cast<LONG>(c.expected))
            << (c.name != nullptr ? c.name : "(null)");
    }
}

// HKEY_LOCAL_MACHINE from system.reg in a prefix of the test's own; the card probe's own
// cases are in tests/app/diagnostics_test.cpp.
TEST(MachineRegistry, KeysOpenByAnyCaseWithTheirParentsAndValuesCopyOut) {
    char prefix[] = "/tmp/vandrel-registry-XXXXXX";
    ASSERT_NE(mkdtemp(prefix), nullptr);
    setenv("VANDREL_PREFIX", prefix, 1);
    std::ofstream(std::string(prefix) + "/system.reg")
        << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\DVB Card 1]\n\"V\"=\"abc\"\n";
    HKEY key = nullptr;
    for (const char* path : {"SOFTWARE\\Ostrand\\DVB Card 1", "software\\OSTRAND", "SOFTWARE"}) {
        ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), 0) << path;
        EXPECT_EQ(RegCloseKey(key), 0);
    }
    for (const char* path : {"SOFTWARE\\Ostr", "\\SOFTWARE", "SOFTWARE\\", "SOFTWARE\\\\Ostrand"}) {
        EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), 2) << path;
    }
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrand\\DVB Card 1", &key), 0);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_SZ);
    char text[4] = {};
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(text, "") << "a short buffer is left alone";
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_INVALID_HANDLE));
    unsetenv("VANDREL_PREFIX");
    std::filesystem::remove_all(prefix);
}

}  // namespace
