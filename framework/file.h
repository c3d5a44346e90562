// A file on a drive-letter path, and the exception its failed writes raise.
// Used by the capture to write what it receives; one thread at a time per CFile.
// Write throws a CFileException* (release it with Delete()); Open reports by its result.
#pragma once

#include "cstring.h"
#include "runtime_class.h"
#include "win_types.h"

class CFileException : public CObject {
public:
    enum {
        none = 0,
        generic = 1,
        fileNotFound = 2,
        accessDenied = 5,
        sharingViolation = 11,
        diskFull = 14
    };

    CFileException(int cause, LONG lOsError) : m_cause(cause), m_lOsError(lOsError) {}
    void Delete() { delete this; }

    int m_cause;
    LONG m_lOsError;  // the Windows error code
};

class CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    CFile() = default;
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Returns FALSE when the file cannot be opened; pError, when given, gets the cause and
    // the Windows code. modeCreate without modeNoTruncate empties an existing file.
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // Writes all nCount bytes at the file's position or throws a CFileException*.
    void Write(const void* lpBuf, UINT nCount);
    // Cuts (or extends) the file to dwNewLen bytes and moves its position there; throws a
    // CFileException* on failure.
    void SetLength(ULONGLONG dwNewLen);
    void Close();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
