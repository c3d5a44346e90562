#include "capture_report.h"

#include <cstdio>
#include <string>

#include "drive_paths.h"
#include "message_box.h"

CString ShortageText(DWORD dwError) {
    CString strText;
    if (dwError == ERROR_TOO_MANY_OPEN_FILES) {
        strText.Format(
            "\nThe program has run out of file descriptors (error = %lu): close other captures "
            "or raise the limit (ulimit -n).",
            static_cast<unsigned long>(dwError));
    } else if (dwError == ERROR_NOT_ENOUGH_MEMORY) {
        strText.Format("\nThe program has run out of memory (error = %lu).",
                       static_cast<unsigned long>(dwError));
    }
    return strText;
}

CString OpenFileErrorText(DWORD dwError) {
    CString strText = "Open file is error !";
    CString strReason;
    if (IsPrefixFolderForeign()) {
        strReason.Format(
            "\nThe folder %s belongs to another user; the program writes only into folders of "
            "its own (set VANDREL_PREFIX to one).",
            GetPrefixFolder().c_str());
    } else if (dwError == ERROR_PIPE_NOT_CONNECTED) {
        strReason.Format(
            "\nThe file is a pipe that no program reads (error = %lu): start its reader first.",
            static_cast<unsigned long>(dwError));
    } else if (dwError == ERROR_NOT_SUPPORTED) {
        strReason.Format("\nThe file is neither a file nor a pipe (error = %lu).",
                         static_cast<unsigned long>(dwError));
    } else {
        strReason = ShortageText(dwError);
    }
    strText += strReason;
    return strText;
}

void ReportWriteError(DWORD dwError, uint64_t nBytes) {
    CString strError;
    strError.Format("Write file is error = %ld ! %llu bytes received are dropped.",
                    static_cast<long>(dwError), static_cast<unsigned long long>(nBytes));
    AfxMessageBox(strError, MB_OK, 0);
}

CString LostBeforeText(const StreamCheckFigures& stream) {
    CString strText;
    switch (stream.unit) {
        case LossUnit::Datagrams:
            strText.Format("%llu datagrams (RTP sequence numbers)",
                           static_cast<unsigned long long>(stream.lostBefore));
            break;
        case LossUnit::ContinuityGaps:
            strText.Format("%llu continuity gaps (TS continuity counters)",
                           static_cast<unsigned long long>(stream.lostBefore));
            break;
        case LossUnit::None:
            strText = stream.kind == StreamKind::NotTs
                          ? "not checked (not an MPEG transport stream)"
                          : "not known (too few datagrams to tell the stream's kind)";
            break;
    }
    return strText;
}

void ReportCaptureEnd(LPCSTR lpszWhat, LPCSTR lpszFileName, const CaptureFigures& figures,
                      int nMaxDatagram, const StreamCheckFigures& stream, LPCSTR lpszMore) {
    std::string strPath;
    if (MapDrivePath(lpszFileName, strPath) != ERROR_SUCCESS) {
        strPath = lpszFileName;
    }
    CString strLine;
    strLine.Format(
        "vandrel: %s ended: %s: %llu bytes in %llu datagrams written; %llu datagrams lost (%llu "
        "receive buffer full, %llu longer than %d bytes, %llu not written",
        lpszWhat, strPath.c_str(), static_cast<unsigned long long>(figures.bytesWritten),
        static_cast<unsigned long long>(figures.datagramsWritten),
        static_cast<unsigned long long>(figures.Lost()),
        static_cast<unsigned long long>(figures.bufferFull),
        static_cast<unsigned long long>(figures.tooLong), nMaxDatagram,
        static_cast<unsigned long long>(figures.notWritten));
    CString strWriteError;
    if (figures.dwWriteError != 0) {
        strWriteError.Format(": write error = %ld", static_cast<long>(figures.dwWriteError));
    }
    // Added after what the line has always said, which scripts parse.
    CString strOrigin;
    strOrigin.Format("; lost here %llu datagrams; lost before this host %s",
                     static_cast<unsigned long long>(figures.Lost()),
                     static_cast<const char*>(LostBeforeText(stream)));
    std::fprintf(stderr, "%s%s)%s%s\n", static_cast<const char*>(strLine),
                 static_cast<const char*>(strWriteError), static_cast<const char*>(strOrigin),
                 lpszMore);
}
