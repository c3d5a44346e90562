#include <QFile>
#include <QProcess>
#include <QSettings>

#include "shell_test.h"
#include "standard_ids.h"

namespace {

class RecentFilesTest : public ShellTest {
protected:
    QString MakeFile(int n) const {
        const QString path = Path(QStringLiteral("file%1.txt").arg(n));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    static QString Stored(int n) {
        QSettings profile("Local AppWizard-Generated Applications", "Vandrel net traffic");
        return profile.value(QStringLiteral("Recent File List/File%1").arg(n)).toString();
    }

    // The recent-file items of the File menu, once it has been opened.
    QStringList ShownItems() {
        QMenu* file = Popup("文件(&F)");
        OpenPopup(file);
        QStringList shown;
        for (QAction* action : file->actions()) {
            const UINT nID = action->data().toUInt();
            if (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE16 && action->isEnabled()) {
                shown << action->text();
            }
        }
        file->hide();
        return shown;
    }
};

TEST_F(RecentFilesTest, ChoosingAnEntryOpensItAndAVanishedFileLeavesTheList) {
    ASSERT_TRUE(Start());
    theApp.OpenDocumentFile(MakeFile(1).toUtf8().constData());
    theApp.OpenDocumentFile(MakeFile(2).toUtf8().constData());
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ClickItem(file, ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("file1.txt - Vandrel"));

    QFile::remove(Path("file2.txt"));
    m_modal.When<QDialog>([](QDialog* box) { box->accept(); });
    OpenPopup(file);
    ClickItem(file, ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(ShownItems(), QStringList({"&1 " + Path("file1.txt")}));
}

// Each run of the built program with a file adds it; a later run shows the last four.
TEST_F(RecentFilesTest, ListIsKeptAcrossRuns) {
    for (int n = 1; n <= 5; ++n) {
        const QString path = MakeFile(n);
        QProcess run;
        Launch(run, VANDREL_EXE, {path});
        EXPECT_TRUE(WaitUntil([&] { return Stored(1) == path; }, 20000)) << n;
        run.kill();
        run.waitForFinished(5000);
    }
    ASSERT_TRUE(Start());
    EXPECT_EQ(ShownItems(), QStringList({"&1 " + Path("file5.txt"), "&2 " + Path("file4.txt"),
                                         "&3 " + Path("file3.txt"), "&4 " + Path("file2.txt")}));
}

}  // namespace
