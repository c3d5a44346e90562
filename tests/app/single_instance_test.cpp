#include <sys/stat.h>

#include <QMessageBox>
#include <regex>

#include "shell_test.h"
#include "temp_prefix.h"

namespace {

class SingleInstanceTest : public ShellTest {
protected:
    QString LockFile() const { return Path("runtime/Vandrel net traffic.mutex"); }
    // Read from /proc/locks: probing with a lock of our own could make the program starting
    // at that moment believe another copy runs.
    bool NameHeld() const {
        struct stat file {};
        return stat(LockFile().toUtf8().constData(), &file) == 0 &&
               std::regex_search(ReadFile("/proc/locks"),
                                 std::regex("FLOCK.*:" + std::to_string(file.st_ino) + " "));
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
        m_modal.When<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle() + "|" + box->text(),
                      "Vandrel net traffic|The Program CVandrelApp Is Already Running!");
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_FALSE(Start());
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_FALSE(holder.waitForFinished(500)) << "the holder runs on";
        holder.kill();
        holder.waitForFinished(5000);
        ASSERT_TRUE(WaitUntil([this] { return !NameHeld(); }));
    }
}

TEST_F(SingleInstanceTest, ANameThatCannotBeTakenLetsStartUpGoOn) {
    setenv("XDG_RUNTIME_DIR", Path("no such folder").toUtf8().constData(), 1);
    EXPECT_TRUE(Start());
}

}  // namespace
