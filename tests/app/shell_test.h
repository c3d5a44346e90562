// A fixture that runs the program's start-up in this test process, in fresh runtime and
// configuration folders, and helpers that drive its real widgets. Each test runs in a process
// of its own (the application object starts once per process).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <chrono>
#include <functional>
#include <initializer_list>

#include "frame_wnd.h"
#include "vandrel_app.h"

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs InitInstance with these arguments after the program's name.
    BOOL Start(std::initializer_list<const char*> args = {});

    CFrameWnd* Frame() const { return dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd); }
    QMainWindow* Window() const;
    QMenu* Popup(const QString& title) const;
    static QAction* Item(QMenu* popup, UINT nID);
    QToolBar* ToolBar() const;
    QStatusBar* StatusBar() const;
    QString Pane(int index) const;
    // Whether routing finds a handler for nID, as the framework's enabling asks it.
    bool Handled(UINT nID) const;

    // Opens the pop-up as the menu bar does, so that its items are updated; ClickItem then
    // chooses an item with the mouse.
    static void OpenPopup(QMenu* popup);
    static void ClickItem(QMenu* popup, UINT nID);
    // Lets the frame's idle update of its bars run.
    static void LetIdleRun();

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

// Calls act with the first modal widget of type T that appears within five seconds, from
// inside the modal loop the test then enters. At the deadline it fails the test and rejects
// whatever is modal, so that the test goes on instead of hanging.
template <typename T>
void WhenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* widget = qobject_cast<T*>(modal)) {
            timer->deleteLater();
            timer->stop();
            act(widget);
        } else if (std::chrono::steady_clock::now() > deadline) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className() << " appeared";
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        }
    });
    timer->start(20);
}

// Processes events until done() holds or five seconds pass; returns done().
bool WaitFor(const std::function<bool()>& done);
