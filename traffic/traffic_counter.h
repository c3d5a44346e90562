// One counter of the network-interface performance data, turned into per-interface growth.
// Used by the traffic view, which owns two; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "cstring.h"
#include "perf_records.h"
#include "string_list.h"

class CTrafficCounter {
public:
    CTrafficCounter();
    virtual ~CTrafficCounter();
    CTrafficCounter(const CTrafficCounter&) = delete;
    CTrafficCounter& operator=(const CTrafficCounter&) = delete;

    // Lists the interfaces afresh. 1 when the data were read and walked, found or not;
    // 0 when the query failed or the data were malformed (the list then stays empty).
    int EnumInterfaces();
    void SetCounterIndex(int nIndex) {
        m_nCounterIndex = nIndex;
        m_values.serial = 0;
    }
    // The number of listed interfaces minus one: -1 when none.
    int GetInterfaceCount() const { return m_listName.GetCount() - 1; }
    // 1 after copying the name at nIndex into strName; 0, strName untouched, when none.
    int GetInterfaceName(CString& strName, int nIndex) const;
    // The counter's growth for that interface since the previous call for the same position:
    // 0.0 for the first sample, an unknown position or name, or an exception; 1.0 when the
    // query fails, the data are malformed or the counter is missing.
    double GetTraffic(int nIndex);

private:
    // The sampled counter's value for each instance name (the first instance of a name) of
    // one queried block, walked once however many GetTraffic calls that block serves.
    struct BlockValues {
        std::uint64_t serial = 0;  // the platform's block; 0 when nothing is held
        bool counterFound = false;
        std::unordered_map<std::string, DWORD> byName;
    };

    // Queries and walks the data unless the platform would answer with the block already
    // walked. False when the query failed or the block is malformed.
    bool RefreshValues();
    // Growth modulo 2^32, as the counters are read 32 bits wide.
    double Growth(int nIndex, DWORD value);

    BlockValues m_values;

    std::vector<double> m_dLastValue;  // one previous sample per interface position; -1.0: none
    CStringList m_listName{10};
    int m_nCounterIndex = kBytesTotalCounter;
};
