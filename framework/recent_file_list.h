// The recent-file list: the last documents opened or saved, newest first, kept in the
// application's profile and shown in place of the first recent-file menu item.
// Owned by the application; user-interface thread only.
#pragma once

#include <vector>

#include "cstring.h"

class CCmdUI;
class QSettings;

class CRecentFileList {
public:
    // nStart: the first item's id; nSize: the most entries kept.
    CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize);

    int GetCount() const { return static_cast<int>(m_arrNames.size()); }
    const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }

    // Moves (or puts) lpszPathName to the front, dropping the oldest past the size.
    void Add(LPCSTR lpszPathName);
    void Remove(int nIndex);
    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;
    // Replaces the item pCmdUI (a glue::ActionCmdUI) stands for, and the list's items after it,
    // with one item per entry; with no entries the item keeps its text, greyed.
    void UpdateMenu(CCmdUI* pCmdUI);

private:
    UINT m_nStart;
    CString m_strSection;
    CString m_strEntryFormat;
    int m_nSize;
    std::vector<CString> m_arrNames;
    CString m_strOriginal;  // the item's own text, for an empty list
};
