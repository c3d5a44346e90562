// What the window says about one running capture, made once a second from its figures: a
// short line for the status bar, its least needed parts last, and the whole breakdown.
// Used by the view on the user-interface thread; one per capture kind, kept across ticks.
#pragma once

#include <chrono>

#include "capture_status.h"
#include "cstring.h"

class CCaptureStatusText {
public:
    using Clock = std::chrono::steady_clock;

    // How long nothing may arrive before the line says so.
    static constexpr std::chrono::seconds kSilence{5};

    // Takes this tick's figures, made at now; a new start time begins a new capture.
    void Update(const CaptureStatusFigures& figures, Clock::time_point now);
    // E.g. ":1002 — lost here 0, before this host 3, 9.8 Mbit/s, 0:01:23, 12.3 MB".
    const CString& GetLine() const { return m_strLine; }
    // Several lines: each figure in words, with its unit and how it was found.
    const CString& GetDetails() const { return m_strDetails; }

private:
    Clock::time_point m_started{};
    Clock::time_point m_lastTick{};
    Clock::time_point m_lastArrival{};
    uint64_t m_nBytesLastTick = 0;
    uint64_t m_nDatagramsLastTick = 0;
    CString m_strLine;
    CString m_strDetails;
};
