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

// As a user does: the whole path into the name box, then Enter.
void TypeFileName(QFileDialog* dialog, const QString& path) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
    QTest::keyClick(edit, Qt::Key_Return);
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
TEST_F(ShellTest, FileOnTheCommandLineOpensTitledByItAndSaveEmptiesIt) {
    const QString path = Path("capture log.ts");
    WriteFile(path, "whatever it holds");
    // Flags of the standard parser are skipped.
    ASSERT_TRUE(Start({"/dde", "-Embedding", path.toUtf8().constData()}));
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("capture log.ts - Vandrel"));
    EXPECT_EQ(QString::fromUtf8(Frame()->GetActiveDocument()->GetPathName().str()), path);
    Activate(Window());
    QTest::keyClick(Window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(SizeOf(path), 0);
    QTest::keyClick(Window(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
}

TEST_F(ShellTest, SaveAsAsksForANameAndRetitlesTheDocument) {
    ASSERT_TRUE(Start());
    const QString path = Path("saved.vdr");
    m_modal.When<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        TypeFileName(dialog, path);
    });
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ClickItem(file, ID_FILE_SAVE_AS);
    EXPECT_EQ(SizeOf(path), 0);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("saved.vdr - Vandrel"));
}

TEST_F(ShellTest, OpenAcceleratorAsksForAnExistingFile) {
    const QString path = Path("b.txt");
    WriteFile(path, "x");
    ASSERT_TRUE(Start());
    Activate(Window());
    m_modal.When<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        TypeFileName(dialog, path);
    });
    QTest::keyClick(Window(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("b.txt - Vandrel"));
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

// The Edit keys have no handler: nothing opens, nothing changes.
TEST_F(ShellTest, EditAndPaneAcceleratorsAreInert) {
    ASSERT_TRUE(Start());
    Activate(Window());
    const QString title = Window()->windowTitle();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Z, Qt::ControlModifier},      {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_C, Qt::ControlModifier},      {Qt::Key_V, Qt::ControlModifier},
        {Qt::Key_Backspace, Qt::AltModifier},  {Qt::Key_Delete, Qt::ShiftModifier},
        {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
        {Qt::Key_F6, Qt::NoModifier},          {Qt::Key_F6, Qt::ShiftModifier},
    };
    for (const auto& [key, modifiers] : keys) {
        QTest::keyClick(Window(), key, modifiers);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << key;
        EXPECT_EQ(Window()->windowTitle(), title);
    }
}

// The framework's own dialogs, in the resources' language.
TEST_F(ShellTest, FileCommandsOpenTheFrameworksDialogs) {
    ASSERT_TRUE(Start());
    const struct {
        UINT nID;
        const char* dialogClass;
    } cases[] = {
        {ID_FILE_OPEN, "QFileDialog"},
        {ID_FILE_SAVE_AS, "QFileDialog"},
        {ID_FILE_PRINT, "QPrintDialog"},
        {ID_FILE_PRINT_SETUP, "QPageSetupDialog"},
    };
    QMenu* file = Popup("文件(&F)");
    for (const auto& c : cases) {
        QString shown;
        QStringList buttons;
        m_modal.When<QDialog>([&](QDialog* dialog) {
            shown =
                dialog->inherits(c.dialogClass) ? c.dialogClass : dialog->metaObject()->className();
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                buttons << button->text();
            }
            dialog->reject();
        });
        OpenPopup(file);
        ClickItem(file, c.nID);
        EXPECT_EQ(shown, QString::fromUtf8(c.dialogClass));
        EXPECT_TRUE(buttons.contains(QStringLiteral("取消"))) << buttons.join(',').toStdString();
    }
}

TEST_F(ShellTest, PrintPreviewShowsOneEmptyPage) {
    ASSERT_TRUE(Start());
    int pages = -1;
    m_modal.When<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        pages = widget != nullptr ? widget->pageCount() : -2;
        preview->reject();
    });
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ClickItem(file, ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(pages, 1);
}

}  // namespace
