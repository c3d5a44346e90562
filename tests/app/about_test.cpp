#include <QFontInfo>
#include <QPushButton>
#include <algorithm>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

// From the toolbar's About button; the diagnostics' test opens it from the Help menu. A dialog
// unit is an eighth of the dialog font's line high; the box is 235 by 55 of them.
TEST_F(ShellTest, AboutBoxShowsItsFiveControlsInTemplateOrderWhereTheTemplatePutsThem) {
    ASSERT_TRUE(Start());
    m_modal.When<QDialog>([&](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关于 Vandrel"));
        EXPECT_TRUE(QFontInfo(dialog->font()).family().contains("Serif"));
        const double unitX = dialog->width() / 235.0, unitY = dialog->height() / 55.0;
        EXPECT_NEAR(8 * unitY, QFontMetrics(dialog->font()).height(), 1);
        // In template order: each control was lowered below those made before.
        QList<QWidget*> controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        std::reverse(controls.begin(), controls.end());
        ASSERT_EQ(controls.size(), 5);
        const std::pair<QString, QRect> inTemplate[] = {
            {"", {11, 17, 20, 20}},  // the icon
            {"Vandrel 1.0 版", {40, 10, 119, 8}},
            {"", {40, 25, 119, 8}},  // the notice, whatever its year
            {"确定", {7, 7, 50, 14}},
            {"GetRegValue", {157, 34, 60, 14}},
        };
        // Within a pixel each way; the icon is as large as its image.
        const auto off = [&](QPoint units, QPoint pixels) {
            return (QPointF(units.x() * unitX, units.y() * unitY) - pixels).manhattanLength();
        };
        const auto end = [](const QRect& rect) { return rect.bottomRight() + QPoint(1, 1); };
        for (int i = 0; i < 5; ++i) {
            const auto& [text, units] = inTemplate[i];
            const QRect shown = controls[i]->geometry();
            const QString shownText = controls[i]->property("text").toString();
            EXPECT_TRUE(i == 0 || (text.isEmpty() ? !shownText.isEmpty() : shownText == text)) << i;
            EXPECT_LE(off(units.topLeft(), shown.topLeft()), 2) << i;
            EXPECT_TRUE(i == 0 || off(end(units), end(shown)) <= 2) << i;
        }
        const auto* icon = qobject_cast<QLabel*>(controls[0]);
        EXPECT_TRUE(icon != nullptr && !icon->pixmap().isNull());
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
