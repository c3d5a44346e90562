#include <gtest/gtest.h>

#include "win_app.h"

namespace {

// A file on the command line, and /p FILE, are the packaging's check of the program itself.
TEST(CommandLine, TheFirstFileNameOpensAndTheStandardFlagsAreSkipped) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        // the arguments; the file opened, null for a new document
        {{"/dde"}, nullptr},
        {{"-Embedding", "/Automation", "a.ts", "b.ts"}, "a.ts"},
        {{"/pt", "a.ts", "printer", "driver", "port", "b.ts"}, "a.ts"},
        {{"/pt"}, nullptr},
    };
    for (const auto& [args, file] : cases) {
        CWinApp app;
        std::vector<const char*> argv{"vandrel"};
        argv.insert(argv.end(), args.begin(), args.end());
        app.SetCommandLine(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
        CCommandLineInfo info;
        app.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand,
                  file != nullptr ? CCommandLineInfo::FileOpen : CCommandLineInfo::FileNew);
        EXPECT_STREQ(info.m_strFileName, file != nullptr ? file : "");
    }
}

}  // namespace
