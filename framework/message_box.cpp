#include "message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

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

}  // namespace

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || QCoreApplication::closingDown() || AfxIsEnding()) {
        return 0;
    }
    const QString text = QString::fromUtf8(lpszText != nullptr ? lpszText : "");
    if (QThread::currentThread() == application->thread()) {
        return ShowOnThisThread(text, nType);
    }
    int result = 0;
    QMetaObject::invokeMethod(
        application, [&] { result = ShowOnThisThread(text, nType); }, Qt::BlockingQueuedConnection);
    return result;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    AfxLoadString(nIDPrompt, text);
    return AfxMessageBox(text, nType, nIDHelp);
}
