// What both captures say about their file: why it could not be opened, a write that failed,
// and the line on standard error that ends every capture.
// Used by the unicast socket (UI thread) and the multicast thread; no state of its own.
#pragma once

#include <cstdint>

#include "cstring.h"
#include "stream_checker.h"
#include "win_types.h"

// A capture's account of what it received: every datagram read is written or counted lost.
struct CaptureFigures {
    uint64_t bytesWritten = 0;
    uint64_t datagramsWritten = 0;
    uint64_t bufferFull = 0;  // the kernel's buffer or the socket's queue was full
    uint64_t tooLong = 0;     // longer than the capture reads
    uint64_t notWritten = 0;  // read, but the write failed or the capture ended first
    DWORD dwWriteError = 0;   // the last failed write's code; 0 when none failed

    uint64_t Lost() const { return bufferFull + tooLong + notWritten; }
};

// "Open file is error !", with a second line when the reason is one the user can act on: the
// prefix folder of another user, no descriptors left, a pipe nobody reads, not a file.
CString OpenFileErrorText(DWORD dwError);

// A reason line to add to a failure's message when the process ran out of something; empty
// for any other code.
CString ShortageText(DWORD dwError);

// "Write file is error = %ld ! %lu bytes received are dropped."
void ReportWriteError(DWORD dwError, uint64_t nBytes);

// What the stream lost before this host, in its unit and with how it was found: "3 datagrams
// (RTP sequence numbers)", "2 continuity gaps (TS continuity counters)", or why nothing was
// counted.
CString LostBeforeText(const StreamCheckFigures& stream);

// The capture's last line on standard error, e.g. "vandrel: capture of UDP port 5004 ended:
// <path>: ... written; ... lost (...); lost here ...; lost before this host ...". lpszWhat
// names the capture, nMaxDatagram is what it reads of one datagram at most; lpszMore, when
// given, goes last.
void ReportCaptureEnd(LPCSTR lpszWhat, LPCSTR lpszFileName, const CaptureFigures& figures,
                      int nMaxDatagram, const StreamCheckFigures& stream, LPCSTR lpszMore = "");
