// The machine registry: HKEY_LOCAL_MACHINE read from system.reg.
#include "registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "temp_prefix.h"

namespace {

// HKEY_LOCAL_MACHINE from system.reg in a prefix of the test's own; the card probe's own
// cases are in tests/app/diagnostics_test.cpp.
class MachineRegistry : public testing::Test {
protected:
    std::string RegistryFile() const { return m_prefix.m_path + "/system.reg"; }

    TempPrefix m_prefix;
};

TEST_F(MachineRegistry, KeysOpenByAnyCaseWithTheirParentsAndValuesCopyOut) {
    std::ofstream(RegistryFile())
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

// A real export lists hundreds of thousands of keys; the card's comes near the end of this one,
// written as regedit writes version 5 (UTF-16LE after a BOM).
TEST_F(MachineRegistry, TheCardsValuesAreFoundNearTheEndOfAFiftyThousandKeyExport) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    char line[160];
    for (int i = 0; i < 50'000; ++i) {
        if (i == 49'990) {
            text +=
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\r\n"
                "\"ChannelID\"=dword:00000007\r\n\"Card State\"=\"ready\"\r\n\r\n";
        }
        std::snprintf(line, sizeof line,
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{%08X-0000-4000-8000-%012X}]"
                      "\r\n@=\"Component %d\"\r\n\r\n",
                      i, i * 7919, i);
        text += line;
    }
    std::ofstream file(RegistryFile(), std::ios::binary);
    file << "\xFF\xFE";
    for (const char c : text) {
        file << c << '\0';
    }
    file.close();

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software\\OSTRAND\\quellar\\dvb card 1", &key),
              ERROR_SUCCESS);
    DWORD channel = 0, size = sizeof channel;
    EXPECT_EQ(RegQueryValueExA(key, "channelid", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&channel), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(channel, 7u);
    char state[100] = {};
    size = sizeof state;
    EXPECT_EQ(RegQueryValueExA(key, "CARD STATE", nullptr, nullptr, reinterpret_cast<BYTE*>(state),
                               &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(state, "ready");
    RegCloseKey(key);
}

}  // namespace
