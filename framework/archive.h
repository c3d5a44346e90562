// The stream a document's Serialize reads from or writes to: here only its direction, since
// documents that store data would read and write the open file through it.
// Made by CDocument for one load or save; lives on its stack.
#pragma once

#include "win_types.h"

class QIODevice;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(QIODevice* pFile, UINT nMode) : m_pFile(pFile), m_nMode(nMode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    QIODevice* GetFile() const { return m_pFile; }

private:
    QIODevice* m_pFile;
    UINT m_nMode;
};
