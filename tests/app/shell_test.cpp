#include "shell_test.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <vector>

#include "standard_ids.h"

void ShellTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkdir("runtime");
    QDir(m_dir.path()).mkdir("config");
    setenv("XDG_RUNTIME_DIR", Path("runtime").toUtf8().constData(), 1);
    setenv("XDG_CONFIG_HOME", Path("config").toUtf8().constData(), 1);
    // A dialog that no test expected would hold the test in its modal loop: fail and close it.
    auto* watchdog = new QTimer(qApp);
    watchdog->setObjectName(QStringLiteral("watchdog"));
    QObject::connect(watchdog, &QTimer::timeout, watchdog, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString();
            dialog->reject();
        }
    });
    watchdog->start(20000);
}

void ShellTest::TearDown() {
    delete qApp->findChild<QTimer*>(QStringLiteral("watchdog"));
    m_modal.Verify();
    if (theApp.m_pMainWnd != nullptr) {
        theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

BOOL ShellTest::Start(std::initializer_list<const char*> args) {
    std::vector<char*> argv{const_cast<char*>("vandrel")};
    for (const char* arg : args) {
        argv.push_back(const_cast<char*>(arg));
    }
    theApp.SetCommandLine(static_cast<int>(argv.size()), argv.data());
    return theApp.InitInstance();
}

QMainWindow* ShellTest::Window() const {
    return Frame() != nullptr ? qobject_cast<QMainWindow*>(Frame()->GetSafeHwnd()) : nullptr;
}

QMenu* ShellTest::Popup(const QString& title) const {
    for (QAction* action : Window()->menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

QAction* ShellTest::Item(QMenu* popup, UINT nID) {
    for (QAction* action : popup->actions()) {
        if (!action->isSeparator() && action->data().toUInt() == nID) {
            return action;
        }
    }
    return nullptr;
}

QToolBar* ShellTest::ToolBar() const {
    return Window()->findChild<QToolBar*>();
}

QStatusBar* ShellTest::StatusBar() const {
    return Window()->statusBar();
}

QString ShellTest::Pane(int index) const {
    auto* label = StatusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(index));
    return label != nullptr ? label->text() : QStringLiteral("<no pane>");
}

void ShellTest::OpenPopup(QMenu* popup) {
    popup->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
}

void ShellTest::ClickItem(QMenu* popup, UINT nID) {
    QAction* action = Item(popup, nID);
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
}

void ShellTest::Launch(QProcess& process, const QString& program, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForStarted(5000));
}

void ShellTest::LetIdleRun() {
    QTest::qWait(250);
}
