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
#include <chrono>

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(5);

struct ModalDriver::Expected {
    const char* type;  // a class name, matched as qobject_cast matches it
    std::function<void(QWidget*)> act;
    Clock::time_point deadline;  // to appear, then to close
    QPointer<QWidget> widget;    // the one it acts on
    bool acting = false, acted = false;
};

ModalDriver::ModalDriver(Boxes boxes) : m_boxes(boxes) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(10);
}

ModalDriver::~ModalDriver() {
    for (const auto& expected : m_expected) {
        EXPECT_TRUE(expected->acted) << "an expected " << expected->type << " never appeared";
    }
}

void ModalDriver::Expect(const char* type, std::function<void(QWidget*)> act) {
    m_expected.push_back(
        std::make_shared<Expected>(Expected{type, std::move(act), Clock::now() + kDeadline, {}}));
}

void ModalDriver::AnswerDialog(const QString& typed, End end, bool clearFirst) {
    When<QDialog>([this, typed, end, clearFirst](QDialog* dialog) {
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

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && m_boxes == Boxes::Answer) {
        m_messages.push_back(box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
        if (m_afterBox) {
            std::exchange(m_afterBox, {})();
        }
        return;
    }
    // A widget goes to one expectation only, however long it stays open.
    bool claimed =
        std::ranges::any_of(m_expected, [modal](const auto& e) { return e->widget == modal; });
    // Each in turn: given the modal widget it waits for, done once nothing is modal after it
    // acted, or failed and forgotten at its deadline.
    std::erase_if(m_expected, [&](const std::shared_ptr<Expected>& expected) {
        if (!expected->acting && !expected->acted && !claimed && modal != nullptr &&
            modal->inherits(expected->type)) {
            // Acted on from a call of its own: act may open another modal loop, in which this
            // timer has to go on answering.
            claimed = expected->acting = true;
            expected->widget = modal;
            QTimer::singleShot(0, modal, [expected] {
                expected->act(expected->widget);
                expected->acting = false;
                expected->acted = true;
                expected->deadline = Clock::now() + kDeadline;
            });
            return false;
        }
        const bool done = expected->acted && modal == nullptr;
        if (expected->acting || done || Clock::now() <= expected->deadline) {
            return done;
        }
        ADD_FAILURE() << (expected->acted ? "still modal: " : "no modal ")
                      << (modal != nullptr ? modal->metaObject()->className() : expected->type);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
        return true;
    });
}
