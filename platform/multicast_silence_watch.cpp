#include "multicast_silence_watch.h"

#include <algorithm>

MulticastSilenceWatch::MulticastSilenceWatch(in_addr_t group, int interfaceIndex,
                                             std::chrono::milliseconds window)
    : m_group(group), m_interfaceIndex(interfaceIndex), m_window(window) {}

void MulticastSilenceWatch::Start() {
    m_silenceStart = TakeMulticastSnapshot(m_group);
}

std::optional<MulticastDiagnosis> MulticastSilenceWatch::Check(std::uint64_t datagrams) {
    if (m_said) {
        return std::nullopt;
    }
    if (datagrams > 0) {
        m_streamRan = true;
        m_silenceStart.reset();
        return std::nullopt;
    }
    // A stream's end is seen only by a wait that times out; looking at the host on every
    // datagram would cost the capture more than the diagnosis is worth.
    if (!m_silenceStart) {
        m_silenceStart = TakeMulticastSnapshot(m_group);
        return std::nullopt;
    }
    if (std::chrono::steady_clock::now() - m_silenceStart->takenAt < m_window) {
        return std::nullopt;
    }
    m_said = true;
    return DiagnoseSilentJoin(*m_silenceStart, TakeMulticastSnapshot(m_group), m_interfaceIndex,
                              m_streamRan);
}

int MulticastSilenceWatch::GetWaitMilliseconds() const {
    if (m_said) {
        return -1;
    }
    if (!m_silenceStart) {
        return static_cast<int>(m_window.count());
    }
    const auto left = m_silenceStart->takenAt + m_window - std::chrono::steady_clock::now();
    // Rounded up: a wait that ends a little early would only cost one more wait.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::max<long long>(ms, 1));
}
