// The machine registry: HKEY_LOCAL_MACHINE read from system.reg.
#include "registry.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_prefix.h"

namespace {

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
    for (const char* path : {"SOFTWARE", "software\\OSTRAND"}) {
        ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrand\\DVB Card 1", &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 3;
    char text[4] = {};
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_MORE_DATA);
    EXPECT_TRUE(size == 4 && type == REG_SZ);
    EXPECT_STREQ(text, "") << "a short buffer is left alone";
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

}  // namespace
