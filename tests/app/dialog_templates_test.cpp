// Every dialog template as laid out on the screen: what a user must be able to read and reach.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "dialog.h"
#include "modal_driver.h"
#include "resource.h"
#include "resource_tables.h"

namespace {

// Shows the dialog nID, hands look its controls in template order (each was lowered below
// those made before), then escapes it.
void Look(UINT nID, const std::function<void(QDialog*, const QList<QWidget*>&)>& look) {
    ModalDriver driver;
    driver.m_onDialog = [&](QDialog* dialog) {
        QList<QWidget*> controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        std::reverse(controls.begin(), controls.end());
        look(dialog, controls);
    };
    driver.AnswerDialog("", ModalDriver::End::Escape, false);
    CDialog(nID).DoModal();
}

TEST(DialogTemplates, EveryControlShowsWholeInsideItsDialogClearOfTheOthers) {
    for (const glue::DialogTemplate& t : g_dialogTemplates) {
        SCOPED_TRACE(t.lpszCaption);
        Look(t.nID, [&](QDialog* dialog, const QList<QWidget*>& controls) {
            ASSERT_EQ(controls.size(), static_cast<qsizetype>(t.items.size()));
            for (qsizetype i = 0; i < controls.size(); ++i) {
                const QRect r = controls[i]->geometry();
                EXPECT_TRUE(dialog->rect().contains(r)) << i;
                // The About box's OK button lies over its icon and its version text, as its
                // template has always had it.
                for (qsizetype j = t.nID == IDD_ABOUTBOX && i == 3 ? 2 : 0; j < i; ++j) {
                    EXPECT_FALSE(r.intersects(controls[j]->geometry())) << j << " and " << i;
                }
                // A label's text broken over lines as a static text control breaks it.
                if (auto* label = qobject_cast<QLabel*>(controls[i]);
                    label && label->pixmap().isNull()) {
                    const QFontMetricsF metrics(label->font());
                    const QRectF needed = metrics.boundingRect({0, 0, qreal(r.width()), 1e6},
                                                               Qt::TextWordWrap, label->text());
                    EXPECT_LE(needed.width(), r.width()) << i;
                    EXPECT_LE(qRound(needed.height() - metrics.leading()), r.height()) << i;
                }
                EXPECT_FALSE(qobject_cast<QLineEdit*>(controls[i]) &&
                             controls[i]->accessibleName().isEmpty())
                    << "unlabelled " << i;
            }
        });
    }
}

// 53, 22, 40, 14 in dialog units of DejaVu Sans at 11 pixels, whose base units are 7 and 13.
TEST(DialogTemplates, TheUdpPortEditIsWhereWindowsWouldPutIt) {
    Look(IDD_UDP_PORT, [](QDialog* dialog, const QList<QWidget*>&) {
        if (QFontInfo(dialog->font()).family() != "DejaVu Sans") {
            GTEST_SKIP() << "the pixels are those of DejaVu Sans";
        }
        EXPECT_EQ(dialog->findChild<QLineEdit*>()->geometry(), QRect(93, 36, 70, 23));
    });
}

}  // namespace
