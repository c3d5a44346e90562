#include "perf_data_walker.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include "perf_records.h"

namespace {

// Field offsets within the published records, whose layout perf_records.h pins. Every record
// but the block starts with its own length.
constexpr std::uint64_t kBlockTotalByteLength = offsetof(PERF_DATA_BLOCK, TotalByteLength);
constexpr std::uint64_t kBlockHeaderLength = offsetof(PERF_DATA_BLOCK, HeaderLength);
constexpr std::uint64_t kBlockNumObjectTypes = offsetof(PERF_DATA_BLOCK, NumObjectTypes);
constexpr std::uint64_t kObjectDefinitionLength = offsetof(PERF_OBJECT_TYPE, DefinitionLength);
constexpr std::uint64_t kObjectHeaderLength = offsetof(PERF_OBJECT_TYPE, HeaderLength);
constexpr std::uint64_t kObjectNameTitleIndex = offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex);
constexpr std::uint64_t kObjectNumCounters = offsetof(PERF_OBJECT_TYPE, NumCounters);
constexpr std::uint64_t kObjectNumInstances = offsetof(PERF_OBJECT_TYPE, NumInstances);
constexpr std::uint64_t kCounterNameTitleIndex =
    offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex);
constexpr std::uint64_t kCounterSize = offsetof(PERF_COUNTER_DEFINITION, CounterSize);
constexpr std::uint64_t kCounterOffset = offsetof(PERF_COUNTER_DEFINITION, CounterOffset);
constexpr std::uint64_t kInstanceNameOffset = offsetof(PERF_INSTANCE_DEFINITION, NameOffset);

static_assert(std::endian::native == std::endian::little, "blocks are read in place");

// No name fits the reader's 255 bytes past this, so longer names are cut here.
constexpr std::size_t kMaxNameUnits = 1024;

using Visitor = std::function<bool(LPCWSTR name, ULONGLONG value)>;

// [begin, end): the bytes that a record and everything it holds must lie in.
struct Extent {
    std::uint64_t begin;
    std::uint64_t end;
};

class Reader {
public:
    explicit Reader(std::span<const BYTE> data) : m_data(data) {}

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
    // A counter's value, `size` bytes wide (4 or 8), the low half first as the platform stores it.
    std::optional<ULONGLONG> Value(std::uint64_t position, std::uint64_t size) const {
        if (position > m_data.size() || m_data.size() - position < size) {
            return std::nullopt;
        }
        ULONGLONG value = 0;
        std::memcpy(&value, m_data.data() + position, size);
        return value;
    }

    // The record at `position`, sized by its leading length, if it lies within `outer` and
    // is long enough for its fields. Every record thus moves the walk on by `minimum` or more,
    // so no count can make it loop.
    std::optional<Extent> Record(const Extent& outer, std::uint64_t position,
                                 std::uint64_t minimum) const {
        const auto length = U32(position);
        if (!length || *length < minimum || position < outer.begin || position > outer.end ||
            outer.end - position < *length) {
            return std::nullopt;
        }
        return Extent{position, position + *length};
    }

    // Copies the UTF-16 text at `position` into `out`; false unless its NUL comes before `end`.
    bool Utf16(std::uint64_t position, std::uint64_t end, std::u16string& out) const {
        out.clear();
        for (; position < end && end - position >= 2; position += 2) {
            char16_t unit;
            std::memcpy(&unit, m_data.data() + position, sizeof unit);
            if (unit == 0) {
                return true;
            }
            if (out.size() < kMaxNameUnits) {
                out.push_back(unit);
            }
        }
        return false;
    }

private:
    std::span<const BYTE> m_data;
};

// Where a counter's value lies in each instance's counter block, and how wide it is.
struct CounterValue {
    DWORD offset;
    std::uint64_t size;  // 8 for a 64-bit count; 4 otherwise, as the platform's PERF_SIZE_DWORD
};

// The value of the last definition of `counterIndex`, nullopt if none; sets `malformed` when a
// definition lies outside `definitions`.
std::optional<CounterValue> FindCounter(const Reader& reader, const Extent& definitions,
                                        LONG numCounters, DWORD counterIndex, bool& malformed) {
    std::optional<CounterValue> value;
    std::uint64_t position = definitions.begin;
    for (LONG i = 0; i < numCounters; ++i) {
        const auto definition =
            reader.Record(definitions, position, sizeof(PERF_COUNTER_DEFINITION));
        const auto titleIndex = reader.U32(position + kCounterNameTitleIndex);
        const auto size = reader.U32(position + kCounterSize);
        const auto offset = reader.U32(position + kCounterOffset);
        if (!definition || !titleIndex || !size || !offset) {
            malformed = true;
            return std::nullopt;
        }
        if (*titleIndex == counterIndex) {
            value = CounterValue{*offset, *size == sizeof(ULONGLONG) ? 8u : 4u};
        }
        position = definition->end;
    }
    return value;
}

