// A fixture that runs the program's start-up in this test process, in fresh runtime and
// configuration folders, and helpers that drive its real widgets. Each test runs in a process
// of its own (the application object starts once per process).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "frame_wnd.h"
#include "modal_driver.h"
#include "vandrel_app.h"
#include "wait.h"

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("runtime") && QDir(m_dir.path()).mkdir("config"));
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
        if (theApp.m_pMainWnd != nullptr) {
            theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // Runs InitInstance with these arguments after the program's name.
    BOOL Start(std::vector<const char*> args = {}) {
        args.insert(args.begin(), "vandrel");
        theApp.SetCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()));
        return theApp.InitInstance();
    }

    static QMainWindow* Window() {
        return qobject_cast<QMainWindow*>(theApp.m_pMainWnd->GetSafeHwnd());
    }
    QToolBar* ToolBar() const { return Window()->findChild<QToolBar*>(); }
    QMenu* Popup(const QString& title) const {
        const QList<QAction*> popups = Window()->menuBar()->actions();
        const auto it = std::find_if(popups.begin(), popups.end(),
                                     [&](QAction* popup) { return popup->text() == title; });
        return it != popups.end() ? (*it)->menu() : nullptr;
    }
    // The item of a pop-up or the entry of the toolbar that sends nID.
    static QAction* Item(QWidget* owner, UINT nID) {
        for (QAction* action : owner->actions()) {
            if (!action->isSeparator() && action->data().toUInt() == nID) {
                return action;
            }
        }
        return nullptr;
    }
    QAbstractButton* Button(UINT nID) const {
        return qobject_cast<QAbstractButton*>(ToolBar()->widgetForAction(Item(ToolBar(), nID)));
    }
    QLabel* Pane(int index) const {
        return Window()->statusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(index));
    }
    // Waits for the bars' first update when idle, which greys the last key pane: no display
    // server says a lock is on. False when it has not come.
    bool BarsUpdated() const {
        return WaitUntil([this] { return Pane(3) != nullptr && !Pane(3)->isEnabled(); });
    }

    // Opens the pop-up as the menu bar does, so that its items are updated, and chooses the
    // item with the mouse.
    static void ClickItem(QMenu* popup, UINT nID) {
        OpenPopup(popup);
        QTest::mouseClick(popup, Qt::LeftButton, {},
                          popup->actionGeometry(Item(popup, nID)).center());
    }
    static void OpenPopup(QMenu* popup) {
        popup->popup(QPoint(0, 0));
        QCoreApplication::processEvents();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QTimer m_watchdog;
    ModalDriver m_modal{ModalDriver::Boxes::Leave};
};
