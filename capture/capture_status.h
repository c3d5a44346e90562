// A running capture's live figures: its consumer checks each datagram's stream and publishes
// the figures; the view reads them once a second. Used by both captures and the view; the
// consumer's methods run on one thread, GetFigures on any.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "capture_report.h"
#include "stream_checker.h"

// Seam for the benchmark: captures started from now on check their streams (the default) or
// only count what arrives.
void SetStreamChecks(bool bOn);

struct CaptureStatusFigures {
    CString strWhat;  // ":1002", "228.7.7.7:8001"
    std::chrono::steady_clock::time_point started;
    uint64_t bytesArrived = 0;
    uint64_t datagramsArrived = 0;
    CaptureFigures capture;  // Lost() is what was lost here
    StreamCheckFigures stream;
};

class CCaptureStatus {
public:
    CCaptureStatus() = default;
    CCaptureStatus(const CCaptureStatus&) = delete;
    CCaptureStatus& operator=(const CCaptureStatus&) = delete;

    // Consumer: a capture of lpszWhat starts; every figure starts again at 0.
    void Start(LPCSTR lpszWhat);
    // Consumer: a datagram arrived, nLostHereBefore datagrams after this host lost some.
    void Arrived(const std::byte* data, size_t size, uint64_t nLostHereBefore) {
        m_nBytesArrived += size;
        ++m_nDatagramsArrived;
        if (m_pChecker) {
            m_pChecker->Check(data, size, nLostHereBefore + m_nRefusedUntold);
        }
        m_nRefusedUntold = 0;
    }
    // Consumer: a datagram the capture refused (too long), after nLostHereBefore lost; the
    // next datagram's check is told of both.
    void Refused(uint64_t nLostHereBefore) { m_nRefusedUntold += nLostHereBefore + 1; }
    // Consumer: makes the figures so far readable.
    void Publish(const CaptureFigures& figures);
    // Consumer: the capture has ended; GetFigures says so from now on.
    void End();
    // Consumer: the stream's figures so far.
    StreamCheckFigures GetStreamFigures() const;

    // Any thread: the figures last published; FALSE, leaving figures as they were, when no
    // capture runs.
    BOOL GetFigures(CaptureStatusFigures& figures) const;

private:
    // The consumer's own.
    std::unique_ptr<StreamChecker> m_pChecker;
    uint64_t m_nBytesArrived = 0;
    uint64_t m_nDatagramsArrived = 0;
    uint64_t m_nRefusedUntold = 0;

    mutable std::mutex m_lock;
    BOOL m_bRunning = FALSE;
    CaptureStatusFigures m_published;
};
