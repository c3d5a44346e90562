// The GUI tests' entry: one QApplication for the test process, as the program has, on the
// offscreen platform unless told otherwise (test discovery runs without ctest's environment).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "resource_language.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (!glue::UseResourceLanguage()) {
        fprintf(stderr, "Qt's Chinese translation is not installed (qt6-translations-l10n)\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
