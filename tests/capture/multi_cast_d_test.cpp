#include "multi_cast_d.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "modal_driver.h"

namespace {

// Dialog units to pixels as Windows converts them, worked out here from the font alone.
struct Units {
    explicit Units(const QFont& font) {
        const QFontMetrics metrics(font);
        const double average =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26;
        x = static_cast<int>(average + 1) / 2;
        y = metrics.height();
    }
    QRect Rect(int left, int top, int width, int height) const {
        return {Scale(left, x, 4), Scale(top, y, 8), Scale(width, x, 4), Scale(height, y, 8)};
    }
    static int Scale(int value, int unit, int per) {
        return static_cast<int>(std::floor(value * unit / static_cast<double>(per) + 0.5));
    }
    int x = 0;
    int y = 0;
};

// The controls of one kind in template order: each was lowered below those made before.
template <class T>
QList<T*> Controls(QDialog* dialog) {
    QList<T*> list = dialog->findChildren<T*>(Qt::FindDirectChildrenOnly);
    std::reverse(list.begin(), list.end());
    return list;
}

TEST(MultiCastD, LaysOutTheTemplateAndOffersTheDefaultsWithOkFocused) {
    ModalDriver driver;
    bool seen = false;
    driver.m_onDialog = [&](QDialog* dialog) {
        seen = true;
        const Units units(dialog->font());
        EXPECT_EQ(dialog->windowTitle(), "Dialog");
        EXPECT_EQ(dialog->size(), units.Rect(0, 0, 300, 146).size());
        const auto buttons = Controls<QPushButton>(dialog);
        const auto edits = Controls<QLineEdit>(dialog);
        const auto labels = Controls<QLabel>(dialog);
        ASSERT_EQ(buttons.size(), 2);
        ASSERT_EQ(edits.size(), 2);
        ASSERT_EQ(labels.size(), 5);
        EXPECT_EQ(buttons[0]->text(), "OK");
        EXPECT_TRUE(buttons[0]->isDefault());
        EXPECT_EQ(buttons[0]->geometry(), units.Rect(237, 20, 50, 14));
        EXPECT_EQ(buttons[1]->text(), "Cancel");
        EXPECT_EQ(buttons[1]->geometry(), units.Rect(237, 47, 50, 14));
        const struct {
            const char* text;
            QRect rect;
        } texts[] = {
            {"局部链接地址:224.0.0.0～224.0.0.255,用于局域网,路由器不转发属于此范围的IP包;",
             units.Rect(18, 18, 204, 22)},
            {"预留组播地址：224.0.1.0～238.255.255.255,用于全球范围或网络协议;",
             units.Rect(18, 46, 205, 23)},
            {"管理权限地址：239.0.0.0～239.255.255.255,组织内部使用,用于限制组播范围;",
             units.Rect(18, 73, 215, 26)},
            {"IP address", units.Rect(18, 100, 35, 8)},
            {"IP Port", units.Rect(145, 100, 26, 10)},
        };
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(labels[i]->text(), QString::fromUtf8(texts[i].text));
            EXPECT_EQ(labels[i]->geometry(), texts[i].rect) << texts[i].text;
            // Broken over lines, the whole text shows within the control.
            EXPECT_LE(labels[i]->heightForWidth(labels[i]->width()), labels[i]->height())
                << texts[i].text;
            EXPECT_LE(labels[i]->minimumSizeHint().width(), labels[i]->width()) << texts[i].text;
        }
        for (int i = 0; i < 2; ++i) {
            QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(edits[i]);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text(QAccessible::Name), labels[3 + i]->text());
        }
        EXPECT_EQ(edits[0]->geometry(), units.Rect(60, 100, 57, 14));
        EXPECT_EQ(edits[1]->geometry(), units.Rect(175, 100, 40, 14));
        EXPECT_EQ(edits[0]->text(), "228.7.7.7");
        EXPECT_EQ(edits[1]->text(), "8001");
        EXPECT_EQ(dialog->focusWidget(), buttons[0]);
    };
    driver.AnswerDialog("", ModalDriver::End::Escape, false);
    CMultiCastD(nullptr).DoModal();
    EXPECT_TRUE(seen);
}

TEST(MultiCastD, EnterAcceptsWhatIsTypedAndCancelOrEscapeCancel) {
    using End = ModalDriver::End;
    {
        ModalDriver driver;
        driver.AnswerDialog("", End::Enter, false);
        CMultiCastD dlg(nullptr);
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(std::string(dlg.m_strAddress), "228.7.7.7");
        EXPECT_EQ(dlg.m_nPort, 8001);
    }
    {
        ModalDriver driver;
        driver.m_onDialog = [](QDialog* dialog) {
            QLineEdit* port = Controls<QLineEdit>(dialog)[1];
            port->clear();
            QTest::keyClicks(port, "9x9-5");  // the port edit takes digits only
            Controls<QLineEdit>(dialog)[0]->setText("239.0.0.1");
        };
        driver.AnswerDialog("", End::Enter, false);
        CMultiCastD dlg(nullptr);
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_nPort, 995);
        EXPECT_EQ(std::string(dlg.m_strAddress), "239.0.0.1");
    }
    {
        ModalDriver driver;
        driver.m_onDialog = [](QDialog* dialog) { Controls<QPushButton>(dialog)[1]->click(); };
        driver.AnswerDialog("", End::None, false);
        EXPECT_EQ(CMultiCastD(nullptr).DoModal(), IDCANCEL);
    }
    for (const End end : {End::Escape, End::CloseBox}) {
        ModalDriver driver;
        driver.AnswerDialog("", end, false);
        EXPECT_EQ(CMultiCastD(nullptr).DoModal(), IDCANCEL);
    }
}

}  // namespace
