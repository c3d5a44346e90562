#include "traffic_counter.h"

#include <memory>
#include <new>

#include "perf_data_source.h"
#include "perf_data_walker.h"
#include "perf_records.h"
#include "registry.h"
#include "text_conv.h"

namespace {

constexpr DWORD kQueryStep = 40960;
constexpr double kNoSample = -1.0;

// The query's buffer and the bytes it returned; empty when the query failed.
struct PerfData {
    std::unique_ptr<BYTE[]> buffer;
    DWORD size = 0;

    std::span<const BYTE> Bytes() const { return {buffer.get(), size}; }
};

PerfData QueryNetworkInterfaces() {
    PerfData data;
    DWORD capacity = kQueryStep;
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
        capacity += kQueryStep;
    }
}

// The instance name as narrow text in a 256-byte buffer with a capacity of 255, as the
// list stores it; a name that does not fit leaves the buffer empty.
struct AnsiName {
    char text[256] = {};

    explicit AnsiName(LPCWSTR name) {
        WideCharToMultiByte(CP_ACP, 0, name, -1, text, 255, nullptr, nullptr);
    }
};

}  // namespace

CTrafficCounter::CTrafficCounter() {
    EnumInterfaces();
}

CTrafficCounter::~CTrafficCounter() {
    m_listName.RemoveAll();
}

int CTrafficCounter::EnumInterfaces() {
    m_listName.RemoveAll();
    m_dLastValue.clear();
    try {
        const PerfData data = QueryNetworkInterfaces();
        if (data.buffer == nullptr) {
            return 0;
        }
        std::vector<CString> names;
        const PerfWalkResult result =
            WalkPerfData(data.Bytes(), kCurrentBandwidthCounter, [&](LPCWSTR name, DWORD) {
                names.emplace_back(AnsiName(name).text);
                return true;
            });
        if (result == PerfWalkResult::Malformed) {
            return 0;
        }
        for (const CString& name : names) {
            m_listName.AddTail(name);
            m_dLastValue.push_back(kNoSample);
        }
        return 1;
    } catch (...) {
        m_dLastValue.resize(static_cast<std::size_t>(m_listName.GetCount()), kNoSample);
        return 0;
    }
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
    const PerfWalkResult walk = WalkPerfData(
        data.Bytes(), static_cast<DWORD>(m_nCounterIndex), [this](LPCWSTR name, DWORD value) {
            m_values.byName.try_emplace(AnsiName(name).text, value);
            return true;
        });
    if (walk == PerfWalkResult::Malformed) {
        m_values.byName.clear();
        return false;
    }
    m_values.counterFound = walk == PerfWalkResult::Walked;
    m_values.serial = LastPerfDataServed();
    return true;
}

double CTrafficCounter::Growth(int nIndex, DWORD value) {
    double& last = m_dLastValue[static_cast<std::size_t>(nIndex)];
    const double current = static_cast<double>(value);
    if (last == kNoSample) {
        last = current;
        return 0.0;
    }
    double growth = current - last;
    if (growth < 0.0) {
        growth += 4294967296.0;
    }
    last = current;
    return growth;
}
