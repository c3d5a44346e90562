#include <QFontInfo>
#include <QPushButton>
#include <algorithm>

#include "shell_test.h"
#include "standard_ids.h"

namespace {

// From the toolbar's About button; the diagnostics' test opens it from the Help menu. Laying a
// template out in dialog units is the capture dialogs' test's.
TEST_F(ShellTest, AboutBoxShowsItsFiveControlsInTemplateOrderTheEarlierOnTop) {
    ASSERT_TRUE(Start());
    m_modal.When<QDialog>([&](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关于 Vandrel"));
        EXPECT_TRUE(QFontInfo(dialog->font()).family().contains("Serif"));
        // Each control was lowered below those made before.
        QList<QWidget*> controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        std::reverse(controls.begin(), controls.end());
        ASSERT_EQ(controls.size(), 5);
        const auto* icon = qobject_cast<QLabel*>(controls[0]);
        EXPECT_TRUE(icon != nullptr && !icon->pixmap().isNull());
        QStringList texts;
        for (QWidget* control : controls.mid(1)) {
            texts << control->property("text").toString();
        }
        EXPECT_FALSE(texts[1].isEmpty()) << "the notice, whatever its year";
        texts[1].clear();
        EXPECT_EQ(texts, QStringList({"Vandrel 1.0 版", "", "确定", "GetRegValue"}));
        auto* ok = qobject_cast<QPushButton*>(controls[3]);
        EXPECT_TRUE(ok->isDefault());
        // Where the OK button overlaps the version text, the earlier control is on top.
        const QRect overlap = controls[1]->geometry().intersected(ok->geometry());
        ASSERT_FALSE(overlap.isEmpty());
        EXPECT_EQ(dialog->childAt(overlap.center()), controls[1]);
        ok->click();
    });
    Button(ID_APP_ABOUT)->click();
}

}  // namespace
