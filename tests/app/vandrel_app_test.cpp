// The program's start-up: one copy at a time, and the recent files of earlier runs.
#include <sys/stat.h>

#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <regex>

#include "shell_test.h"
#include "standard_ids.h"
#include "temp_prefix.h"

namespace {

// The program's first copy, or any other holder of its name.
TEST_F(ShellTest, StartUpIsRefusedWhileAnyHolderHasTheName) {
    const QString lockFile = Path("runtime/Vandrel net traffic.mutex");
    // Read from /proc/locks: probing with a lock of our own could make the program starting at
    // that moment believe another copy runs.
    const auto nameHeld = [&] {
        struct stat file {};
        return stat(lockFile.toUtf8().constData(), &file) == 0 &&
               std::regex_search(ReadFile("/proc/locks"),
                                 std::regex("FLOCK.*:" + std::to_string(file.st_ino) + " "));
    };
    const std::pair<QString, QStringList> holders[] = {{VANDREL_EXE, {}},
                                                       {"flock", {"-o", lockFile, "sleep", "30"}}};
    for (const auto& [program, arguments] : holders) {
        SCOPED_TRACE(program.toStdString());
        ASSERT_TRUE(WaitUntil([&] { return !nameHeld(); })) << "the last holder gone";
        QProcess holder;
        holder.start(program, arguments);
        // A program starting on a busy machine may take a while.
        ASSERT_TRUE(WaitUntil([&] { return nameHeld(); }, 20000));
        m_modal.When<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle() + "|" + box->text(),
                      "Vandrel net traffic|The Program CVandrelApp Is Already Running!");
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_FALSE(Start());
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_EQ(holder.state(), QProcess::Running) << "the holder runs on";
    }
}

// A run of the built program with a file adds it to the list that the next run shows; the list's
// order and length are its own tests' (tests/framework).
TEST_F(ShellTest, ARecentFileOfAnEarlierRunThatHasGoneLeavesTheListWhenChosen) {
    const QString gone = Path("gone.ts");
    QFile(gone).open(QIODevice::WriteOnly);
    {
        QProcess run;
        run.start(VANDREL_EXE, {gone});
        const std::string profile =
            Path("config/Local AppWizard-Generated Applications/Vandrel net traffic.conf")
                .toStdString();
        // Read from the file: a QSettings of this process may cache it.
        ASSERT_TRUE(WaitUntil(
            [&] {
                return ReadFile(profile).find(("File1=" + gone).toStdString()) != std::string::npos;
            },
            20000));
    }
    ASSERT_TRUE(Start());
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ASSERT_EQ(Item(file, ID_FILE_MRU_FILE1)->text(), "&1 " + gone);
    QFile::remove(gone);
    m_modal.When<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->text(), "无法打开文档“" + gone + "”：文件不存在。");
        box->accept();
    });
    ClickItem(file, ID_FILE_MRU_FILE1);
    OpenPopup(file);
    EXPECT_FALSE(Item(file, ID_FILE_MRU_FILE1)->isEnabled()) << "the list is empty";
}

}  // namespace
