#include "udp_dia.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_units.h"
#include "modal_driver.h"
#include "resource.h"
#include "resources.h"

namespace {

TEST(UdpDia, LaysOutTheTemplateInDialogUnitsOfItsFont) {
    ModalDriver driver;
    bool seen = false;
    driver.m_onDialog = [&](QDialog* dialog) {
        seen = true;
        auto* edit = dialog->findChild<QLineEdit*>();
        auto* ok = dialog->findChild<QPushButton*>();
        const glue::DialogBaseUnits units = glue::BaseUnitsOf(dialog->font());
        EXPECT_GT(units.x, 0);
        EXPECT_EQ(dialog->size(), QSize(MulDiv(120, units.x, 4), MulDiv(86, units.y, 8)));
        EXPECT_EQ(edit->geometry(), glue::DluToPixels(units, 53, 22, 40, 14));
        EXPECT_EQ(ok->geometry(), glue::DluToPixels(units, 33, 55, 50, 14));
        EXPECT_EQ(dialog->windowTitle(), "Dialog");
        EXPECT_EQ(edit->text(), "1002");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), "UDP Port");
        EXPECT_EQ(dialog->focusWidget(), ok);
    };
    driver.AnswerDialog("", ModalDriver::End::Escape, false);
    CUDPDia(nullptr).DoModal();
    EXPECT_TRUE(seen);
}

TEST(UdpDia, EnterAcceptsTheDigitsTypedAndEscapeOrTheCloseBoxCancel) {
    using End = ModalDriver::End;
    const struct {
        const char* typed;
        End end;
        bool clearFirst;
        INT_PTR result;
        int port;  // -1: not checked
    } cases[] = {
        {"", End::Enter, false, IDOK, 1002},   {"8a0b0-1", End::Enter, true, IDOK, 8001},
        {"", End::Enter, true, IDOK, 0},       {"65537", End::Enter, true, IDOK, 65537},
        {"", End::Escape, true, IDCANCEL, -1}, {"", End::CloseBox, true, IDCANCEL, -1},
    };
    for (const auto& c : cases) {
        ModalDriver driver;
        driver.AnswerDialog(c.typed, c.end, c.clearFirst);
        CUDPDia dlg(nullptr);
        EXPECT_EQ(dlg.DoModal(), c.result) << c.typed;
        if (c.port >= 0) {
            EXPECT_EQ(dlg.m_nPort, c.port) << c.typed;
        }
    }
}

}  // namespace
