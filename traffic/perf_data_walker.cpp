#include "perf_data_walker.h"

#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr DWORD kNetworkInterfaceObject = 510;

// Field offsets within the published records.
constexpr std::uint64_t kBlockHeaderLength = 24;
constexpr std::uint64_t kBlockNumObjectTypes = 28;
constexpr std::uint64_t kObjectTotalByteLength = 0;
constexpr std::uint64_t kObjectDefinitionLength = 4;
constexpr std::uint64_t kObjectHeaderLength = 8;
constexpr std::uint64_t kObjectNameTitleIndex = 12;
constexpr std::uint64_t kObjectNumCounters = 32;
constexpr std::uint64_t kObjectNumInstances = 40;
constexpr std::uint64_t kCounterByteLength = 0;
constexpr std::uint64_t kCounterNameTitleIndex = 4;
constexpr std::uint64_t kCounterOffset = 36;
constexpr std::uint64_t kInstanceByteLength = 0;
constexpr std::uint64_t kInstanceNameOffset = 16;
constexpr std::uint64_t kCounterBlockByteLength = 0;

// A well-formed block visits each record once, and no record is smaller than 16 bytes;
// more visits than that mean lengths that loop back over the same bytes.
constexpr std::uint64_t kMinRecordBytes = 16;
constexpr std::size_t kMaxNameUnits = 1024;

class Reader {
public:
    explicit Reader(std::span<const BYTE> data)
        : m_data(data), m_visitsLeft(data.size() / kMinRecordBytes + 1) {}

    // Positions are 64-bit so that sums of 32-bit offsets never wrap.
    std::optional<DWORD> U32(std::uint64_t position) const {
        if (position > m_data.size() || m_data.size() - position < sizeof(DWORD)) {
            return std::nullopt;
        }
        DWORD value;
        std::memcpy(&value, m_data.data() + position, sizeof value);
        return value;
    }
    std::optional<LONG> I32(std::uint64_t position) const {
        const auto value = U32(position);
        return value ? std::optional<LONG>(static_cast<LONG>(*value)) : std::nullopt;
    }
    bool Visit() { return m_visitsLeft-- > 0; }

    // Copies the NUL-terminated UTF-16 text at `position` into `out`; false if the data end
    // first. No name fits the reader's 255 bytes past kMaxNameUnits, so the scan stops there.
    bool Utf16(std::uint64_t position, std::u16string& out) const {
        out.clear();
        for (; position <= m_data.size() && m_data.size() - position >= 2; position += 2) {
            if (out.size() == kMaxNameUnits) {
                return true;
            }
            char16_t unit;
            std::memcpy(&unit, m_data.data() + position, sizeof unit);
            if (unit == 0) {
                return true;
            }
            out.push_back(unit);
        }
        return false;
    }

private:
    std::span<const BYTE> m_data;
    std::uint64_t m_visitsLeft;
};

// The value offset of the last definition of `counterIndex`, nullopt if none; sets
// `malformed` when the definitions run outside the data.
std::optional<DWORD> FindCounter(Reader& reader, std::uint64_t object, DWORD counterIndex,
                                 bool& malformed) {
    const auto headerLength = reader.U32(object + kObjectHeaderLength);
    const auto numCounters = reader.I32(object + kObjectNumCounters);
    if (!headerLength || !numCounters) {
        malformed = true;
        return std::nullopt;
    }
    std::optional<DWORD> valueOffset;
    std::uint64_t definition = object + *headerLength;
    for (LONG i = 0; i < *numCounters; ++i) {
        const auto byteLength = reader.U32(definition + kCounterByteLength);
        const auto titleIndex = reader.U32(definition + kCounterNameTitleIndex);
        const auto offset = reader.U32(definition + kCounterOffset);
        if (!reader.Visit() || !byteLength || !titleIndex || !offset) {
            malformed = true;
            return std::nullopt;
        }
        if (*titleIndex == counterIndex) {
            valueOffset = *offset;
        }
        definition += *byteLength;
    }
    return valueOffset;
}

}  // namespace

PerfWalkResult WalkPerfData(std::span<const BYTE> data, DWORD counterIndex,
                            const std::function<bool(LPCWSTR name, DWORD value)>& visit) {
    Reader reader(data);
    const auto blockHeaderLength = reader.U32(kBlockHeaderLength);
    const auto numObjectTypes = reader.I32(kBlockNumObjectTypes);
    if (!blockHeaderLength || !numObjectTypes) {
        return PerfWalkResult::Malformed;
    }
    thread_local std::u16string name;
    std::uint64_t object = *blockHeaderLength;
    for (LONG i = 0; i < *numObjectTypes; ++i) {
        const auto totalByteLength = reader.U32(object + kObjectTotalByteLength);
        const auto titleIndex = reader.U32(object + kObjectNameTitleIndex);
        if (!reader.Visit() || !totalByteLength || !titleIndex) {
            return PerfWalkResult::Malformed;
        }
        if (*titleIndex == kNetworkInterfaceObject) {
            bool malformed = false;
            const auto valueOffset = FindCounter(reader, object, counterIndex, malformed);
            if (malformed) {
                return PerfWalkResult::Malformed;
            }
            if (!valueOffset) {
                return PerfWalkResult::CounterMissing;
            }
            const auto definitionLength = reader.U32(object + kObjectDefinitionLength);
            const auto numInstances = reader.I32(object + kObjectNumInstances);
            if (!definitionLength || !numInstances) {
                return PerfWalkResult::Malformed;
            }
            std::uint64_t instance = object + *definitionLength;
            for (LONG j = 0; j < *numInstances; ++j) {
                const auto byteLength = reader.U32(instance + kInstanceByteLength);
                const auto nameOffset = reader.U32(instance + kInstanceNameOffset);
                if (!reader.Visit() || !byteLength || !nameOffset) {
                    return PerfWalkResult::Malformed;
                }
                const std::uint64_t counterBlock = instance + *byteLength;
                const auto blockLength = reader.U32(counterBlock + kCounterBlockByteLength);
                const auto value = reader.U32(counterBlock + *valueOffset);
                if (!blockLength || !value || !reader.Utf16(instance + *nameOffset, name)) {
                    return PerfWalkResult::Malformed;
                }
                if (!visit(name.c_str(), *value)) {
                    return PerfWalkResult::Walked;
                }
                instance = counterBlock + *blockLength;
            }
        }
        object += *totalByteLength;
    }
    return PerfWalkResult::Walked;
}
