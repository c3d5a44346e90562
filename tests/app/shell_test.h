// A fixture that runs the program's start-up in this test process, in fresh runtime and
// configuration folders, and helpers that drive its real widgets. Each test runs in a process
// of its own (the application object starts once per process).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "frame_wnd.h"
#include "modal_driver.h"
#include "vandrel_app.h"
#include "wait.h"

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkdir("runtime");
        QDir(m_dir.path()).mkdir("config");
        setenv("XDG_RUNTIME_DIR", Path("runtime").toUtf8().constData(), 1);
        setenv("XDG_CONFIG_HOME", Path("config").toUtf8().constData(), 1);
        // A dialog that no test expected would hold the test in its modal loop: fail, close it.
        QObject::connect(&m_watchdog, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString();
                dialog->reject();
            }
        });
        m_watchdog.start(20000);
    }
    void TearDown() override {
        m_watchdog.stop();
        m_modal.Verify();
        if (theApp.m_pMainWnd != nullptr) {
            theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // Runs InitInstance with these arguments after the program's name.
    BOOL Start(std::initializer_list<const char*> args = {}) {
        std::vector<char*> argv{const_cast<char*>("vandrel")};
        for (const char* arg : args) {
            argv.push_back(const_cast<char*>(arg));
        }
        theApp.SetCommandLine(static_cast<int>(argv.size()), argv.data());
        return theApp.InitInstance();
    }

    CFrameWnd* Frame() const { return dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd); }
    QMainWindow* Window() const { return qobject_cast<QMainWindow*>(Frame()->GetSafeHwnd()); }
    QMenu* Popup(const QString& title) const {
        for (QAction* action : Window()->menuBar()->actions()) {
            if (action->text() == title) {
                return action->menu();
            }
        }
        return nullptr;
    }
    static QAction* Item(QMenu* popup, UINT nID) {
        for (QAction* action : popup->actions()) {
            if (!action->isSeparator() && action->data().toUInt() == nID) {
                return action;
            }
        }
        return nullptr;
    }
    QToolBar* ToolBar() const { return Window()->findChild<QToolBar*>(); }
    QStatusBar* StatusBar() const { return Window()->statusBar(); }
    QString Pane(int index) const {
        auto* label = StatusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(index));
        return label != nullptr ? label->text() : QStringLiteral("<no pane>");
    }

    // Opens the pop-up as the menu bar does, so that its items are updated; ClickItem then
    // chooses an item with the mouse.
    static void OpenPopup(QMenu* popup) {
        popup->popup(QPoint(0, 0));
        QCoreApplication::processEvents();
    }
    static void ClickItem(QMenu* popup, UINT nID) {
        QAction* action = Item(popup, nID);
        ASSERT_NE(action, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
    }
    // Starts program on the offscreen platform, in a process of its own.
    static void Launch(QProcess& process, const QString& program, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }
    // Lets the frame's idle update of its bars run.
    static void LetIdleRun() { QTest::qWait(250); }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QTimer m_watchdog;
    ModalDriver m_modal{ModalDriver::Boxes::Leave};
};