// Walks one object 510. A result ends the whole walk; nullopt goes on to the next object.
std::optional<PerfWalkResult> WalkObject(const Reader& reader, const Extent& object,
                                         DWORD counterIndex, const Visitor* visit) {
    const auto headerLength = reader.U32(object.begin + kObjectHeaderLength);
    const auto definitionLength = reader.U32(object.begin + kObjectDefinitionLength);
    const auto numCounters = reader.I32(object.begin + kObjectNumCounters);
    const auto numInstances = reader.I32(object.begin + kObjectNumInstances);
    if (!headerLength || !definitionLength || !numCounters || !numInstances ||
        *headerLength < sizeof(PERF_OBJECT_TYPE) || *headerLength > *definitionLength ||
        *definitionLength > object.end - object.begin) {
        return PerfWalkResult::Malformed;
    }
    const Extent definitions{object.begin + *headerLength, object.begin + *definitionLength};
    const Extent instances{definitions.end, object.end};
    bool malformed = false;
    const auto counter = FindCounter(reader, definitions, *numCounters, counterIndex, malformed);
    if (malformed) {
        return PerfWalkResult::Malformed;
    }
    if (!counter) {
        return PerfWalkResult::CounterMissing;
    }
    thread_local std::u16string name;
    std::uint64_t position = instances.begin;
    for (LONG i = 0; i < *numInstances; ++i) {
        const auto instance = reader.Record(instances, position, sizeof(PERF_INSTANCE_DEFINITION));
        const auto nameOffset = reader.U32(position + kInstanceNameOffset);
        if (!instance || !nameOffset) {
            return PerfWalkResult::Malformed;
        }
        const auto counters = reader.Record(instances, instance->end, sizeof(PERF_COUNTER_BLOCK));
        if (!counters ||
            std::uint64_t{counter->offset} + counter->size > counters->end - counters->begin ||
            !reader.Utf16(instance->begin + *nameOffset, instance->end, name)) {
            return PerfWalkResult::Malformed;
        }
        const auto value = reader.Value(counters->begin + counter->offset, counter->size);
        if (!value) {
            return PerfWalkResult::Malformed;
        }
        if (visit != nullptr && !(*visit)(name.c_str(), *value)) {
            return PerfWalkResult::Walked;
        }
        position = counters->end;
    }
    return std::nullopt;
}

// One pass over the block; without a visitor it only checks the block.
PerfWalkResult Walk(std::span<const BYTE> data, DWORD counterIndex, const Visitor* visit) {
    const Reader reader(data);
    const auto totalByteLength = reader.U32(kBlockTotalByteLength);
    const auto headerLength = reader.U32(kBlockHeaderLength);
    const auto numObjectTypes = reader.I32(kBlockNumObjectTypes);
    if (!totalByteLength || !headerLength || !numObjectTypes || *totalByteLength > data.size() ||
        *headerLength < sizeof(PERF_DATA_BLOCK) || *headerLength > *totalByteLength) {
        return PerfWalkResult::Malformed;
    }
    const Extent block{0, *totalByteLength};
    std::uint64_t position = *headerLength;
    for (LONG i = 0; i < *numObjectTypes; ++i) {
        const auto object = reader.Record(block, position, sizeof(PERF_OBJECT_TYPE));
        const auto titleIndex = reader.U32(position + kObjectNameTitleIndex);
        if (!object || !titleIndex) {
            return PerfWalkResult::Malformed;
        }
        if (*titleIndex == kNetworkInterfaceObject) {
            if (const auto result = WalkObject(reader, *object, counterIndex, visit)) {
                return *result;
            }
        }
        position = object->end;
    }
    return PerfWalkResult::Walked;
}

}  // namespace

PerfWalkResult WalkPerfData(std::span<const BYTE> data, DWORD counterIndex,
                            const std::function<bool(LPCWSTR name, ULONGLONG value)>& visit) {
    const PerfWalkResult checked = Walk(data, counterIndex, nullptr);
    return checked == PerfWalkResult::Walked ? Walk(data, counterIndex, &visit) : checked;
}
