#include <QAccessible>
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

TEST_F(ShellTest, AboutBoxShowsItsFiveControlsLaidOutFromDialogUnitsAndClosesWithEscape) {
    ASSERT_TRUE(Start());
    bool shown = false;
    m_modal.When<QDialog>([&](QDialog* dialog) {
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关于 Vandrel"));
        EXPECT_TRUE(QFontInfo(dialog->font()).family().contains("Serif"))
            << QFontInfo(dialog->font()).family().toStdString();
        EXPECT_EQ(dialog->size(), FromDialogUnits(dialog->font(), 0, 0, 235, 55).size());
        QLabel* icon = nullptr;
        QLabel* version = nullptr;
        QLabel* notice = nullptr;
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            QLabel*& slot = !label->pixmap().isNull()                           ? icon
                            : label->text() == QStringLiteral("Vandrel 1.0 版") ? version
                                                                                : notice;
            EXPECT_EQ(slot, nullptr);
            slot = label;
        }
        QPushButton* ok = nullptr;
        QPushButton* getRegValue = nullptr;
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            (button->text() == QStringLiteral("确定") ? ok : getRegValue) = button;
        }
        ASSERT_TRUE(icon && version && notice && ok && getRegValue);
        for (QWidget* control : {static_cast<QWidget*>(icon), static_cast<QWidget*>(version),
                                 static_cast<QWidget*>(notice), static_cast<QWidget*>(ok),
                                 static_cast<QWidget*>(getRegValue)}) {
            EXPECT_FALSE(
                QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());
        }
        const QFont font = dialog->font();
        EXPECT_EQ(icon->geometry().topLeft(), FromDialogUnits(font, 11, 17, 20, 20).topLeft());
        EXPECT_EQ(version->geometry(), FromDialogUnits(font, 40, 10, 119, 8));
        EXPECT_FALSE(notice->text().isEmpty());
        EXPECT_EQ(notice->geometry(), FromDialogUnits(font, 40, 25, 119, 8));
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(ok->geometry(), FromDialogUnits(font, 7, 7, 50, 14));
        EXPECT_EQ(getRegValue->text(), QStringLiteral("GetRegValue"));
        EXPECT_EQ(getRegValue->geometry(), FromDialogUnits(font, 157, 34, 60, 14));
        // Where the OK button overlaps the version text, the earlier control is on top.
        const QPoint overlap = version->geometry().intersected(ok->geometry()).center();
        EXPECT_EQ(dialog->childAt(overlap), version);
        ok->click();
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

    // From the Help menu, closed with Escape: the program goes on.
    m_modal.When<QDialog>([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QMenu* help = Popup("帮助(&H)");
    OpenPopup(help);
    ClickItem(help, ID_APP_ABOUT);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_NE(theApp.m_pMainWnd, nullptr);
}

}  // namespace
