#include "win_init.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "message_map.h"
#include "process_signals.h"
#include "win_app.h"
#include "win_error.h"
#include "wnd.h"

namespace {

std::atomic<bool> g_bEnding{false};

void CloseMainWindow() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd != nullptr) {
        app->m_pMainWnd->SendMessage(WM_CLOSE);
    } else {
        QCoreApplication::quit();
    }
}

// A dialog or message box is ended first, and the frame closed only once every nested loop
// has returned: code under them goes on after them and must not find its view gone.
void CloseWhenUnwound() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    if (QApplication::activeModalWidget() != nullptr || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, qApp, CloseWhenUnwound);
        return;
    }
    CloseMainWindow();
}

// Qt's platform plugin calls exit() when the display connection breaks: the frame is
// closed here, before static objects go, so that what the views hold still reaches its
// files. The stack under exit() never resumes, so nested loops do not matter.
void CloseOnExit() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QCoreApplication::closingDown() ||
        QThread::currentThread() != application->thread()) {
        return;
    }
    CWinApp* app = AfxGetApp();
    if (app == nullptr || app->m_pMainWnd == nullptr) {
        return;
    }
    g_bEnding = true;
    app->m_pMainWnd->SendMessage(WM_CLOSE);
}

}  // namespace

void AfxWinInit() {
    std::setlocale(LC_NUMERIC, "C");
    IgnoreWriteSignals();
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    std::atexit(CloseOnExit);
    const int fd = WatchTerminationSignals();
    if (fd < 0) {
        std::fprintf(stderr,
                     "%s: termination signals cannot be watched (error %lu): Ctrl+C, kill or a "
                     "closed terminal will end the program without closing its captures\n",
                     qPrintable(QCoreApplication::applicationName()),
                     static_cast<unsigned long>(GetLastError()));
        return;
    }
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        if (TakeTerminationSignal() != 0 && !g_bEnding.exchange(true)) {
            CloseWhenUnwound();
        }
    });
}

bool glue::IsEnding() {
    return g_bEnding;
}
