#include <QFile>
#include <QProcess>

#include "shell_test.h"
#include "standard_ids.h"

namespace {

// Each run of the built program with a file adds it; a later run shows the last four, opens
// the one chosen, and drops one that has gone.
TEST_F(ShellTest, RecentFilesAreKeptAcrossRunsAndAVanishedOneLeavesTheList) {
    for (int n = 1; n <= 5; ++n) {
        const QString path = Path(QStringLiteral("file%1.txt").arg(n));
        QFile(path).open(QIODevice::WriteOnly);
        QProcess run;
        Launch(run, VANDREL_EXE, {path});
        // Read from the file, not through a QSettings of this process, which may cache it.
        QFile profile(
            Path("config/Local AppWizard-Generated Applications/Vandrel net traffic.conf"));
        EXPECT_TRUE(WaitUntil(
            [&] {
                profile.close();
                return profile.open(QIODevice::ReadOnly) &&
                       profile.readAll().contains(("File1=" + path + "\n").toUtf8());
            },
            20000))
            << n;
        run.kill();
        run.waitForFinished(5000);
    }
    ASSERT_TRUE(Start());
    QMenu* file = Popup("文件(&F)");
    // The recent-file items of the File menu, once it has been opened.
    const auto shownItems = [file] {
        OpenPopup(file);
        QStringList shown;
        for (QAction* action : file->actions()) {
            const UINT nID = action->data().toUInt();
            if (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE16 && action->isEnabled()) {
                shown << action->text();
            }
        }
        return shown;
    };
    EXPECT_EQ(shownItems(), QStringList({"&1 " + Path("file5.txt"), "&2 " + Path("file4.txt"),
                                         "&3 " + Path("file3.txt"), "&4 " + Path("file2.txt")}));
    ClickItem(file, ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("file3.txt - Vandrel"));

    QFile::remove(Path("file4.txt"));
    m_modal.When<QDialog>([](QDialog* box) { box->accept(); });
    OpenPopup(file);
    ClickItem(file, ID_FILE_MRU_FILE1 + 2);  // file4, after file3 came first
    EXPECT_EQ(shownItems(), QStringList({"&1 " + Path("file3.txt"), "&2 " + Path("file5.txt"),
                                         "&3 " + Path("file2.txt")}));
}

}  // namespace
