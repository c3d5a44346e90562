#include "rate_history.h"

CRateHistory::Rates CRateHistory::Minute::At(int age) const {
    if (age < 0 || age >= kSeconds) {
        return {};
    }
    const std::uint64_t second = m_second - static_cast<std::uint64_t>(age);
    const Slot& slot = m_series.ring[second % kSeconds];
    return slot.second == second ? slot.rates : Rates{};
}

void CRateHistory::NextSecond() {
    ++m_second;
    if (m_second % kSeconds == 0) {
        std::erase_if(m_series, [this](const auto& entry) {
            return entry.second.lastSecond + kSeconds <= m_second;
        });
    }
}

// Runs once a pass for every interface. Changes need bench/.
CRateHistory::Minute CRateHistory::Record(const std::string& name, Rates rates) {
    Series& series = m_series[name];
    series.ring[m_second % kSeconds] = {rates, m_second};
    series.lastSecond = m_second;
    return {series, m_second};
}
