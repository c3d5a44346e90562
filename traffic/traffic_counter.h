// One counter of the network-interface performance data, turned into per-interface growth.
// Used by the traffic view, which owns two; user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cstring.h"
#include "perf_records.h"
#include "string_list.h"

class CTrafficCounter {
public:
    // The query's buffer starts this large and grows by as much while the data do not fit.
    static constexpr DWORD kQueryStep = 40960;

    CTrafficCounter();
    virtual ~CTrafficCounter();
    CTrafficCounter(const CTrafficCounter&) = delete;
    CTrafficCounter& operator=(const CTrafficCounter&) = delete;

    // Lists the interfaces afresh. 1 when the data were read and walked, found or not;
    // 0 when the query failed or the data were malformed (the list then stays empty).
    int EnumInterfaces();
    // Follows the interfaces as they come and go: lists them afresh, in the data's order, when
    // the data now list others than those listed; each position's previous sample follows its
    // name. Costs no query beyond the one the next GetTraffic would make, and no walk beyond its
    // own while the list stays. 1 when the list changed; 0 when it did not, or when the data
    // could not be read (the list then stays as it was).
    int UpdateInterfaces();
    void SetCounterIndex(int nIndex) {
        m_nCounterIndex = nIndex;
        m_values.serial = 0;
    }
    // The number of listed interfaces minus one: -1 when none.
    int GetInterfaceCount() const { return m_listName.GetCount() - 1; }
    // 1 after copying the name at nIndex into strName; 0, strName untouched, when none.
    int GetInterfaceName(CString& strName, int nIndex) const;
    // The counter's growth for that interface since the previous call for the same position:
    // 0.0 for the first sample, a count that went back (reset), an unknown position or name, or
    // an exception; 1.0 when the query fails, the data are malformed or the counter is missing.
    double GetTraffic(int nIndex);
    // TRUE when the last GetTraffic returned a growth between two samples; FALSE when its result
    // stands for no figure (every case above but a growth).
    BOOL LastTrafficWasMeasured() const { return m_bMeasured; }

private:
    // The sampled counter's value for each instance name (the first instance of a name) of
    // one queried block, walked once however many GetTraffic calls that block serves.
    struct BlockValues {
        std::uint64_t serial = 0;  // the platform's block; 0 when nothing is held
        bool counterFound = false;
        bool listedInOrder = false;  // its instances are the listed names, in the listed order
        std::unordered_map<std::string, ULONGLONG> byName;
    };

    // Queries and walks the data unless the platform would answer with the block already
    // walked. False when the query failed or the block is malformed.
    bool RefreshValues();
    // Whether these are the listed names, in the listed order.
    bool IsListed(const std::vector<CString>& names) const;
    // Replaces the list, each position's previous sample following its name.
    void Relist(const std::vector<CString>& names);
    double Growth(int nIndex, ULONGLONG value);

    BlockValues m_values;

    std::vector<std::optional<ULONGLONG>> m_lastValue;  // the previous sample of each position
    CStringList m_listName{10};
    int m_nCounterIndex = kBytesTotalCounter;
    BOOL m_bMeasured = FALSE;
};
