#include <gtest/gtest.h>

#include "win_app.h"

namespace {

TEST(CommandLine, TheFirstFileNameOpensAndTheStandardFlagsAreSkipped) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        // the arguments; the file opened, null for a new document
        {{}, nullptr},
        {{"/home/me/capture.ts"}, "/home/me/capture.ts"},
        {{"relative.ts"}, "relative.ts"},
        {{"/dde"}, nullptr},
        {{"-Embedding", "/Automation", "a.ts"}, "a.ts"},
        {{"/P", "a.ts"}, "a.ts"},
        {{"/pt", "a.ts", "printer", "driver", "port", "b.ts"}, "a.ts"},
        {{"/pt"}, nullptr},
        {{"first.ts", "second.ts"}, "first.ts"},
        {{"/RegServer", "-unregserver", "/Register", "/Unregister"}, nullptr},
    };
    for (const auto& [args, file] : cases) {
        CWinApp app;
        std::vector<char*> argv{const_cast<char*>("vandrel")};
        for (const char* arg : args) {
            argv.push_back(const_cast<char*>(arg));
        }
        app.SetCommandLine(static_cast<int>(argv.size()), argv.data());
        CCommandLineInfo info;
        app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand,
                  file != nullptr ? CCommandLineInfo::FileOpen : CCommandLineInfo::FileNew);
        EXPECT_STREQ(info.m_strFileName, file != nullptr ? file : "");
    }
}

}  // namespace
