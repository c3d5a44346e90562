#include <sys/stat.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <fstream>
#include <string>

#include "shell_test.h"

namespace {

class SingleInstanceTest : public ShellTest {
protected:
    QString LockFile() const { return Path("runtime/Vandrel net traffic.mutex"); }

    // Read from /proc/locks: probing with a lock of our own could make the program starting
    // at that moment believe another copy runs.
    bool NameHeld() const {
        struct stat file {};
        if (stat(LockFile().toUtf8().constData(), &file) != 0) {
            return false;
        }
        std::string inode = ":";  // device, then inode, in the lock's line
        inode += std::to_string(file.st_ino);
        inode += ' ';
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

// The program's first copy, or any other holder of its name.
TEST_F(SingleInstanceTest, AnyHolderOfTheNameBlocksStartUpWithTheMessageAndRunsOn) {
    const std::pair<QString, QStringList> holders[] = {
        {VANDREL_EXE, {}}, {"flock", {"-o", LockFile(), "sleep", "30"}}};
    for (const auto& [program, arguments] : holders) {
        SCOPED_TRACE(program.toStdString());
        QProcess holder;
        Launch(holder, program, arguments);
        // A program starting on a busy machine may take a while.
        ASSERT_TRUE(WaitUntil([this] { return NameHeld(); }, 20000));
        QString text;
        m_modal.When<QMessageBox>([&](QMessageBox* box) {
            text = box->windowTitle() + "|" + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_FALSE(Start());
        EXPECT_EQ(text, QStringLiteral(
                            "Vandrel net traffic|The Program CVandrelApp Is Already Running!"));
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_FALSE(holder.waitForFinished(500));
        EXPECT_EQ(holder.state(), QProcess::Running);
        holder.kill();
        holder.waitForFinished(5000);
        ASSERT_TRUE(WaitUntil([this] { return !NameHeld(); }));
    }
}

TEST_F(SingleInstanceTest, ANameThatCannotBeTakenLetsStartUpGoOn) {
    setenv("XDG_RUNTIME_DIR", Path("no such folder").toUtf8().constData(), 1);
    EXPECT_TRUE(Start());
    EXPECT_NE(theApp.m_pMainWnd, nullptr);
}

}  // namespace
