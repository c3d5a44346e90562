#include "udp_dia.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "capture_test_support.h"
#include "dialog_units.h"
#include "resource.h"
#include "resources.h"

namespace {

struct Result {
    INT_PTR nResult;
    int nPort;
};

Result RunDialog(const QString& typed, ModalDriver::End end, bool clearFirst = true) {
    ModalDriver driver;
    driver.AnswerDialog(typed, end, clearFirst);
    CUDPDia dlg(nullptr);
    const INT_PTR nResult = dlg.DoModal();
    return {nResult, dlg.m_nPort};
}

TEST(UdpDia, LaysOutTheTemplateInDialogUnitsOfItsFont) {
    ModalDriver driver;
    QSize clientSize;
    QRect editGeometry;
    QRect okGeometry;
    QString prefilled;
    bool okHasFocus = false;
    driver.m_onDialog = [&](QDialog* dialog) {
        clientSize = dialog->size();
        auto* edit = dialog->findChild<QLineEdit*>();
        editGeometry = edit->geometry();
        prefilled = edit->text();
        okGeometry = dialog->findChild<QPushButton*>()->geometry();
        okHasFocus = dialog->focusWidget() == dialog->findChild<QPushButton*>();
        const DialogBaseUnits units = BaseUnitsOf(dialog->font());
        EXPECT_GT(units.x, 0);
        EXPECT_EQ(clientSize, QSize(MulDiv(120, units.x, 4), MulDiv(86, units.y, 8)));
        EXPECT_EQ(editGeometry, DluToPixels(units, 53, 22, 40, 14));
        EXPECT_EQ(okGeometry, DluToPixels(units, 33, 55, 50, 14));
        EXPECT_EQ(dialog->windowTitle(), "Dialog");
    };
    driver.AnswerDialog("", ModalDriver::End::Escape, false);
    CUDPDia dlg(nullptr);
    dlg.DoModal();
    EXPECT_EQ(prefilled, "1002");
    EXPECT_TRUE(okHasFocus);
}

TEST(UdpDia, EnterAcceptsThePrefilledPort) {
    const Result r = RunDialog("", ModalDriver::End::Enter, false);
    EXPECT_EQ(r.nResult, IDOK);
    EXPECT_EQ(r.nPort, 1002);
}

TEST(UdpDia, EscapeAndTheCloseBoxCancel) {
    EXPECT_EQ(RunDialog("", ModalDriver::End::Escape).nResult, IDCANCEL);
    EXPECT_EQ(RunDialog("", ModalDriver::End::CloseBox).nResult, IDCANCEL);
}

TEST(UdpDia, TypingKeepsOnlyDigitsAndAnEmptyPortIsZero) {
    EXPECT_EQ(RunDialog("8a0b0-1", ModalDriver::End::Enter).nPort, 8001);
    EXPECT_EQ(RunDialog("", ModalDriver::End::Enter).nPort, 0);
    EXPECT_EQ(RunDialog("65537", ModalDriver::End::Enter).nPort, 65537);
}

}  // namespace
