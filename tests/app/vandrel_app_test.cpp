// The program's start-up: one copy at a time, the file named on its command line, the recent
// files of earlier runs.
#include <sys/stat.h>

#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <regex>

#include "shell_test.h"
#include "standard_ids.h"
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
TEST_F(SingleInstanceTest, StartUpIsRefusedWhileAnyHolderHasTheName) {
    const std::pair<QString, QStringList> holders[] = {
        {VANDREL_EXE, {}}, {"flock", {"-o", LockFile(), "sleep", "30"}}};
    for (const auto& [program, arguments] : holders) {
        SCOPED_TRACE(program.toStdString());
        ASSERT_TRUE(WaitUntil([this] { return !NameHeld(); })) << "the last holder gone";
        QProcess holder;
        holder.start(program, arguments);
        // A program starting on a busy machine may take a while.
        ASSERT_TRUE(WaitUntil([this] { return NameHeld(); }, 20000));
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

// Here the file named is a missing one, which ends start-up.
TEST_F(SingleInstanceTest, ANameNoneCanTakeLetsStartUpGoOnToTheFileNamed) {
    setenv("XDG_RUNTIME_DIR", Path("no such folder").toUtf8().constData(), 1);
    ModalDriver driver;
    EXPECT_FALSE(Start({Path("missing.ts").toUtf8().constData()}));
    EXPECT_EQ(driver.m_messages,
              std::vector<std::string>{"无法打开文档“" + Path("missing.ts").toStdString() +
                                       "”：文件不存在。"});
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

// Each run of the built program with a file adds it to the list; this one starts after five.
class RecentFilesTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        const std::string profile =
            Path("config/Local AppWizard-Generated Applications/Vandrel net traffic.conf")
                .toStdString();
        for (const char* name : {"file1", "file2", "file3", "file4", "file5"}) {
            QFile(Path(name)).open(QIODevice::WriteOnly);
            QProcess run;
            run.start(VANDREL_EXE, {Path(name)});
            const std::string line = ("File1=" + Path(name) + "\n").toStdString();
            // Read from the file: a QSettings of this process may cache it.
            ASSERT_TRUE(
                WaitUntil([&] { return ReadFile(profile).find(line) != std::string::npos; }, 20000))
                << line;
        }
        ASSERT_TRUE(Start());
        m_file = Popup("文件(&F)");
    }
    // The recent-file items of the File menu, as it opens.
    std::string Shown() {
        OpenPopup(m_file);
        std::string items;
        for (UINT nID = ID_FILE_MRU_FILE1; Item(m_file, nID) && Item(m_file, nID)->isEnabled();
             ++nID) {
            items += Item(m_file, nID)->text().remove(m_dir.path() + "/").toStdString() + " ";
        }
        return items;
    }
    QMenu* m_file = nullptr;
};

TEST_F(RecentFilesTest, TheLastFourOfEarlierRunsAreShownNewestFirstAndTheOneChosenOpens) {
    EXPECT_EQ(Shown(), "&1 file5 &2 file4 &3 file3 &4 file2 ");
    ClickItem(m_file, ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("file3 - Vandrel"));
}

TEST_F(RecentFilesTest, AFileThatHasGoneLeavesTheListWhenChosen) {
    QFile::remove(Path("file4"));
    m_modal.When<QDialog>([](QDialog* box) { box->accept(); });
    ClickItem(m_file, ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(Shown(), "&1 file5 &2 file3 &3 file2 ");
}

}  // namespace
