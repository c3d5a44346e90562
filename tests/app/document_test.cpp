#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <fstream>

#include "shell_test.h"
#include "standard_ids.h"
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

// In the resources' language: a file named in them opens or is saved to and titles the
// document; print preview shows one empty page.
TEST_F(DocumentTest, TheFileCommandsAskThroughTheFrameworksDialogs) {
    std::ofstream(Path("b.txt").toStdString()) << "";
    const std::tuple<UINT, const char*, const char*> cases[] = {
        // the command, its dialog, the file typed into its name box (none: cancelled)
        {ID_FILE_OPEN, "QFileDialog", "b.txt"},
        {ID_FILE_SAVE_AS, "QFileDialog", "saved.vdr"},
        {ID_FILE_PRINT, "QPrintDialog", nullptr},
        {ID_FILE_PRINT_SETUP, "QPageSetupDialog", nullptr},
        {ID_FILE_PRINT_PREVIEW, "QPrintPreviewDialog", nullptr},
    };
    for (const auto& [nID, dialogClass, typed] : cases) {
        SCOPED_TRACE(dialogClass);
        m_modal.When<QDialog>([&](QDialog* dialog) {
            EXPECT_TRUE(dialog->inherits(dialogClass)) << dialog->metaObject()->className();
            const auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            const auto* buttons = dialog->findChild<QDialogButtonBox*>();
            EXPECT_TRUE(preview ? preview->pageCount() == 1
                                : buttons->button(QDialogButtonBox::Cancel)->text() == "取消");
            if (auto* files = qobject_cast<QFileDialog*>(dialog); files && typed) {
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                name->setText(Path(typed));
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                dialog->reject();
            }
        });
        ClickItem(Popup("文件(&F)"), nID);
        EXPECT_TRUE(!typed || Window()->windowTitle() == QString(typed) + " - Vandrel");
    }
    EXPECT_EQ(FileSize(Path("saved.vdr").toStdString()), 0);
}

}  // namespace
