#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>

#include "document.h"
#include "resources.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

qint64 SizeOf(const QString& path) {
    return QFileInfo(path).exists() ? QFileInfo(path).size() : -1;
}

void Activate(QMainWindow* window) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// The framework's own texts come from the program's string table; none may be missing there.
TEST(ProgramStringTable, HoldsTheFrameworksTexts) {
    for (const UINT nID :
         {AFX_IDS_APP_TITLE, AFX_IDS_IDLEMESSAGE, AFX_IDS_UNTITLED, AFX_IDP_FAILED_TO_OPEN_DOC,
          AFX_IDP_FAILED_TO_SAVE_DOC, AFX_IDP_FILE_NOT_FOUND, AFX_IDP_FILE_BAD_PATH,
          AFX_IDP_FILE_ACCESS_DENIED}) {
        CString text;
        EXPECT_TRUE(AfxLoadString(nID, text) && !text.IsEmpty()) << std::hex << nID;
    }
}

// Save writes an empty file whatever it held; New then leaves it for an untitled document.
// The Edit and pane keys, whose commands have no handler, do nothing meanwhile.
TEST_F(ShellTest, FileOnTheCommandLineOpensTitledByItAndItsKeysSaveEmptyAndNewLeaveIt) {
    const QString path = Path("capture log.ts");
    WriteFile(path, "whatever it holds");
    // Flags of the standard parser are skipped.
    ASSERT_TRUE(Start({"/dde", "-Embedding", path.toUtf8().constData()}));
    const QString title = QStringLiteral("capture log.ts - Vandrel");
    EXPECT_EQ(Window()->windowTitle(), title);
    EXPECT_EQ(QString::fromUtf8(Frame()->GetActiveDocument()->GetPathName().str()), path);
    Activate(Window());
    for (const char* keys : {"Ctrl+Z", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Alt+Backspace", "Shift+Del",
                             "Ctrl+Ins", "Shift+Ins", "F6", "Shift+F6"}) {
        QTest::keySequence(Window(), QKeySequence(keys));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << keys;
        EXPECT_EQ(Window()->windowTitle(), title) << keys;
        EXPECT_EQ(SizeOf(path), 17) << keys;
    }
    QTest::keyClick(Window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(SizeOf(path), 0);
    QTest::keyClick(Window(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
}

TEST_F(ShellTest, MissingFileOnTheCommandLineIsReportedAndEndsStartUp) {
    const QString path = Path("missing.ts");
    QString text;
    m_modal.When<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_FALSE(Start({path.toUtf8().constData()}));
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("文件不存在"))) << text.toStdString();
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

// The framework's own dialogs, in the resources' language: a file named in them opens or is
// saved to and titles the document; print preview shows one empty page.
TEST_F(ShellTest, FileCommandsAskThroughTheFrameworksDialogs) {
    WriteFile(Path("b.txt"), "x");
    ASSERT_TRUE(Start());
    Activate(Window());
    const struct {
        UINT nID;
        const char* dialogClass;
        const char* file;  // typed into the name box, then Enter; nullptr: cancelled
    } cases[] = {
        {ID_FILE_OPEN, "QFileDialog", "b.txt"},
        {ID_FILE_SAVE_AS, "QFileDialog", "saved.vdr"},
        {ID_FILE_PRINT, "QPrintDialog", nullptr},
        {ID_FILE_PRINT_SETUP, "QPageSetupDialog", nullptr},
        {ID_FILE_PRINT_PREVIEW, "QPrintPreviewDialog", nullptr},
    };
    QMenu* file = Popup("文件(&F)");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialogClass);
        m_modal.When<QDialog>([&](QDialog* dialog) {
            EXPECT_TRUE(dialog->inherits(c.dialogClass)) << dialog->metaObject()->className();
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                EXPECT_EQ(preview->pageCount(), 1);
            } else {
                QStringList buttons;
                for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                    buttons << button->text();
                }
                EXPECT_TRUE(buttons.contains(QStringLiteral("取消")))
                    << buttons.join(',').toStdString();
            }
            if (auto* files = qobject_cast<QFileDialog*>(dialog); files && c.file) {
                EXPECT_EQ(files->acceptMode() == QFileDialog::AcceptSave, c.nID == ID_FILE_SAVE_AS);
                EXPECT_EQ(files->fileMode() == QFileDialog::ExistingFile, c.nID == ID_FILE_OPEN);
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                name->setText(Path(c.file));
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                dialog->reject();
            }
        });
        if (c.nID == ID_FILE_OPEN) {
            QTest::keyClick(Window(), Qt::Key_O, Qt::ControlModifier);
        } else {
            OpenPopup(file);
            ClickItem(file, c.nID);
        }
        if (c.file != nullptr) {
            EXPECT_EQ(Window()->windowTitle(), QString(c.file) + " - Vandrel");
        }
    }
    EXPECT_EQ(SizeOf(Path("saved.vdr")), 0);
}

}  // namespace
