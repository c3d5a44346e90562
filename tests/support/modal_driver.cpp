#include "modal_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <algorithm>

namespace {

constexpr auto kDeadline = std::chrono::seconds(5);

}  // namespace

ModalDriver::ModalDriver(Boxes boxes) : m_boxes(boxes) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(10);
}

ModalDriver::~ModalDriver() {
    Verify();
}

void ModalDriver::Expect(const char* type, std::function<bool(QWidget*)> matches,
                         std::function<void(QWidget*)> act) {
    m_expected.push_back(
        std::make_shared<Expected>(Expected{type,
                                            std::move(matches),
                                            std::move(act),
                                            std::chrono::steady_clock::now() + kDeadline,
                                            {}}));
}

void ModalDriver::AnswerDialog(const QString& typed, End end, bool clearFirst) {
    Expect(
        QDialog::staticMetaObject.className(),
        [](QWidget* widget) { return qobject_cast<QDialog*>(widget) != nullptr; },
        [this, typed, end, clearFirst](QWidget* widget) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (m_onDialog) {
                m_onDialog(dialog);
            }
            if (auto* edit = dialog->findChild<QLineEdit*>()) {
                if (clearFirst) {
                    edit->clear();
                }
                QTest::keyClicks(edit, typed);
            }
            if (end == End::Enter || end == End::Escape) {
                QTest::keyClick(dialog, end == End::Enter ? Qt::Key_Return : Qt::Key_Escape);
            } else if (end == End::CloseBox) {
                dialog->close();
            }
        });
}

void ModalDriver::Verify() {
    for (const auto& expected : m_expected) {
        if (!expected->acted) {
            ADD_FAILURE() << "an expected " << expected->type << " never appeared";
        }
    }
    m_expected.clear();
}

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && m_boxes == Boxes::Answer) {
        m_messages.push_back(box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    // A widget goes to one expectation only, however long it stays open.
    bool claimed = std::any_of(m_expected.begin(), m_expected.end(),
                               [modal](const auto& expected) { return expected->widget == modal; });
    for (const auto& expected : m_expected) {
        if (expected->acting) {
            continue;
        }
        if (!expected->acted) {
            if (!claimed && modal != nullptr && expected->matches(modal)) {
                // Acted on from a call of its own: act may open another modal loop, in which
                // this timer has to go on answering.
                claimed = true;
                expected->acting = true;
                expected->widget = modal;
                QTimer::singleShot(0, modal, [expected] {
                    expected->act(expected->widget);
                    expected->acting = false;
                    expected->acted = true;
                    expected->deadline = std::chrono::steady_clock::now() + kDeadline;
                });
                continue;
            }
        } else if (modal == nullptr) {
            expected->done = true;
            continue;
        }
        if (now > expected->deadline) {
            ADD_FAILURE() << (expected->acted ? "still modal: " : "no modal ")
                          << (modal != nullptr ? modal->metaObject()->className() : expected->type);
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            expected->acted = true;
            expected->done = true;
        }
    }
    std::erase_if(m_expected, [](const auto& expected) { return expected->done; });
}
