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

// HKEY_LOCAL_MACHINE from system.reg in a prefix of the test's own.
class MachineRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/vandrel-registry-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_prefix = folder;
        setenv("VANDREL_PREFIX", folder, 1);
    }
    void TearDown() override {
        unsetenv("VANDREL_PREFIX");
        std::filesystem::remove_all(m_prefix);
    }
    void WriteFile(const std::string& text) const {
        std::ofstream(m_prefix + "/system.reg", std::ios::binary) << text;
    }
    static LONG Open(LPCSTR path, HKEY& key) { return RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key); }
    // Queries name with a buffer of capacity bytes; returns the code, with size as it came back.
    static LONG Query(HKEY key, LPCSTR name, DWORD capacity, DWORD& size) {
        std::vector<BYTE> buffer(capacity + 1, 0xAB);
        size = capacity;
        const LONG code = RegQueryValueExA(key, name, nullptr, nullptr, buffer.data(), &size);
        EXPECT_EQ(buffer[capacity], 0xAB) << "written past the size given";
        return code;
    }

    std::string m_prefix;
};

constexpr const char* kCard = "SOFTWARE\\Ostrand\\Quellar\\DVB Card 1";

TEST_F(MachineRegistry, TheFileMissingUnreadableOrNotRegeditGivesItsCode) {
    HKEY key = nullptr;
    EXPECT_EQ(Open(kCard, key), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    std::filesystem::create_directory(m_prefix + "/system.reg");
    EXPECT_EQ(Open(kCard, key), static_cast<LONG>(ERROR_ACCESS_DENIED));
    std::filesystem::remove(m_prefix + "/system.reg");
    WriteFile("[HKEY_LOCAL_MACHINE\\SOFTWARE]\n");
    EXPECT_EQ(Open(kCard, key), static_cast<LONG>(ERROR_BADDB));
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyA(HKEY_PERFORMANCE_DATA, kCard, &key),
              static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(MachineRegistry, KeysOpenByAnyCaseAndTheirParentsExistToo) {
    WriteFile(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\n"
        "\"ChannelID\"=dword:00000007\n[HKEY_CURRENT_USER\\Other]\n");
    HKEY key = nullptr;
    for (const char* path :
         {kCard, "software\\OSTRAND\\quellar\\dvb card 1", "SOFTWARE\\Ostrand"}) {
        ASSERT_EQ(Open(path, key), static_cast<LONG>(ERROR_SUCCESS)) << path;
        EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_SUCCESS));
    }
    for (const char* path : {"SOFTWARE\\Ostrand\\Quellar\\DVB Card 2", "SOFTWARE\\Ostr", "Other",
                             "\\SOFTWARE", "SOFTWARE\\", "SOFTWARE\\\\Ostrand"}) {
        key = nullptr;
        EXPECT_EQ(Open(path, key), static_cast<LONG>(ERROR_FILE_NOT_FOUND)) << path;
        EXPECT_EQ(key, nullptr);
    }
}

TEST_F(MachineRegistry, ValuesUpToTheBufferAreReadLongerOnesGiveMoreDataAndTheSize) {
    std::string hundred = "hex:00";
    for (int i = 1; i < 100; ++i) {
        hundred += i % 20 == 0 ? ",\\\n  01" : ",01";
    }
    WriteFile("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
              std::string(kCard) + "]\r\n\"ChannelID\"=" + hundred + "\r\n\"Card State\"=\"" +
              std::string(100, 'x') + "\"\r\n\"Small\"=dword:0000002a\r\n");
    HKEY key = nullptr;
    ASSERT_EQ(Open(kCard, key), static_cast<LONG>(ERROR_SUCCESS));
    DWORD size = 0;
    EXPECT_EQ(Query(key, "ChannelID", 100, size), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(Query(key, "card state", 100, size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 101u);  // the text and its terminating zero
    EXPECT_EQ(Query(key, "Missing", 100, size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    DWORD type = 0;
    DWORD value = 0;
    size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, "SMALL", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 42u);
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Card State", nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(size, 101u);

    // Each open reads the file afresh; a key already open keeps what it read.
    WriteFile("REGEDIT4\n");
    EXPECT_EQ(Query(key, "ChannelID", 100, size), static_cast<LONG>(ERROR_SUCCESS));
    HKEY again = nullptr;
    EXPECT_EQ(Open(kCard, again), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Query(key, "ChannelID", 100, size), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

}  // namespace
