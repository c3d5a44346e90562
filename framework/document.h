// A document: its title, path and views. The program's document derives from it.
// Created by a document template; user-interface thread only.
#pragma once

#include <vector>

#include "archive.h"
#include "cmd_target.h"
#include "cstring.h"

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Makes the path absolute, titles the document by its file name and, if asked, puts it in
    // the application's recent-file list.
    virtual void SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL OnNewDocument();
    // Returns FALSE, after telling the user, when the file cannot be read.
    virtual BOOL OnOpenDocument(LPCSTR lpszPathName);
    // Returns FALSE, after telling the user, when the file cannot be written.
    virtual BOOL OnSaveDocument(LPCSTR lpszPathName);
    virtual void Serialize(CArchive& /*ar*/) {}
    // Closes every view's frame, then deletes this document.
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_viewList; }
    // Re-titles every frame that shows this document.
    void UpdateFrameCounts();

    // The document's own map, then its template's.
    BOOL OnCmdMsg(UINT nID, UINT nCode, void* pExtra) override;

protected:
    void OnFileSave();
    void OnFileSaveAs();
    // Saves under lpszPathName, or under a name the user picks when it is null.
    BOOL DoSave(LPCSTR lpszPathName, BOOL bReplace = TRUE);

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;

    friend class CDocTemplate;
    friend class CSingleDocTemplate;
    DECLARE_MESSAGE_MAP()
};
