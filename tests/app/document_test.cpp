#include <fstream>

#include "shell_test.h"
#include "temp_prefix.h"

namespace {

class DocumentTest : public ShellTest {
protected:
    // Started with a file named on the command line, its window active for the keys.
    void SetUp() override {
        ShellTest::SetUp();
        std::ofstream(m_path.toStdString()) << "whatever";
        ASSERT_TRUE(Start({m_path.toUtf8().constData()}));
        Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    }
    const QString m_path = Path("capture log.ts");
};

TEST_F(DocumentTest, AFileOnTheCommandLineOpensTitledByItAndNewLeavesItUntitled) {
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("capture log.ts - Vandrel"));
    QTest::keyClick(Window(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
    EXPECT_EQ(ReadFile(m_path.toStdString()), "whatever");
}

TEST_F(DocumentTest, SaveWritesAnEmptyFileWhateverItHeld) {
    QTest::keyClick(Window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(FileSize(m_path.toStdString()), 0);
}

}  // namespace
