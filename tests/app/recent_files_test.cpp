#include <QFile>

#include "shell_test.h"
#include "standard_ids.h"
#include "temp_prefix.h"

namespace {

// Each run of the built program with a file adds it; a later run shows the last four, opens
// the one chosen, and drops one that has gone.
TEST_F(ShellTest, RecentFilesAreKeptAcrossRunsAndAVanishedOneLeavesTheList) {
    const std::string profile =
        Path("config/Local AppWizard-Generated Applications/Vandrel net traffic.conf")
            .toStdString();
    for (const char* name : {"file1", "file2", "file3", "file4", "file5"}) {
        QFile(Path(name)).open(QIODevice::WriteOnly);
        QProcess run;
        Launch(run, VANDREL_EXE, {Path(name)});
        const std::string line = ("File1=" + Path(name) + "\n").toStdString();
        // Read from the file: a QSettings of this process may cache it.
        EXPECT_TRUE(
            WaitUntil([&] { return ReadFile(profile).find(line) != std::string::npos; }, 20000))
            << line;
        run.kill();
        run.waitForFinished(5000);
    }
    ASSERT_TRUE(Start());
    QMenu* file = Popup("文件(&F)");
    const auto shown = [&] {
        OpenPopup(file);
        std::string items;
        for (UINT nID = ID_FILE_MRU_FILE1; Item(file, nID) && Item(file, nID)->isEnabled(); ++nID) {
            items += Item(file, nID)->text().remove(m_dir.path() + "/").toStdString() + " ";
        }
        return items;
    };
    EXPECT_EQ(shown(), "&1 file5 &2 file4 &3 file3 &4 file2 ");
    ClickItem(file, ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("file3 - Vandrel"));
    QFile::remove(Path("file4"));
    m_modal.When<QDialog>([](QDialog* box) { box->accept(); });
    OpenPopup(file);
    ClickItem(file, ID_FILE_MRU_FILE1 + 2);  // file4, after file3 came first
    EXPECT_EQ(shown(), "&1 file3 &2 file5 &3 file2 ");
}

}  // namespace
