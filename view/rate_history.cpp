#include "rate_history.h"

#include <algorithm>

CRateHistory::Rates CRateHistory::Minute::At(int age) const {
    if (age < 0 || age >= kSeconds) {
        return {};
    }
    const int place = m_nNewest >= age ? m_nNewest - age : m_nNewest - age + kSeconds;
    return m_series.ring[static_cast<std::size_t>(place)];
}

void CRateHistory::NextSecond() {
    ++m_second;
    if (m_second % kSeconds == 0) {
        std::erase_if(m_series, [this](const auto& entry) {
            return entry.second.lastSecond + kSeconds <= m_second;
        });
    }
}

// Runs once a pass for every interface: a ring of two floats a second keeps a thousand
// interfaces' minutes in the processor's cache. Changes need bench/.
CRateHistory::Minute CRateHistory::Record(const std::string& name, Rates rates) {
    const auto [entry, added] = m_series.try_emplace(name);
    Series& series = entry->second;
    // The seconds since it was last recorded, a minute at most, are gaps.
    const std::uint64_t missed =
        added || series.lastSecond >= m_second
            ? 0
            : std::min<std::uint64_t>(m_second - series.lastSecond - 1, kSeconds);
    for (std::uint64_t back = 1; back <= missed; ++back) {
        series.ring[(m_second - back) % kSeconds] = {};
    }
    series.ring[m_second % kSeconds] = rates;
    series.lastSecond = m_second;
    return {series, m_second};
}
