#include "capture_status.h"

#include <atomic>

namespace {

std::atomic<bool> g_bStreamChecks{true};

}  // namespace

void SetStreamChecks(bool bOn) {
    g_bStreamChecks = bOn;
}

void CCaptureStatus::Start(LPCSTR lpszWhat) {
    // Made afresh: the checker knows the last capture's PIDs and numbering.
    m_pChecker = g_bStreamChecks ? std::make_unique<StreamChecker>() : nullptr;
    m_nBytesArrived = 0;
    m_nDatagramsArrived = 0;
    m_nRefusedUntold = 0;
    const std::lock_guard<std::mutex> hold(m_lock);
    m_published = CaptureStatusFigures{};
    m_published.strWhat = lpszWhat;
    m_published.started = std::chrono::steady_clock::now();
    m_bRunning = TRUE;
}

void CCaptureStatus::Publish(const CaptureFigures& figures) {
    const StreamCheckFigures stream = GetStreamFigures();
    const std::lock_guard<std::mutex> hold(m_lock);
    m_published.bytesArrived = m_nBytesArrived;
    m_published.datagramsArrived = m_nDatagramsArrived;
    m_published.capture = figures;
    m_published.stream = stream;
}

void CCaptureStatus::End() {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_bRunning = FALSE;
}

StreamCheckFigures CCaptureStatus::GetStreamFigures() const {
    return m_pChecker ? m_pChecker->Figures() : StreamCheckFigures{};
}

BOOL CCaptureStatus::GetFigures(CaptureStatusFigures& figures) const {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (!m_bRunning) {
        return FALSE;
    }
    figures = m_published;
    return TRUE;
}
