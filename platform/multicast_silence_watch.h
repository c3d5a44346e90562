// When a multicast capture looks at the host for why nothing arrives: once, after a window
// without a datagram of its group, at the join or after the stream stopped. Used by the
// capture's receive thread; every call on that one thread.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>

#include "multicast_diagnosis.h"

class MulticastSilenceWatch {
public:
    // interfaceIndex: the one joined on, 0 when the route to the group chose it.
    MulticastSilenceWatch(in_addr_t group, int interfaceIndex, std::chrono::milliseconds window);

    // Right after the join: the host as it is before anything could arrive.
    void Start();
    // After every wait for datagrams, with the group's datagrams taken since the last call (0
    // when the wait timed out). Returns a diagnosis once, at the first call `window` after the
    // silence began (the join, or the first call with 0 after datagrams); else nullopt.
    std::optional<MulticastDiagnosis> Check(std::uint64_t datagrams);
    // How long the next wait may last before Check must be called (at least 1); -1 once the
    // diagnosis was given, when the waits need no end.
    int GetWaitMilliseconds() const;

private:
    in_addr_t m_group;
    int m_interfaceIndex;
    std::chrono::milliseconds m_window;
    std::optional<MulticastHostSnapshot> m_silenceStart;
    bool m_streamRan = false;
    bool m_said = false;
};
