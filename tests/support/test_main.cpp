// Every test program's entry: one QApplication, as the program has, on the offscreen platform
// unless told otherwise (test discovery runs without ctest's environment), started as the
// program's own entry starts it; the tests that need a network of their own enter it first.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "network_namespace.h"
#include "resource_language.h"
#include "win_init.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    EnterNetworkNamespaceIfSelected();  // while this is the process's only thread
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    AfxWinInit();  // SIGXFSZ ignored, numbers in the C format
    if (!glue::UseResourceLanguage()) {
        std::fprintf(stderr, "Qt's Chinese translation is not installed (qt6-translations-l10n)\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
