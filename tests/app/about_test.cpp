#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

// Dialog units to pixels as Windows converts them, from the dialog font's own metrics.
QRect FromDialogUnits(const QFont& font, int x, int y, int cx, int cy) {
    const QFontMetrics metrics(font);
    const int averageWidth =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26;
    const double unitX = ((averageWidth + 1) / 2) / 4.0;
    const double unitY = (metrics.ascent() + metrics.descent()) / 8.0;
    return QRect(qRound(x * unitX), qRound(y * unitY), qRound(cx * unitX), qRound(cy * unitY));
}

TEST_F(ShellTest, AboutBoxShowsItsFiveControlsLaidOutFromDialogUnits) {
    ASSERT_TRUE(Start());
    bool shown = false;
    WhenModal<QDialog>([&](QDialog* dialog) {
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关于 Vandrel"));
        EXPECT_TRUE(QFontInfo(dialog->font()).family().contains("Serif"))
            << QFontInfo(dialog->font()).family().toStdString();
        EXPECT_EQ(dialog->size(), FromDialogUnits(dialog->font(), 0, 0, 235, 55).size());
        const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
        const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        ASSERT_EQ(labels.size(), 3);
        ASSERT_EQ(buttons.size(), 2);
        // Template order: icon, version, copyright, then the two buttons.
        EXPECT_FALSE(labels[0]->pixmap().isNull());
        EXPECT_EQ(labels[0]->geometry().topLeft(),
                  FromDialogUnits(dialog->font(), 11, 17, 20, 20).topLeft());
        EXPECT_EQ(labels[1]->text(), QStringLiteral("Vandrel 1.0 版"));
        EXPECT_EQ(labels[1]->geometry(), FromDialogUnits(dialog->font(), 40, 10, 119, 8));
        EXPECT_FALSE(labels[2]->text().isEmpty());
        EXPECT_EQ(labels[2]->geometry(), FromDialogUnits(dialog->font(), 40, 25, 119, 8));
        EXPECT_EQ(buttons[0]->text(), QStringLiteral("确定"));
        EXPECT_TRUE(buttons[0]->isDefault());
        EXPECT_EQ(buttons[0]->geometry(), FromDialogUnits(dialog->font(), 7, 7, 50, 14));
        EXPECT_EQ(buttons[1]->text(), QStringLiteral("GetRegValue"));
        EXPECT_EQ(buttons[1]->geometry(), FromDialogUnits(dialog->font(), 157, 34, 60, 14));
        buttons[0]->click();
    });
    // From the toolbar's About button, as a user would.
    QAction* about = nullptr;
    for (QAction* action : ToolBar()->actions()) {
        about = action->data().toUInt() == ID_APP_ABOUT ? action : about;
    }
    ASSERT_NE(about, nullptr);
    qobject_cast<QAbstractButton*>(ToolBar()->widgetForAction(about))->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ShellTest, EscapeClosesTheAboutBoxAndTheProgramGoesOn) {
    ASSERT_TRUE(Start());
    WhenModal<QDialog>([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QMenu* help = Popup("帮助(&H)");
    OpenPopup(help);
    ClickItem(help, ID_APP_ABOUT);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_NE(theApp.m_pMainWnd, nullptr);
}

}  // namespace
