#include "file.h"

#include "files.h"
#include "win_error.h"

namespace {

int CauseOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return CFileException::fileNotFound;
        case ERROR_ACCESS_DENIED:
            return CFileException::accessDenied;
        case ERROR_SHARING_VIOLATION:
            return CFileException::sharingViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return CFileException::diskFull;
        default:
            return CFileException::generic;
    }
}

}  // namespace

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Close();
    DWORD access = GENERIC_READ;
    if ((nOpenFlags & modeWrite) != 0) {
        access = GENERIC_WRITE;
    } else if ((nOpenFlags & modeReadWrite) != 0) {
        access = GENERIC_READ | GENERIC_WRITE;
    }
    DWORD share = 0;
    if ((nOpenFlags & shareDenyNone) == shareDenyNone) {
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    } else if ((nOpenFlags & shareDenyWrite) != 0) {
        share = FILE_SHARE_READ;
    }
    DWORD disposition = OPEN_EXISTING;
    if ((nOpenFlags & modeCreate) != 0) {
        disposition = (nOpenFlags & modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
    }
    m_hFile = CreateFileA(lpszFileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        if (pError != nullptr) {
            pError->m_lOsError = static_cast<LONG>(GetLastError());
            pError->m_cause = CauseOf(GetLastError());
        }
        return FALSE;
    }
    return TRUE;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr)) {
        const DWORD code = GetLastError();
        throw new CFileException(CauseOf(code), static_cast<LONG>(code));
    }
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (!SetFilePointerEx(m_hFile, static_cast<LONGLONG>(dwNewLen), nullptr, FILE_BEGIN) ||
        !SetEndOfFile(m_hFile)) {
        const DWORD code = GetLastError();
        throw new CFileException(CauseOf(code), static_cast<LONG>(code));
    }
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}
