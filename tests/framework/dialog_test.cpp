#include "dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <functional>

#include "test_resources.h"

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// Runs `inspect` on the open dialog, then cancels it; fails instead of waiting past 10 s.
void InspectModal(CDialog& dialog, const std::function<void(QDialog*)>& inspect) {
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    std::function<void()> poll = [&] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = true;
            inspect(open);
            open->reject();
        } else if (clock.elapsed() < 10000) {
            QTimer::singleShot(10, poll);
        } else {
            ADD_FAILURE() << "the dialog never opened";
        }
    };
    QTimer::singleShot(0, poll);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(seen);
}

TEST(Dialog, EveryControlHasAnAccessibleNameFromItsTextItsLabelOrTheProgram) {
    QApplication::setApplicationDisplayName("Framework test");
    CDialog dialog(IDD_TEST);
    InspectModal(dialog, [&](QDialog*) {
        QWidget* rowEdit = dialog.GetDlgItem(IDC_LEFT_LABELLED);
        EXPECT_EQ(AccessibleName(rowEdit), "Group");  // the nearer of two labels on its row
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDC_ABOVE_LABELLED)), "Port above");
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDC_UNLABELLED)), "");
        EXPECT_EQ(AccessibleName(dialog.GetDlgItem(IDOK)), "OK");
        int labelled = 0;
        for (QLabel* label : dialog.GetSafeHwnd()->findChildren<QLabel*>()) {
            labelled += label->buddy() == rowEdit ? 1 : 0;
            EXPECT_FALSE(AccessibleName(label).isEmpty()) << label->text().toStdString();
        }
        EXPECT_EQ(labelled, 1);
    });
}

TEST(Dialog, StaticTextBreaksItsLinesToTheControlsWidth) {
    CDialog dialog(IDD_TEST);
    InspectModal(dialog, [&](QDialog* open) {
        const QLabel* text = nullptr;
        for (QLabel* label : open->findChildren<QLabel*>()) {
            text = label->text().startsWith("A text longer") ? label : text;
        }
        ASSERT_NE(text, nullptr);
        EXPECT_GT(text->fontMetrics().horizontalAdvance(text->text()), text->width());
        EXPECT_LE(text->minimumSizeHint().width(), text->width());
        EXPECT_LE(text->heightForWidth(text->width()), text->height());
    });
}

}  // namespace
