// Runs the capture tests inside a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "win_init.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    AfxWinInit();  // as the program's entry: SIGXFSZ ignored, numbers in the C format
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
