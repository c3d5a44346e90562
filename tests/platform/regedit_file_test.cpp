#include "regedit_file.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::vector<std::byte> Bytes(std::string_view text) {
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    return {data, data + text.size()};
}

// As regedit writes version 5: UTF-16LE after a BOM (the text here is Latin-1).
std::vector<std::byte> Utf16(std::string_view text) {
    std::vector<std::byte> bytes = Bytes("\xFF\xFE");
    for (const char c : text) {
        bytes.insert(bytes.end(), {static_cast<std::byte>(c), std::byte{0}});
    }
    return bytes;
}

// "name=type:bytes;" each value of each key, "[path]" before them; or the error code.
std::string Parse(const std::vector<std::byte>& file) {
    std::vector<RegeditKey> keys;
    if (const DWORD error = ParseRegeditFile(file, keys); error != ERROR_SUCCESS) {
        return std::to_string(error);
    }
    std::string out;
    for (const RegeditKey& key : keys) {
        out += "[" + key.path + "]";
        for (const auto& value : key.values) {
            out += value.name + "=" + std::to_string(value.type) + ":" +
                   std::string(value.data.begin(), value.data.end()) + ";";
        }
    }
    return out;
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
        EXPECT_EQ(Parse(file),
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Card]ChannelID=4:*\0\0\0;"
                  "Card State=1:ready \"A\" at C:\\cards\0;=3:\x01\x02\xff;"s);
    }
    // Version 5 keeps text types in hex as UTF-16; they come out narrow.
    EXPECT_EQ(Parse(Utf16(v5 + "\n[K]\n\"L\"=hex(7):e4,00,00,00,00,00\n")),
              "[K]L=7:\xc3\xa4\0\0;"s);
}

// Deleting a key deletes the keys below it as they are at that line, whatever their case.
TEST(RegeditFile, AKeyDeletedAndListedAgainComesBackEmptyAfterTheKeysBetween) {
    EXPECT_EQ(Parse(Bytes("REGEDIT4\n[A\\B]\n\"x\"=\"1\"\n[C]\n[-a]\n[a\\b]\n\"y\"=\"2\"\n"
                          "[A\\B\\D]\n[-A\\B\\D]\n[-A\\B\\D]\n")),
              "[C][a\\b]y=1:2\0;"s);
}

// One file a rule of the format; crash-freedom on any bytes is the fuzzer's.
TEST(RegeditFile, WhatIsNotInTheFormatIsABadDatabase) {
    auto oddLength = Utf16("REGEDIT4\n");
    oddLength.pop_back();
    EXPECT_EQ(Parse(oddLength), std::to_string(ERROR_BADDB));
    for (const char* file : {
             "Windows Registry Editor Version 5.01\n",
             "REGEDIT4\n\"no\"=\"key\"\n",
             "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n",
             "REGEDIT4\n[]\n",
             "REGEDIT4\n[K]\n\"x\"=\"open\n",
             "REGEDIT4\n[K]\n\"x\"=\"a\" tail\n",
             "REGEDIT4\n[K]\n\"x\"=dword:123456789\n",
             "REGEDIT4\n[K]\n\"x\"=hex:100\n",
             "REGEDIT4\n[K]\n\"x\"=hex(zz):01\n",
             "REGEDIT4\n[K]\n\"x\"=hex:01,\\\n",
             "REGEDIT4\n[K]\nstray\n",
         }) {
        EXPECT_EQ(Parse(Bytes(file)), std::to_string(ERROR_BADDB)) << file;
    }
}

}  // namespace
