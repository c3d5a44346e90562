#include <gtest/gtest.h>

#include <vector>

#include "win_app.h"

namespace {

TEST(CommandLine, FileNamesOpenAndTheStandardFlagsAreSkipped) {
    const struct {
        std::vector<const char*> args;
        const char* file;  // null: a new document
    } cases[] = {
        {{}, nullptr},
        {{"/home/me/capture.ts"}, "/home/me/capture.ts"},
        {{"relative.ts"}, "relative.ts"},
        {{"/dde"}, nullptr},
        {{"-Embedding", "/Automation", "a.ts"}, "a.ts"},
        {{"/P", "a.ts"}, "a.ts"},
        {{"/pt", "a.ts", "printer", "driver", "port"}, "a.ts"},
        {{"/pt", "a.ts", "printer", "driver", "port", "b.ts"}, "a.ts"},
        {{"/pt"}, nullptr},
        {{"first.ts", "second.ts"}, "first.ts"},
        {{"/RegServer", "-unregserver", "/Register", "/Unregister"}, nullptr},
    };
    for (const auto& c : cases) {
        CWinApp app;
        std::vector<char*> argv{const_cast<char*>("vandrel")};
        for (const char* arg : c.args) {
            argv.push_back(const_cast<char*>(arg));
        }
        app.SetCommandLine(static_cast<int>(argv.size()), argv.data());
        CCommandLineInfo info;
        app.ParseCommandLine(info);
        if (c.file == nullptr) {
            EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
            EXPECT_TRUE(info.m_strFileName.IsEmpty());
        } else {
            EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
            EXPECT_STREQ(info.m_strFileName, c.file);
        }
    }
}

}  // namespace
