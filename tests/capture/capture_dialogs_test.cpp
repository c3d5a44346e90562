#include <gtest/gtest.h>

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "modal_driver.h"
#include "multi_cast_d.h"
#include "udp_dia.h"

namespace {

using End = ModalDriver::End;

// Dialog units to pixels as Windows converts them, worked out here from the font alone.
QRect Dlu(const QFont& font, QRect dlu) {
    const QFontMetrics metrics(font);
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int x = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int y = metrics.height();
    const auto px = [](int v, int unit, int per) { return (2 * v * unit + per) / (2 * per); };
    return {px(dlu.x(), x, 4), px(dlu.y(), y, 8), px(dlu.width(), x, 4), px(dlu.height(), y, 8)};
}

// The controls of one kind in template order: each was lowered below those made before.
template <class T>
QList<T*> Controls(QDialog* dialog) {
    QList<T*> list = dialog->findChildren<T*>(Qt::FindDirectChildrenOnly);
    std::reverse(list.begin(), list.end());
    return list;
}

// Opens the dialog, lets look check it or act on it, types port into its port edit (when given)
// and ends it with end.
template <class Dialog>
INT_PTR Answer(Dialog& dialog, End end, const char* port, std::function<void(QDialog*)> look = {}) {
    ModalDriver driver;
    driver.m_onDialog = std::move(look);
    driver.AnswerDialog(port ? port : "", end, port != nullptr);
    return dialog.DoModal();
}

struct Control {
    const char* text;  // as offered
    QRect dlu;
    const char* name = nullptr;  // what a screen reader says, when not the text
};

// Checks every control of the template in order; the first is the default OK, focused.
template <class Dialog>
void CheckLayout(QSize size, std::initializer_list<Control> expected) {
    Dialog shown(nullptr);
    Answer(shown, End::Escape, nullptr, [&](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Dialog");
        EXPECT_EQ(dialog->size(), Dlu(dialog->font(), {{0, 0}, size}).size());
        const QList<QWidget*> controls = Controls<QWidget>(dialog);
        ASSERT_EQ(controls.size(), expected.size());
        for (int i = 0; const auto& [text, dlu, name] : expected) {
            QWidget* control = controls[i++];
            SCOPED_TRACE(text);
            EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(text));
            EXPECT_EQ(control->geometry(), Dlu(dialog->font(), dlu));
            EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name),
                      QString::fromUtf8(name ? name : text));
            if (auto* label = qobject_cast<QLabel*>(control)) {
                // Broken over lines, the whole text shows within the control.
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
                EXPECT_LE(label->minimumSizeHint().width(), label->width());
            }
        }
        EXPECT_TRUE(qobject_cast<QPushButton*>(controls[0])->isDefault());
        EXPECT_EQ(dialog->focusWidget(), controls[0]);
    });
}

TEST(CaptureDialogs, LayOutTheirTemplatesInDialogUnitsWithWholeTextsAndTheDefaultsOffered) {
    CheckLayout<CUDPDia>({120, 86}, {{"OK", {33, 55, 50, 14}},
                                     {"1002", {53, 22, 40, 14}, "UDP Port"},
                                     {"UDP Port", {15, 23, 32, 16}}});
    CheckLayout<CMultiCastD>(
        {300, 146},
        {{"OK", {237, 20, 50, 14}},
         {"Cancel", {237, 47, 50, 14}},
         {"局部链接地址:224.0.0.0～224.0.0.255,用于局域网,路由器不转发属于此范围的IP包;",
          {18, 18, 204, 22}},
         {"预留组播地址：224.0.1.0～238.255.255.255,用于全球范围或网络协议;", {18, 46, 205, 23}},
         {"管理权限地址：239.0.0.0～239.255.255.255,组织内部使用,用于限制组播范围;",
          {18, 73, 215, 26}},
         {"228.7.7.7", {60, 100, 57, 14}, "IP address"},
         {"8001", {175, 100, 40, 14}, "IP Port"},
         {"IP address", {18, 100, 35, 8}},
         {"IP Port", {145, 100, 26, 10}}});
}

TEST(CaptureDialogs, EnterAcceptsTheDigitsTypedAndCancelEscapeOrTheCloseBoxCancel) {
    const struct {
        const char* typed;  // nullptr: the port as offered
        End end;
        INT_PTR result;
        int port;
    } udp[] = {{nullptr, End::Enter, IDOK, 1002}, {"8a0b0-1", End::Enter, IDOK, 8001},
               {"0", End::Enter, IDOK, 0},        {"0065535", End::Enter, IDOK, 65535},
               {"", End::Escape, IDCANCEL, 0},    {"", End::CloseBox, IDCANCEL, 0}};
    for (const auto& c : udp) {
        CUDPDia dialog(nullptr);
        EXPECT_EQ(Answer(dialog, c.end, c.typed), c.result) << c.typed;
        EXPECT_EQ(dialog.m_nPort, c.port) << c.typed;
    }
    CMultiCastD offered(nullptr);
    EXPECT_EQ(Answer(offered, End::Enter, nullptr), IDOK);
    EXPECT_EQ(std::string(offered.m_strAddress), "228.7.7.7");
    EXPECT_EQ(offered.m_nPort, 8001);
    CMultiCastD typed(nullptr);
    EXPECT_EQ(Answer(typed, End::Enter, "9x9-5",
                     [](QDialog* dialog) { Controls<QLineEdit>(dialog)[0]->setText("239.0.0.1"); }),
              IDOK);
    EXPECT_EQ(std::string(typed.m_strAddress), "239.0.0.1");
    EXPECT_EQ(typed.m_nPort, 995);
    CMultiCastD cancelled(nullptr);
    EXPECT_EQ(Answer(cancelled, End::None, nullptr,
                     [](QDialog* dialog) { Controls<QPushButton>(dialog)[1]->click(); }),
              IDCANCEL);
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
                                           "\" ! A port is a whole number "
                                           "from 0 to 65535."});
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
