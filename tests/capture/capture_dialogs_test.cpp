// Every dialog template as laid out on the screen, and the captures' port dialogs as a user
// answers them.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "modal_driver.h"
#include "multi_cast_d.h"
#include "resource.h"
#include "resource_tables.h"
#include "udp_dia.h"

namespace {

using End = ModalDriver::End;

// The controls of one kind in template order: each was lowered below those made before.
template <class T>
QList<T*> Controls(QDialog* dialog) {
    QList<T*> list = dialog->findChildren<T*>(Qt::FindDirectChildrenOnly);
    std::reverse(list.begin(), list.end());
    return list;
}

// Opens the dialog, lets look check it or act on it, types port into its port edit (when given)
// and ends it with end.
INT_PTR Answer(CDialog& dialog, End end, const char* port,
               std::function<void(QDialog*)> look = {}) {
    ModalDriver driver;
    driver.m_onDialog = std::move(look);
    driver.AnswerDialog(port ? port : "", end, port != nullptr);
    return dialog.DoModal();
}

TEST(DialogTemplates, EveryControlShowsWholeInsideItsDialogClearOfTheOthers) {
    for (const glue::DialogTemplate& t : g_dialogTemplates) {
        SCOPED_TRACE(t.lpszCaption);
        CDialog shown(t.nID);
        Answer(shown, End::Escape, nullptr, [&](QDialog* dialog) {
            const QList<QWidget*> controls = Controls<QWidget>(dialog);
            ASSERT_EQ(controls.size(), static_cast<qsizetype>(t.items.size()));
            for (qsizetype i = 0; i < controls.size(); ++i) {
                const QRect r = controls[i]->geometry();
                EXPECT_TRUE(dialog->rect().contains(r)) << i;
                // The About box's OK button lies over its icon and its version text, as its
                // template has always had it.
                for (qsizetype j = t.nID == IDD_ABOUTBOX && i == 3 ? 2 : 0; j < i; ++j) {
                    EXPECT_FALSE(r.intersects(controls[j]->geometry())) << j << " and " << i;
                }
                // Its text broken over lines as a static text control breaks it, down to the
                // last line's descent.
                if (auto* label = qobject_cast<QLabel*>(controls[i]);
                    label && label->pixmap().isNull()) {
                    const QFontMetricsF metrics(label->font());
                    const QRectF needed = metrics.boundingRect({0, 0, qreal(r.width()), 1e6},
                                                               Qt::TextWordWrap, label->text());
                    EXPECT_TRUE(needed.width() <= r.width() &&
                                qRound(needed.height() - metrics.leading()) <= r.height())
                        << i << ": " << needed.width() << " x " << needed.height();
                }
                if (qobject_cast<QLineEdit*>(controls[i])) {
                    EXPECT_FALSE(controls[i]->accessibleName().isEmpty()) << "unlabelled " << i;
                }
            }
        });
    }
}

TEST(CaptureDialogs, EnterAcceptsTheDigitsTypedAndTheCloseBoxCancels) {
    const struct {
        const char* typed;  // nullptr: the port as offered
        End end;
        INT_PTR result;
        int port;
    } udp[] = {{nullptr, End::Enter, IDOK, 1002},
               {"8a0b0-1", End::Enter, IDOK, 8001},
               {"0065535", End::Enter, IDOK, 65535},
               {"", End::CloseBox, IDCANCEL, 0}};
    for (const auto& c : udp) {
        CUDPDia dialog(nullptr);
        EXPECT_EQ(Answer(dialog, c.end, c.typed), c.result) << c.typed;
        EXPECT_EQ(dialog.m_nPort, c.port) << c.typed;
    }
}

// Pasted or typed, whatever is not a port is said and the dialog stays for a correction; only
// spaces around are forgiven.
template <class Dialog>
void CheckPortsRefused() {
    for (const char* typed : {"70000", "65536", "-5", "4294967297", "abc", "", "80 01"}) {
        Dialog dialog(nullptr);
        ModalDriver driver;
        driver.AnswerDialog("", End::None);
        driver.m_onDialog = [typed](QDialog* shown) {
            Controls<QLineEdit>(shown).back()->setText(typed);
            QTest::keyClick(shown, Qt::Key_Return);
            EXPECT_TRUE(shown->isVisible()) << typed;
            shown->reject();
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(driver.m_messages,
                  std::vector<std::string>{"Port is error = \"" + std::string(typed) +
                                           "\" ! A port is a whole number from 0 to 65535."});
        EXPECT_EQ(dialog.m_nPort, 0) << typed;
    }
    Dialog spaced(nullptr);
    EXPECT_EQ(Answer(spaced, End::Enter, nullptr,
                     [](QDialog* shown) { Controls<QLineEdit>(shown).back()->setText(" 5004 "); }),
              IDOK);
    EXPECT_EQ(spaced.m_nPort, 5004);
}

TEST(CaptureDialogs, APortThatIsNotAWholeNumberUpTo65535IsRefusedWithAMessage) {
    CheckPortsRefused<CUDPDia>();
    CheckPortsRefused<CMultiCastD>();
}

}  // namespace
