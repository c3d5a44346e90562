#include <QFontInfo>
#include <QPushButton>
#include <algorithm>

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

// From the toolbar's About button; the diagnostics' test opens it from the Help menu.
TEST_F(ShellTest, AboutBoxShowsItsFiveControlsInTheirOrderLaidOutFromDialogUnits) {
    ASSERT_TRUE(Start());
    m_modal.When<QDialog>([&](QDialog* dialog) {
        const QFont font = dialog->font();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关于 Vandrel"));
        EXPECT_TRUE(QFontInfo(font).family().contains("Serif"));
        EXPECT_EQ(dialog->size(), FromDialogUnits(font, 0, 0, 235, 55).size());
        // In template order: each control was lowered below those made before.
        QList<QWidget*> controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        std::reverse(controls.begin(), controls.end());
        ASSERT_EQ(controls.size(), 5);
        const auto* icon = qobject_cast<QLabel*>(controls[0]);
        ASSERT_TRUE(icon != nullptr && !icon->pixmap().isNull());
        EXPECT_EQ(icon->pos(), FromDialogUnits(font, 11, 17, 20, 20).topLeft());
        const std::pair<QString, QRect> texts[] = {
            {"Vandrel 1.0 版", FromDialogUnits(font, 40, 10, 119, 8)},
            {"", FromDialogUnits(font, 40, 25, 119, 8)},  // the notice, whatever its year
            {"确定", FromDialogUnits(font, 7, 7, 50, 14)},
            {"GetRegValue", FromDialogUnits(font, 157, 34, 60, 14)},
        };
        for (int i = 1; i < 5; ++i) {
            const auto& [text, rect] = texts[i - 1];
            const QString shown = controls[i]->property("text").toString();
            EXPECT_TRUE(text.isEmpty() ? !shown.isEmpty() : shown == text) << i;
            EXPECT_EQ(controls[i]->geometry(), rect) << i;
        }
        auto* ok = qobject_cast<QPushButton*>(controls[3]);
        EXPECT_TRUE(ok->isDefault());
        // Where the OK button overlaps the version text, the earlier control is on top.
        EXPECT_EQ(dialog->childAt(controls[1]->geometry().intersected(ok->geometry()).center()),
                  controls[1]);
        ok->click();
    });
    Button(ID_APP_ABOUT)->click();
}

}  // namespace
