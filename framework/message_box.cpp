#include "message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "dialog_template.h"
#include "resources.h"
#include "win_app.h"
#include "win_init.h"
#include "wnd.h"

namespace {

int ShowOnThisThread(const QString& text, UINT nType) {
    CWinApp* app = AfxGetApp();
    QWidget* owner =
        app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    QMessageBox box(owner);
    box.setWindowTitle(app != nullptr ? QString::fromUtf8(app->m_strAppName.str())
                                      : QApplication::applicationName());
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    if ((nType & 0xF0) == MB_ICONERROR) {
        box.setIcon(QMessageBox::Critical);
    } else if ((nType & 0xF0) == MB_ICONWARNING) {
        box.setIcon(QMessageBox::Warning);
    }
    box.exec();
    return IDOK;
}

// A worker's request, shared with the user-interface thread's call that shows it.
struct WorkerRequest {
    bool done = false;
    bool withdrawn = false;
    int result = 0;
};

std::mutex g_workerLock;
std::condition_variable g_workerChanged;
int g_releases = 0;

int AskUserInterfaceThread(QApplication* application, const QString& text, UINT nType) {
    auto request = std::make_shared<WorkerRequest>();
    std::unique_lock<std::mutex> hold(g_workerLock);
    if (g_releases > 0) {
        return 0;
    }
    QMetaObject::invokeMethod(
        application,
        [request, text, nType] {
            {
                const std::lock_guard<std::mutex> check(g_workerLock);
                if (request->withdrawn) {
                    return;
                }
            }
            const int result = ShowOnThisThread(text, nType);
            {
                const std::lock_guard<std::mutex> answer(g_workerLock);
                request->done = true;
                request->result = result;
            }
            g_workerChanged.notify_all();
        },
        Qt::QueuedConnection);
    g_workerChanged.wait(hold, [&] { return request->done || g_releases > 0; });
    request->withdrawn = !request->done;
    return request->result;
}

}  // namespace

glue::WorkerMessageBoxRelease::WorkerMessageBoxRelease() {
    {
        const std::lock_guard<std::mutex> hold(g_workerLock);
        ++g_releases;
    }
    g_workerChanged.notify_all();
}

glue::WorkerMessageBoxRelease::~WorkerMessageBoxRelease() {
    const std::lock_guard<std::mutex> hold(g_workerLock);
    --g_releases;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || QCoreApplication::closingDown() || glue::IsEnding()) {
        return 0;
    }
    const QString text = QString::fromUtf8(lpszText != nullptr ? lpszText : "");
    if (QThread::currentThread() == application->thread()) {
        return ShowOnThisThread(text, nType);
    }
    return AskUserInterfaceThread(application, text, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    AfxLoadString(nIDPrompt, text);
    return AfxMessageBox(text, nType, nIDHelp);
}
