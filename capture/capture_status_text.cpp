#include "capture_status_text.h"

#include <ctime>

namespace {

using std::chrono::duration;
using std::chrono::duration_cast;
using std::chrono::seconds;

unsigned long long Count(uint64_t n) {
    return static_cast<unsigned long long>(n);
}

CString Elapsed(CCaptureStatusText::Clock::duration elapsed) {
    const long long s = duration_cast<seconds>(elapsed).count();
    CString strText;
    strText.Format("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return strText;
}

// The program's KB is 1,024 bytes; its MB follows it.
constexpr double kBytesPerMB = 1024.0 * 1024.0;

CString FileSize(uint64_t bytes) {
    CString strText;
    strText.Format("%.1f MB", static_cast<double>(bytes) / kBytesPerMB);
    return strText;
}

// The line's short form of LostBeforeText.
CString LostBeforeShort(const StreamCheckFigures& stream) {
    CString strText;
    if (stream.unit != LossUnit::None) {
        strText.Format("%llu", Count(stream.lostBefore));
    } else if (stream.kind == StreamKind::NotTs) {
        strText = "not checked (not TS)";
    } else {
        strText = "not known yet";
    }
    return strText;
}

// The wall-clock time of a steady-clock instant in the past, as hh:mm:ss.
CString ClockTime(CCaptureStatusText::Clock::time_point at,
                  CCaptureStatusText::Clock::time_point now) {
    const auto wall = std::chrono::system_clock::now() -
                      duration_cast<std::chrono::system_clock::duration>(now - at);
    const std::time_t t = std::chrono::system_clock::to_time_t(wall);
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace

void CCaptureStatusText::Update(const CaptureStatusFigures& figures, Clock::time_point now) {
    if (figures.started != m_started) {
        m_started = m_lastTick = m_lastArrival = figures.started;
        m_nBytesLastTick = m_nDatagramsLastTick = 0;
    }
    // Arrivals are seen once a tick: the silence is at most a tick longer than shown.
    if (figures.datagramsArrived != m_nDatagramsLastTick) {
        m_lastArrival = now;
    }
    const double dSeconds = duration<double>(now - m_lastTick).count();
    const double dMbits =
        dSeconds > 0
            ? static_cast<double>(figures.bytesArrived - m_nBytesLastTick) * 8 / 1e6 / dSeconds
            : 0.0;
    m_lastTick = now;
    m_nBytesLastTick = figures.bytesArrived;
    m_nDatagramsLastTick = figures.datagramsArrived;

    const CString strElapsed = Elapsed(now - figures.started);
    const long long nSilent = duration_cast<seconds>(now - m_lastArrival).count();
    const bool bSilent = now - m_lastArrival >= kSilence;
    // The line is cut at the window's edge: the losses come first, then the rate, or instead
    // of both first, the silence, which is the news when it comes.
    const CaptureFigures& capture = figures.capture;
    CString strLosses;
    strLosses.Format("lost here %llu, before this host %s", Count(capture.Lost()),
                     static_cast<const char*>(LostBeforeShort(figures.stream)));
    if (bSilent) {
        m_strLine.Format("%s — nothing received for %lld s, %s, %s, %s",
                         static_cast<const char*>(figures.strWhat), nSilent,
                         static_cast<const char*>(strLosses), static_cast<const char*>(strElapsed),
                         static_cast<const char*>(FileSize(capture.bytesWritten)));
    } else {
        m_strLine.Format("%s — %s, %.1f Mbit/s, %s, %s", static_cast<const char*>(figures.strWhat),
                         static_cast<const char*>(strLosses), dMbits,
                         static_cast<const char*>(strElapsed),
                         static_cast<const char*>(FileSize(capture.bytesWritten)));
    }

    CString strArrival;
    if (bSilent) {
        strArrival.Format("Nothing received for %lld s (since %s)", nSilent,
                          static_cast<const char*>(ClockTime(m_lastArrival, now)));
    } else {
        strArrival.Format("Rate over the last second: %.1f Mbit/s", dMbits);
    }
    const StreamCheckFigures& stream = figures.stream;
    const char* pszKind = stream.kind == StreamKind::Ts      ? "MPEG transport stream"
                          : stream.kind == StreamKind::RtpTs ? "MPEG transport stream in RTP"
                          : stream.kind == StreamKind::NotTs ? "not an MPEG transport stream"
                                                             : "not recognised yet";
    m_strDetails.Format(
        "Capture of %s, running for %s\n"
        "In the file: %llu bytes in %llu datagrams\n"
        "%s\n"
        "Lost here: %llu datagrams (%llu receive buffer full, %llu too long, %llu not written)\n"
        "Lost before this host: %s\n"
        "Stream: %s; %llu datagrams checked, %llu not checkable, %llu packets flagged by the "
        "sender",
        static_cast<const char*>(figures.strWhat), static_cast<const char*>(strElapsed),
        Count(capture.bytesWritten), Count(capture.datagramsWritten),
        static_cast<const char*>(strArrival), Count(capture.Lost()), Count(capture.bufferFull),
        Count(capture.tooLong), Count(capture.notWritten),
        static_cast<const char*>(LostBeforeText(stream)), pszKind, Count(stream.datagramsChecked),
        Count(stream.datagramsNotCheckable), Count(stream.transportErrors));
}
