#include "traffic_counter.h"

#include <deque>
#include <memory>
#include <new>
#include <utility>

#include "perf_data_source.h"
#include "perf_data_walker.h"
#include "perf_records.h"
#include "registry.h"
#include "text_conv.h"

namespace {

// The query's buffer and the bytes it returned; empty when the query failed.
struct PerfData {
    std::unique_ptr<BYTE[]> buffer;
    DWORD size = 0;

    std::span<const BYTE> Bytes() const { return {buffer.get(), size}; }
};

PerfData QueryNetworkInterfaces() {
    PerfData data;
    DWORD capacity = CTrafficCounter::kQueryStep;
    for (;;) {
        data.buffer = std::make_unique_for_overwrite<BYTE[]>(capacity);
        data.size = capacity;
        const LONG result =
            RegQueryValueExA(HKEY_PERFORMANCE_DATA, kNetworkInterfaceValueName.data(), nullptr,
                             nullptr, data.buffer.get(), &data.size);
        if (result == ERROR_SUCCESS) {
            return data;
        }
        if (result != static_cast<LONG>(ERROR_MORE_DATA)) {
            data.buffer.reset();
            return data;
        }
        capacity += CTrafficCounter::kQueryStep;
    }
}

// The instance name as narrow text in a 256-byte buffer with a capacity of 255, as the
// list stores it; a name that does not fit leaves the buffer empty.
struct AnsiName {
    char text[256] = {};

    explicit AnsiName(LPCWSTR name) {
        (void)WideCharToMultiByte(CP_ACP, 0, name, -1, text, 255, nullptr, nullptr);
    }
};

// The instances of the data, in data order, as the list holds them; nullopt when the data are
// malformed. Empty when the bandwidth counter is missing, as every listed interface has one.
std::optional<std::vector<CString>> ListedNames(const PerfData& data) {
    std::vector<CString> names;
    const PerfWalkResult result =
        WalkPerfData(data.Bytes(), kCurrentBandwidthCounter, [&](LPCWSTR name, ULONGLONG) {
            names.emplace_back(AnsiName(name).text);
            return true;
        });
    if (result == PerfWalkResult::Malformed) {
        return std::nullopt;
    }
    return names;
}

}  // namespace

CTrafficCounter::CTrafficCounter() {
    EnumInterfaces();
}

CTrafficCounter::~CTrafficCounter() {
    m_listName.RemoveAll();
}

int CTrafficCounter::EnumInterfaces() {
    m_listName.RemoveAll();
    m_lastValue.clear();
    try {
        const PerfData data = QueryNetworkInterfaces();
        if (data.buffer == nullptr) {
            return 0;
        }
        const auto names = ListedNames(data);
        if (!names) {
            return 0;
        }
        for (const CString& name : *names) {
            m_listName.AddTail(name);
            m_lastValue.emplace_back();
        }
        return 1;
    } catch (...) {
        m_lastValue.resize(static_cast<std::size_t>(m_listName.GetCount()));
        return 0;
    }
}

// Runs once a drawing pass. While the list stays, the walk GetTraffic needs anyway has
// compared it; changes need bench/.
int CTrafficCounter::UpdateInterfaces() {
    try {
        if (!RefreshValues() || (m_values.counterFound && m_values.listedInOrder)) {
            return 0;
        }
        // Within the platform's reuse this query is answered from the block just walked.
        const PerfData data = QueryNetworkInterfaces();
        if (data.buffer == nullptr) {
            return 0;
        }
        const auto names = ListedNames(data);
        if (!names || IsListed(*names)) {
            return 0;
        }
        Relist(*names);
        return 1;
    } catch (...) {
        return 0;
    }
}

bool CTrafficCounter::IsListed(const std::vector<CString>& names) const {
    if (static_cast<int>(names.size()) != m_listName.GetCount()) {
        return false;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!(m_listName.GetAt(m_listName.FindIndex(static_cast<int>(i))) == names[i])) {
            return false;
        }
    }
    return true;
}

void CTrafficCounter::Relist(const std::vector<CString>& names) {
    // A name listed twice hands its samples on in order.
    std::unordered_map<std::string, std::deque<std::optional<ULONGLONG>>> previous;
    for (int i = 0; i < m_listName.GetCount(); ++i) {
        previous[m_listName.GetAt(m_listName.FindIndex(i)).str()].push_back(
            m_lastValue[static_cast<std::size_t>(i)]);
    }
    std::vector<std::optional<ULONGLONG>> lastValue(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto& samples = previous[names[i].str()];
        if (!samples.empty()) {
            lastValue[i] = samples.front();
            samples.pop_front();
        }
    }
    m_listName.RemoveAll();
    for (const CString& name : names) {
        m_listName.AddTail(name);
    }
    m_lastValue = std::move(lastValue);
    m_values.serial = 0;  // its walk compared the old list
}

int CTrafficCounter::GetInterfaceName(CString& strName, int nIndex) const {
    const POSITION position = m_listName.FindIndex(nIndex);
    if (position == nullptr) {
        return 0;
    }
    strName.Format("%s", static_cast<const char*>(m_listName.GetAt(position)));
    return 1;
}

// Runs 2n times a drawing pass: each call must stay O(1) for a block already walked.
// Changes need bench/.
double CTrafficCounter::GetTraffic(int nIndex) {
    m_bMeasured = FALSE;
    const POSITION position = m_listName.FindIndex(nIndex);
    if (position == nullptr) {
        return 0.0;
    }
    try {
        if (!RefreshValues() || !m_values.counterFound) {
            return 1.0;
        }
        const auto found = m_values.byName.find(m_listName.GetAt(position).str());
        return found != m_values.byName.end() ? Growth(nIndex, found->second) : 0.0;
    } catch (...) {
        m_values.serial = 0;
        return 0.0;
    }
}

bool CTrafficCounter::RefreshValues() {
    if (PerfDataStillServed(m_values.serial)) {
        return true;
    }
    m_values.serial = 0;
    m_values.byName.clear();
    m_values.byName.reserve(static_cast<std::size_t>(m_listName.GetCount()));
    const PerfData data = QueryNetworkInterfaces();
    if (data.buffer == nullptr) {
        return false;
    }
    // The walk also tells whether the data still list the listed names, in their order.
    const int listed = m_listName.GetCount();
    int visited = 0;
    bool inOrder = true;
    const PerfWalkResult walk = WalkPerfData(
        data.Bytes(), static_cast<DWORD>(m_nCounterIndex), [&](LPCWSTR name, ULONGLONG value) {
            const AnsiName ansi(name);
            inOrder = inOrder && visited < listed &&
                      m_listName.GetAt(m_listName.FindIndex(visited)).Compare(ansi.text) == 0;
            ++visited;
            m_values.byName.try_emplace(ansi.text, value);
            return true;
        });
    if (walk == PerfWalkResult::Malformed) {
        m_values.byName.clear();
        return false;
    }
    m_values.counterFound = walk == PerfWalkResult::Walked;
    m_values.listedInOrder = inOrder && visited == listed;
    m_values.serial = LastPerfDataServed();
    return true;
}

double CTrafficCounter::Growth(int nIndex, ULONGLONG value) {
    const std::optional<ULONGLONG> previous =
        std::exchange(m_lastValue[static_cast<std::size_t>(nIndex)], value);
    // A count that went back was started again (the interface made anew, its driver reloaded):
    // the growth since is unknown, and no figure is better than a wrong one. A 32-bit counter
    // that wraps reads so too.
    if (!previous || value < *previous) {
        return 0.0;
    }
    m_bMeasured = TRUE;
    return static_cast<double>(value - *previous);
}
