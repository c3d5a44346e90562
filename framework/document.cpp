#include "document.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "doc_template.h"
#include "frame_wnd.h"
#include "message_box.h"
#include "resources.h"
#include "standard_ids.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_SAVE, CDocument::OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, CDocument::OnFileSaveAs)
END_MESSAGE_MAP()

namespace {

QString LoadText(UINT nID) {
    CString text;
    AfxLoadString(nID, text);
    return QString::fromUtf8(text.str());
}

// Why a file cannot be used, in the resources' language.
QString Reason(const QFile& file) {
    const QFileInfo info(file.fileName());
    if (!info.exists()) {
        return LoadText(AFX_IDP_FILE_NOT_FOUND);
    }
    if (info.isDir()) {
        return LoadText(AFX_IDP_FILE_BAD_PATH);
    }
    if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError) {
        return LoadText(AFX_IDP_FILE_ACCESS_DENIED);
    }
    return file.errorString();
}

void ReportFileError(UINT nIDPrompt, const QFile& file) {
    const QString text =
        LoadText(nIDPrompt).arg(QFileInfo(file.fileName()).absoluteFilePath(), Reason(file));
    AfxMessageBox(text.toUtf8().constData(), MB_ICONWARNING);
}

}  // namespace

CDocument::CDocument() = default;

CDocument::~CDocument() {
    if (m_pDocTemplate != nullptr) {
        m_pDocTemplate->RemoveDocument(this);
    }
}

void CDocument::SetTitle(LPCSTR lpszTitle) {
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU) {
    const QFileInfo info(QString::fromUtf8(lpszPathName));
    m_strPathName = info.absoluteFilePath().toStdString();
    SetTitle(info.fileName().toUtf8().constData());
    if (bAddToMRU && AfxGetApp() != nullptr) {
        AfxGetApp()->AddToRecentFileList(m_strPathName);
    }
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR lpszPathName) {
    QFile file(QString::fromUtf8(lpszPathName));
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly)) {
        ReportFileError(AFX_IDP_FAILED_TO_OPEN_DOC, file);
        return FALSE;
    }
    DeleteContents();
    CArchive archive(&file, CArchive::load);
    Serialize(archive);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR lpszPathName) {
    QFile file(QString::fromUtf8(lpszPathName));
    if (QFileInfo(file.fileName()).isDir() ||
        !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ReportFileError(AFX_IDP_FAILED_TO_SAVE_DOC, file);
        return FALSE;
    }
    CArchive archive(&file, CArchive::store);
    Serialize(archive);
    if (!file.flush()) {
        ReportFileError(AFX_IDP_FAILED_TO_SAVE_DOC, file);
        return FALSE;
    }
    return TRUE;
}

void CDocument::OnFileSave() {
    DoSave(m_strPathName.IsEmpty() ? nullptr : m_strPathName.str().c_str());
}

void CDocument::OnFileSaveAs() {
    DoSave(nullptr);
}

BOOL CDocument::DoSave(LPCSTR lpszPathName, BOOL bReplace) {
    CString path = lpszPathName != nullptr ? lpszPathName : "";
    if (path.IsEmpty()) {
        CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        if (AfxGetApp() == nullptr || !AfxGetApp()->DoPromptFileName(name, FALSE)) {
            return FALSE;
        }
        path = name;
    }
    if (!OnSaveDocument(path)) {
        return FALSE;
    }
    if (bReplace) {
        SetPathName(path);
    }
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Copy: destroying a frame removes its view from the list.
    const std::vector<CView*> views = m_viewList;
    for (CView* view : views) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(view->m_pParentFrame)) {
            frame->DestroyWindow();
        }
    }
    DeleteContents();
    delete this;
}

void CDocument::AddView(CView* pView) {
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    std::erase(m_viewList, pView);
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateFrameCounts() {
    for (CView* view : m_viewList) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(view->m_pParentFrame)) {
            frame->OnUpdateFrameTitle(TRUE);
        }
    }
}

BOOL CDocument::OnCmdMsg(UINT nID, UINT nCode, void* pExtra) {
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra)) {
        return TRUE;
    }
    return m_pDocTemplate != nullptr && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra);
}
