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

    // Starts a second copy in this process and answers its message box; returns what the
    // box said and whether start-up went on.
    QString SecondCopy(BOOL& started) {
        QString text;
        m_modal.When<QMessageBox>([&](QMessageBox* box) {
            text = box->windowTitle() + "|" + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        started = Start();
        return text;
    }

    void Run(QProcess& process, const QString& program, const QStringList& arguments) {
        Launch(process, program, arguments);
        // A program starting on a busy machine may take a while.
        ASSERT_TRUE(WaitUntil([this] { return NameHeld(); }, 20000));
    }

    static void Stop(QProcess& process) {
        process.kill();
        process.waitForFinished(5000);
    }
};

TEST_F(SingleInstanceTest, SecondCopyOfTheProgramShowsTheMessageAndTheFirstRunsOn) {
    QProcess first;
    Run(first, VANDREL_EXE, {});
    BOOL started = TRUE;
    EXPECT_EQ(SecondCopy(started),
              QStringLiteral("Vandrel net traffic|The Program CVandrelApp Is Already Running!"));
    EXPECT_FALSE(started);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_FALSE(first.waitForFinished(500));
    EXPECT_EQ(first.state(), QProcess::Running);
    Stop(first);
}

TEST_F(SingleInstanceTest, AnyHolderOfTheNameBlocksStartUp) {
    QProcess holder;
    Run(holder, "flock", {LockFile(), "sleep", "30"});
    BOOL started = TRUE;
    EXPECT_TRUE(SecondCopy(started).endsWith("The Program CVandrelApp Is Already Running!"));
    EXPECT_FALSE(started);
    Stop(holder);
}

TEST_F(SingleInstanceTest, ANameThatCannotBeTakenLetsStartUpGoOn) {
    setenv("XDG_RUNTIME_DIR", Path("no such folder").toUtf8().constData(), 1);
    EXPECT_TRUE(Start());
    EXPECT_NE(theApp.m_pMainWnd, nullptr);
}

}  // namespace
