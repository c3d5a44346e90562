#include "dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>

#include "modal_driver.h"
#include "test_resources.h"

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

TEST(Dialog, ControlsSitInDialogUnitsAndAreNamedByTheirTextTheirLabelOrTheProgram) {
    QApplication::setApplicationDisplayName("Framework test");
    CDialog dialog(IDD_TEST);
    ModalDriver driver;
    driver.When<QDialog>([&](QDialog* open) {
        // A unit is a quarter of the font's average character width, an eighth of its height.
        const QFontMetrics metrics(open->font());
        const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        const double x = ((metrics.horizontalAdvance(letters) / 26 + 1) / 2) / 4.0;
        const double y = (metrics.ascent() + metrics.descent()) / 8.0;
        EXPECT_EQ(open->size(), QSize(qRound(200 * x), qRound(90 * y)));
        EXPECT_EQ(dialog.GetDlgItem(IDOK)->geometry(),
                  QRect(qRound(150 * x), qRound(5 * y), qRound(40 * x), qRound(14 * y)));

        QWidget* rowEdit = dialog.GetDlgItem(IDC_LEFT_LABELLED);
        EXPECT_EQ(AccessibleName(rowEdit), "Group");  // the nearer of two labels on its row
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDC_ABOVE_LABELLED)), "Port above");
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDC_UNLABELLED)), "");
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDOK)), "OK");
        int labelled = 0;
        for (QLabel* label : open->findChildren<QLabel*>()) {
            labelled += label->buddy() == rowEdit ? 1 : 0;
            EXPECT_FALSE(AccessibleName(label).isEmpty()) << label->text().toStdString();
            if (label->text().startsWith("A text longer")) {  // broken to the control's width
                EXPECT_GT(label->fontMetrics().horizontalAdvance(label->text()), label->width());
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            }
        }
        EXPECT_EQ(labelled, 1);
        open->reject();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

}  // namespace
