#include "perf_data.h"

#include <chrono>
#include <cstring>
#include <ctime>

#include "perf_records.h"

namespace {

constexpr std::size_t RoundUp8(std::size_t n) {
    return (n + 7) & ~std::size_t{7};
}

struct CounterLayout {
    DWORD titleIndex;
    DWORD type;
    DWORD offset;  // within each instance's counter block
};

// The first value is 8-aligned after the 4-byte PERF_COUNTER_BLOCK header.
constexpr CounterLayout kCounters[] = {
    {kBytesTotalCounter, PERF_COUNTER_BULK_COUNT, 8},
    {kBytesReceivedCounter, PERF_COUNTER_BULK_COUNT, 16},
    {kBytesSentCounter, PERF_COUNTER_BULK_COUNT, 24},
    {kCurrentBandwidthCounter, PERF_COUNTER_LARGE_RAWCOUNT, 32},
};
constexpr DWORD kCounterBlockLength = 40;

std::u16string Utf16FromUtf8(const std::string& text) {
    // Interface names are short ASCII in practice; anything else is kept byte for byte.
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

class BlockWriter {
public:
    explicit BlockWriter(std::size_t reserve) { m_bytes.reserve(reserve); }

    std::size_t Append(const void* data, std::size_t size) {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + size);
        std::memcpy(m_bytes.data() + at, data, size);
        return at;
    }
    void PadTo8() { m_bytes.resize(RoundUp8(m_bytes.size())); }
    std::size_t Size() const { return m_bytes.size(); }

    template <typename T>
    void Patch(std::size_t at, const T& value) {
        std::memcpy(m_bytes.data() + at, &value, sizeof value);
    }
    std::vector<std::byte> Take() { return std::move(m_bytes); }

private:
    std::vector<std::byte> m_bytes;
};

void FillTimes(PERF_DATA_BLOCK& block) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const WORD systemTime[8] = {
        static_cast<WORD>(utc.tm_year + 1900), static_cast<WORD>(utc.tm_mon + 1),
        static_cast<WORD>(utc.tm_wday),        static_cast<WORD>(utc.tm_mday),
        static_cast<WORD>(utc.tm_hour),        static_cast<WORD>(utc.tm_min),
        static_cast<WORD>(utc.tm_sec),         static_cast<WORD>(millis)};
    std::memcpy(block.SystemTime, systemTime, sizeof systemTime);
    block.PerfTime = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    block.PerfFreq = 1'000'000'000;
    // 100 ns units since 1601-01-01, as Windows counts.
    constexpr LONGLONG kEpochDifference100ns = 116444736000000000LL;
    block.PerfTime100nSec =
        duration_cast<nanoseconds>(now.time_since_epoch()).count() / 100 + kEpochDifference100ns;
}

// The block's header and the system name after it, padded to 8; the header starts the data.
PERF_DATA_BLOCK AppendHeader(BlockWriter& out, std::u16string_view systemName) {
    PERF_DATA_BLOCK block{};
    std::memcpy(block.Signature, u"PERF", sizeof block.Signature);
    block.LittleEndian = 1;
    block.Version = 1;
    block.Revision = 1;
    block.NumObjectTypes = 1;
    block.DefaultObject = kNetworkInterfaceObject;
    FillTimes(block);
    block.SystemNameLength = static_cast<DWORD>((systemName.size() + 1) * sizeof(char16_t));
    block.SystemNameOffset = sizeof(PERF_DATA_BLOCK);
    out.Append(&block, sizeof block);
    out.Append(systemName.data(), systemName.size() * sizeof(char16_t));
    out.Append(u"", sizeof(char16_t));
    out.PadTo8();
    return block;
}

// The object with its counter definitions; its TotalByteLength is patched once the
// instances follow.
void AppendDefinitions(BlockWriter& out, const PERF_DATA_BLOCK& block, std::size_t instances) {
    PERF_OBJECT_TYPE object{};
    object.HeaderLength = sizeof(PERF_OBJECT_TYPE);
    object.DefinitionLength =
        sizeof(PERF_OBJECT_TYPE) + std::size(kCounters) * sizeof(PERF_COUNTER_DEFINITION);
    object.ObjectNameTitleIndex = kNetworkInterfaceObject;
    object.ObjectHelpTitleIndex = kNetworkInterfaceObject + 1;
    object.DetailLevel = PERF_DETAIL_NOVICE;
    object.NumCounters = std::size(kCounters);
    object.NumInstances = static_cast<LONG>(instances);
    object.PerfTime = block.PerfTime;
    object.PerfFreq = block.PerfFreq;
    out.Append(&object, sizeof object);

    for (const CounterLayout& counter : kCounters) {
        PERF_COUNTER_DEFINITION definition{};
        definition.ByteLength = sizeof definition;
        definition.CounterNameTitleIndex = counter.titleIndex;
        definition.CounterHelpTitleIndex = counter.titleIndex + 1;
        definition.DetailLevel = PERF_DETAIL_NOVICE;
        definition.CounterType = counter.type;
        definition.CounterSize = 8;
        definition.CounterOffset = counter.offset;
        out.Append(&definition, sizeof definition);
    }
}

// One instance: its definition, its name padded to 8, and its counter block.
void AppendInstance(BlockWriter& out, const InterfaceSample& sample) {
    const std::u16string name = Utf16FromUtf8(sample.name);
    const std::size_t nameBytes = (name.size() + 1) * sizeof(char16_t);
    PERF_INSTANCE_DEFINITION instance{};
    instance.ByteLength = static_cast<DWORD>(RoundUp8(sizeof instance + nameBytes));
    instance.UniqueID = PERF_NO_UNIQUE_ID;
    instance.NameOffset = sizeof instance;
    instance.NameLength = static_cast<DWORD>(nameBytes);
    out.Append(&instance, sizeof instance);
    out.Append(name.c_str(), nameBytes);
    out.PadTo8();

    struct {
        PERF_COUNTER_BLOCK header;
        DWORD padding;
        std::uint64_t values[4];
    } counters{{kCounterBlockLength},
               0,
               {sample.rxBytes + sample.txBytes, sample.rxBytes, sample.txBytes,
                sample.bandwidthBitsPerSec}};
    static_assert(sizeof counters == kCounterBlockLength);
    out.Append(&counters, sizeof counters);
}

}  // namespace

std::vector<std::byte> BuildPerfDataBlock(const std::vector<InterfaceSample>& samples,
                                          std::u16string_view systemName) {
    BlockWriter out(256 + samples.size() * 96);
    const PERF_DATA_BLOCK block = AppendHeader(out, systemName);
    const std::size_t objectAt = out.Size();
    AppendDefinitions(out, block, samples.size());
    for (const InterfaceSample& sample : samples) {
        AppendInstance(out, sample);
    }
    out.Patch(objectAt + offsetof(PERF_OBJECT_TYPE, TotalByteLength),
              static_cast<DWORD>(out.Size() - objectAt));
    out.Patch(offsetof(PERF_DATA_BLOCK, TotalByteLength), static_cast<DWORD>(out.Size()));
    out.Patch(offsetof(PERF_DATA_BLOCK, HeaderLength), static_cast<DWORD>(objectAt));
    return out.Take();
}
