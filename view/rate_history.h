// The last minute of each interface's outgoing and incoming rates, kept by interface name.
// Used by the traffic view for its graphs; user-interface thread only. Holds only the names
// recorded in the last two minutes, however long the program runs.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>

class CRateHistory {
public:
    static constexpr int kSeconds = 60;
    static constexpr float kNoRate = std::numeric_limits<float>::quiet_NaN();

    // One second's rates in KB/sec; kNoRate (NaN) where that second has no figure.
    struct Rates {
        float out = kNoRate;
        float in = kNoRate;
    };

private:
    struct Series {
        std::array<Rates, kSeconds> ring{};  // by second modulo kSeconds
        std::uint64_t lastSecond = 0;        // the second last recorded
    };

public:
    // One interface's minute, as recorded up to the current second.
    class Minute {
    public:
        // The rates of the second `age` seconds before the current one (0 to kSeconds - 1):
        // kNoRate for a second not recorded, or outside that range.
        Rates At(int age) const;

    private:
        friend class CRateHistory;
        Minute(const Series& series, std::uint64_t second)
            : m_series(series), m_nNewest(static_cast<int>(second % kSeconds)) {}

        const Series& m_series;
        int m_nNewest;  // the current second's place in the ring
    };

    // Starts the next second. Names not recorded for a minute are forgotten, a minute at a time.
    void NextSecond();
    // Records the current second's rates of the interface `name`, and returns its minute, valid
    // until the next NextSecond.
    Minute Record(const std::string& name, Rates rates);
    // The number of interfaces held.
    std::size_t GetCount() const { return m_series.size(); }

private:
    std::uint64_t m_second = 0;
    std::unordered_map<std::string, Series> m_series;
};
