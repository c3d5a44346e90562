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
#include <QToolBar>
#include <initializer_list>

#include "frame_wnd.h"
#include "modal_driver.h"
#include "vandrel_app.h"
#include "wait.h"

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
    ModalDriver m_modal{ModalDriver::Boxes::Leave};
};
