// Test entry for code that needs a QApplication; windows render off screen, never on a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "resource_tables.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    glue::SetResources(VandrelResources());
    return RUN_ALL_TESTS();
}
