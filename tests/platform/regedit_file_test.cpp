#include "regedit_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<std::byte> Bytes(std::string_view text) {
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    return {data, data + text.size()};
}

// As regedit writes version 5: UTF-16LE after a BOM (the text here is Latin-1).
std::vector<std::byte> Utf16(std::string_view text) {
    std::vector<std::byte> bytes{std::byte{0xFF}, std::byte{0xFE}};
    for (const char c : text) {
        bytes.push_back(static_cast<std::byte>(c));
        bytes.push_back(std::byte{0});
    }
    return bytes;
}

std::vector<BYTE> Data(std::string_view bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(RegeditFile, BothEncodingsAndBothHeadersGiveTheSameValues) {
    const std::string body =
        "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Card]\r\n"
        "\"ChannelID\"=dword:0000002a\r\n"
        "\"Card State\"=\"ready \\\"A\\\" at C:\\\\cards\"\r\n"
        "\"Gone\"=\"x\"\r\n"
        "@=hex:01,02,\\\r\n"
        "  ff\r\n"
        "[hkey_local_machine\\software\\card]\r\n"
        "\"gone\"=-\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Card\\Old]\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Card\\Old]\r\n"
        "\"skipped\"=\"in a deleted key\"\r\n";
    const std::string v5 = "Windows Registry Editor Version 5.00";
    for (const auto& file : {Bytes(v5 + body), Bytes("\xEF\xBB\xBF" + v5 + body), Utf16(v5 + body),
                             Bytes("REGEDIT4" + body)}) {
        std::vector<RegeditKey> keys;
        ASSERT_EQ(ParseRegeditFile(file, keys), ERROR_SUCCESS);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Card");
        ASSERT_EQ(keys[0].values.size(), 3u);
        EXPECT_EQ(keys[0].values[0].type, REG_DWORD);
        EXPECT_EQ(keys[0].values[0].data, Data({"\x2a\0\0\0", 4}));
        EXPECT_EQ(keys[0].values[1].type, REG_SZ);
        EXPECT_EQ(keys[0].values[1].data, Data({"ready \"A\" at C:\\cards", 22}));
        EXPECT_EQ(keys[0].values[2].name, "");
        EXPECT_EQ(keys[0].values[2].data, Data("\x01\x02\xff"));
    }
    // Version 5 keeps text types in hex as UTF-16; they come out narrow.
    std::vector<RegeditKey> keys;
    ASSERT_EQ(ParseRegeditFile(Utf16(v5 + "\n[K]\n\"L\"=hex(7):e4,00,00,00,00,00\n"), keys), 0u);
    EXPECT_EQ(keys[0].values[0].type, REG_MULTI_SZ);
    EXPECT_EQ(keys[0].values[0].data, Data({"\xc3\xa4\0\0", 4}));
}

TEST(RegeditFile, WhatIsNotInTheFormatIsABadDatabase) {
    const char* const files[] = {
        "",
        "Windows Registry Editor Version 5.01\n",
        "\nREGEDIT4\n",
        "REGEDIT4\n\"no\"=\"key\"\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n",
        "REGEDIT4\n[]\n",
        "REGEDIT4\n[K]\n\"x\"=\"open\n",
        "REGEDIT4\n[K]\n\"x\"=\"a\" tail\n",
        "REGEDIT4\n[K]\n\"x\"=dword:123456789\n",
        "REGEDIT4\n[K]\n\"x\"=hex:1,2,\n",
        "REGEDIT4\n[K]\n\"x\"=hex:100\n",
        "REGEDIT4\n[K]\n\"x\"=hex(zz):01\n",
        "REGEDIT4\n[K]\n\"x\"=hex:01,\\\n",
        "REGEDIT4\n[K]\nstray\n",
    };
    for (const char* file : files) {
        std::vector<RegeditKey> keys;
        EXPECT_EQ(ParseRegeditFile(Bytes(file), keys), ERROR_BADDB) << file;
    }
    std::vector<RegeditKey> keys;
    auto odd = Utf16("REGEDIT4\n");
    odd.pop_back();
    EXPECT_EQ(ParseRegeditFile(odd, keys), ERROR_BADDB);
}

TEST(RegeditFile, NamesMatchRegardlessOfCase) {
    EXPECT_TRUE(RegNamesEqual("Card State", "CARD state"));
    EXPECT_TRUE(RegNamesEqual("Über", "üBER"));
    EXPECT_FALSE(RegNamesEqual("ChannelID", "ChannelIDs"));
    EXPECT_FALSE(RegNamesEqual("a\xff", "a\xfe"));
    EXPECT_TRUE(
        RegPathIsAtOrBelow("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "hkey_local_machine\\software"));
    EXPECT_FALSE(
        RegPathIsAtOrBelow("HKEY_LOCAL_MACHINE\\SOFTWAREX", "HKEY_LOCAL_MACHINE\\SOFTWARE"));
}

}  // namespace
