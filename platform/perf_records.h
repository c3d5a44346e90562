// The published 64-bit performance-data records, as laid out in a HKEY_PERFORMANCE_DATA block.
// Used by the block builder and, field by field, by readers that walk such blocks.
#pragma once

#include <array>
#include <cstddef>

#include "win_types.h"

// Title indexes: the network-interface object, the only one served, and its counters.
inline constexpr DWORD kNetworkInterfaceObject = 510;
inline constexpr DWORD kBytesTotalCounter = 388;
inline constexpr DWORD kBytesReceivedCounter = 264;
inline constexpr DWORD kBytesSentCounter = 506;
inline constexpr DWORD kCurrentBandwidthCounter = 520;

// A HKEY_PERFORMANCE_DATA query names the object it wants by its title index in decimal.
template <DWORD Index>
constexpr auto PerfDataValueName() {
    constexpr std::size_t kDigits = [] {
        std::size_t digits = 1;
        for (DWORD rest = Index; rest >= 10; rest /= 10) {
            ++digits;
        }
        return digits;
    }();
    std::array<char, kDigits + 1> name{};
    DWORD rest = Index;
    for (std::size_t i = kDigits; i-- > 0; rest /= 10) {
        name[i] = static_cast<char>('0' + rest % 10);
    }
    return name;
}
inline constexpr auto kNetworkInterfaceValueName = PerfDataValueName<kNetworkInterfaceObject>();

struct PERF_DATA_BLOCK {
    WCHAR Signature[4];
    DWORD LittleEndian;
    DWORD Version;
    DWORD Revision;
    DWORD TotalByteLength;
    DWORD HeaderLength;
    DWORD NumObjectTypes;
    LONG DefaultObject;
    WORD SystemTime[8];
    DWORD Padding;
    LONGLONG PerfTime;
    LONGLONG PerfFreq;
    LONGLONG PerfTime100nSec;
    DWORD SystemNameLength;
    DWORD SystemNameOffset;
};

struct PERF_OBJECT_TYPE {
    DWORD TotalByteLength;
    DWORD DefinitionLength;
    DWORD HeaderLength;
    DWORD ObjectNameTitleIndex;
    DWORD ObjectNameTitle;
    DWORD ObjectHelpTitleIndex;
    DWORD ObjectHelpTitle;
    DWORD DetailLevel;
    DWORD NumCounters;
    LONG DefaultCounter;
    LONG NumInstances;
    DWORD CodePage;
    LONGLONG PerfTime;
    LONGLONG PerfFreq;
};

struct PERF_COUNTER_DEFINITION {
    DWORD ByteLength;
    DWORD CounterNameTitleIndex;
    DWORD CounterNameTitle;
    DWORD CounterHelpTitleIndex;
    DWORD CounterHelpTitle;
    LONG DefaultScale;
    DWORD DetailLevel;
    DWORD CounterType;
    DWORD CounterSize;
    DWORD CounterOffset;
};

struct PERF_INSTANCE_DEFINITION {
    DWORD ByteLength;
    DWORD ParentObjectTitleIndex;
    DWORD ParentObjectInstance;
    LONG UniqueID;
    DWORD NameOffset;
    DWORD NameLength;
};

struct PERF_COUNTER_BLOCK {
    DWORD ByteLength;
};

static_assert(sizeof(PERF_DATA_BLOCK) == 88);
static_assert(offsetof(PERF_DATA_BLOCK, TotalByteLength) == 20);
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == 24);
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == 28);
static_assert(offsetof(PERF_DATA_BLOCK, SystemTime) == 36);
static_assert(offsetof(PERF_DATA_BLOCK, PerfTime) == 56);
static_assert(offsetof(PERF_DATA_BLOCK, SystemNameOffset) == 84);
static_assert(sizeof(PERF_OBJECT_TYPE) == 64);
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == 32);
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == 40);
static_assert(offsetof(PERF_OBJECT_TYPE, PerfTime) == 48);
static_assert(sizeof(PERF_COUNTER_DEFINITION) == 40);
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == 36);
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == 24);
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == 16);
static_assert(sizeof(PERF_COUNTER_BLOCK) == 4);

inline constexpr LONG PERF_NO_INSTANCES = -1;
inline constexpr LONG PERF_NO_UNIQUE_ID = -1;
inline constexpr DWORD PERF_DETAIL_NOVICE = 100;
inline constexpr DWORD PERF_COUNTER_BULK_COUNT = 0x10410500;
inline constexpr DWORD PERF_COUNTER_LARGE_RAWCOUNT = 0x00010100;
