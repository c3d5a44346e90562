#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <fstream>

#include "resources.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "temp_prefix.h"

namespace {

// A file on the command line opens titled by it; Save writes an empty file whatever it held, New
// then leaves it for an untitled document. The framework's own dialogs, in the resources'
// language: a file named in them opens or is saved to and titles the document; print preview
// shows one empty page.
TEST_F(ShellTest, FileOnTheCommandLineOpensAndTheFileCommandsAskThroughTheFrameworksDialogs) {
    const QString path = Path("capture log.ts");
    std::ofstream(path.toStdString()) << "whatever";
    std::ofstream(Path("b.txt").toStdString()) << "";
    ASSERT_TRUE(Start({path.toUtf8().constData()}));
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("capture log.ts - Vandrel"));
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    QTest::keyClick(Window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(FileSize(path.toStdString()), 0);
    QTest::keyClick(Window(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
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
    // The framework's texts of failures no case here meets come from the string table too.
    for (const UINT nID :
         {AFX_IDP_FAILED_TO_SAVE_DOC, AFX_IDP_FILE_BAD_PATH, AFX_IDP_FILE_ACCESS_DENIED}) {
        CString text;
        EXPECT_TRUE(AfxLoadString(nID, text) && !text.IsEmpty()) << std::hex << nID;
    }
}

}  // namespace
