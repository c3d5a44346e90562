// A fixture that runs the program's start-up in this test process, in fresh runtime and
// configuration folders, and helpers that drive its real widgets. Each test runs in a process
// of its own (the application object starts once per process).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>

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
    // Starts program on the offscreen platform, in a process of its own.
    static void Launch(QProcess& process, const QString& program, const QStringList& arguments);
    // Lets the frame's idle update of its bars run.
    static void LetIdleRun();

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

// Calls act with the first modal widget of type T that appears within five seconds, from
// inside the modal loop the test then enters. If none appears, or what is modal is still open
// five seconds after act, it fails the test and rejects it, so that the test goes on instead
// of hanging. A test that ends with act not called fails too.
template <typename T>
void WhenModal(std::function<void(T*)> act) {
    // Owned by the application, so that TearDown finds the watchers a test left.
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("modal-watcher"));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    auto acted = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, acted, act]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        auto stop = [timer] {
            timer->stop();
            timer->deleteLater();
        };
        if (!*acted) {
            if (auto* widget = qobject_cast<T*>(modal)) {
                *acted = true;
                timer->setProperty("acted", true);
                deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                act(widget);
                return;
            }
        } else if (modal == nullptr) {
            stop();
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << (*acted ? "still modal: " : "no modal ")
                          << (modal != nullptr ? modal->metaObject()->className()
                                               : T::staticMetaObject.className());
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            stop();
        }
    });
    timer->start(20);
}

// Processes events until done() holds or the seconds pass; returns done().
bool WaitFor(const std::function<bool()>& done, int seconds = 5);
