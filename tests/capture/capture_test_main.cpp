// Runs the capture tests inside a QApplication on the offscreen platform. The copy that runs
// the multicast tests makes its network namespace first.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture_test_support.h"
#include "cstring.h"
#include "resource_tables.h"

// Defined beside theApp in the program, which these tests do not link.
CString g_strGroupIP;

#include "win_init.h"

int main(int argc, char** argv) {
    if (InNetworkNamespace()) {
        std::string reason;
        if (!EnterNetworkNamespace(reason)) {
            std::fprintf(stderr, "no network namespace for the multicast tests: %s\n",
                         reason.c_str());
            return 77;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    glue::SetResources(VandrelResources());
    AfxWinInit();  // as the program's entry: SIGXFSZ ignored, numbers in the C format
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
