#include "regedit_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<std::byte> Bytes(std::string_view text) {
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    return {data, data + text.size()};
}

// text as regedit writes version 5: UTF-16LE after a BOM (the text here is ASCII or Latin-1).
std::vector<std::byte> Utf16(std::u16string_view text) {
    std::vector<std::byte> bytes{std::byte{0xFF}, std::byte{0xFE}};
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::byte>(c & 0xFF));
        bytes.push_back(static_cast<std::byte>(c >> 8));
    }
    return bytes;
}

std::vector<BYTE> Data(std::initializer_list<int> values) {
    std::vector<BYTE> out;
    for (const int v : values) {
        out.push_back(static_cast<BYTE>(v));
    }
    return out;
}

std::vector<BYTE> Text(std::string_view text) {
    std::vector<BYTE> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

const RegeditValue* Find(const RegeditKey& key, std::string_view name) {
    for (const RegeditValue& value : key.values) {
        if (RegNamesEqual(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

TEST(RegeditFile, BothEncodingsAndBothHeadersGiveTheSameKeysAndValues) {
    const std::string body =
        "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\r\n"
        "\"ChannelID\"=dword:0000002a\r\n"
        "\"Card State\"=\"ready \\\"A\\\" at C:\\\\cards\"\r\n"
        "@=hex:01,02,\\\r\n"
        "  ff\r\n";
    const std::u16string wide(body.begin(), body.end());
    const std::vector<std::vector<std::byte>> files = {
        Bytes("Windows Registry Editor Version 5.00" + body),
        Bytes("\xEF\xBB\xBFWindows Registry Editor Version 5.00" + body),
        Utf16(u"Windows Registry Editor Version 5.00" + wide),
        Bytes("REGEDIT4" + body),
    };
    for (const auto& file : files) {
        std::vector<RegeditKey> keys;
        ASSERT_EQ(ParseRegeditFile(file, keys), ERROR_SUCCESS);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1");
        ASSERT_EQ(keys[0].values.size(), 3u);
        EXPECT_EQ(keys[0].values[0].type, REG_DWORD);
        EXPECT_EQ(keys[0].values[0].data, Data({0x2a, 0, 0, 0}));
        EXPECT_EQ(keys[0].values[1].type, REG_SZ);
        EXPECT_EQ(keys[0].values[1].data, Text("ready \"A\" at C:\\cards"));
        EXPECT_EQ(keys[0].values[2].name, "");
        EXPECT_EQ(keys[0].values[2].type, REG_BINARY);
        EXPECT_EQ(keys[0].values[2].data, Data({1, 2, 0xff}));
    }
}

TEST(RegeditFile, TextTypesInHexComeOutNarrowAndRepeatsAndDeletionsApply) {
    const std::u16string file =
        u"Windows Registry Editor Version 5.00\n"
        u"[HKEY_LOCAL_MACHINE\\A]\n"
        u"\"Path\"=hex(2):25,00,41,00,25,00,00,00\n"
        u"\"List\"=hex(7):e4,00,00,00,62,00,00,00,00,00\n"
        u"\"Gone\"=\"x\"\n"
        u"\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
        u"; a comment\n"
        u"[hkey_local_machine\\a]\n"
        u"\"gone\"=-\n"
        u"\"PATH\"=\"replaced\"\n"
        u"[HKEY_LOCAL_MACHINE\\B\\C]\n"
        u"\"v\"=dword:1\n"
        u"[-HKEY_LOCAL_MACHINE\\B]\n"
        u"\"ignored\"=\"in a deleted key\"\n";
    std::vector<RegeditKey> keys;
    ASSERT_EQ(ParseRegeditFile(Utf16(file), keys), ERROR_SUCCESS);
    ASSERT_EQ(keys.size(), 1u);
    ASSERT_EQ(keys[0].values.size(), 3u);
    EXPECT_EQ(Find(keys[0], "Path")->data, Text("replaced"));
    EXPECT_EQ(Find(keys[0], "List")->type, REG_MULTI_SZ);
    EXPECT_EQ(Find(keys[0], "List")->data, Data({0xc3, 0xa4, 0, 'b', 0, 0}));
    EXPECT_EQ(Find(keys[0], "Big")->type, 0xbu);
    EXPECT_EQ(Find(keys[0], "Big")->data.size(), 8u);
    EXPECT_EQ(Find(keys[0], "Gone"), nullptr);
}

TEST(RegeditFile, WhatIsNotInTheFormatIsABadDatabase) {
    const char* const bodies[] = {
        "",
        "REGEDIT5\n",
        "Windows Registry Editor Version 5.01\n",
        "\n[HKEY_LOCAL_MACHINE\\A]\n",         // no header on the first line
        "REGEDIT4\n\"before\"=\"any key\"\n",  // a value with no key
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n",  // unclosed key
        "REGEDIT4\n[]\n",                      // empty key
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"open\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"a\" tail\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:123456789\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:1,2,\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:100\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex(zz):01\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\\\n",  // continued past the end
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=text\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nstray line\n",
    };
    for (const char* body : bodies) {
        std::vector<RegeditKey> keys;
        EXPECT_EQ(ParseRegeditFile(Bytes(body), keys), ERROR_BADDB) << body;
    }
    std::vector<RegeditKey> keys;
    auto odd = Utf16(u"REGEDIT4\n");
    odd.push_back(std::byte{0x41});
    EXPECT_EQ(ParseRegeditFile(odd, keys), ERROR_BADDB);
}

TEST(RegeditFile, NamesMatchAsWindowsMatchesThem) {
    EXPECT_TRUE(RegNamesEqual("Card State", "CARD state"));
    EXPECT_TRUE(RegNamesEqual("Über", "üBER"));
    EXPECT_TRUE(RegNamesEqual("", ""));
    EXPECT_FALSE(RegNamesEqual("Card State", "Card State "));
    EXPECT_FALSE(RegNamesEqual("ChannelID", "ChannelIDs"));
    EXPECT_FALSE(RegNamesEqual("a\xff", "a\xfe"));
    EXPECT_TRUE(
        RegPathIsAtOrBelow("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "hkey_local_machine\\software"));
    EXPECT_FALSE(
        RegPathIsAtOrBelow("HKEY_LOCAL_MACHINE\\SOFTWAREX", "HKEY_LOCAL_MACHINE\\SOFTWARE"));
}

}  // namespace
