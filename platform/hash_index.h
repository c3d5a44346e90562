// Places in a list, found through hashes of the names they hold, with open addressing: a
// look-up reads one run of neighbouring slots, an insertion allocates only to grow.
// Used by the regedit parser. Holds no names: the caller confirms each candidate.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class HashIndex {
public:
    // The place of the first entry under hash that same(place) accepts, in the slot itself so
    // that the caller may move it; nullptr when no entry does.
    template <typename Same>
    std::size_t* Find(std::uint64_t hash, Same same) {
        if (m_slots.empty()) {
            return nullptr;
        }
        for (std::size_t i = Home(hash);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& slot = m_slots[i];
            if (slot.place == kFree) {
                return nullptr;
            }
            if (slot.hash == hash && same(slot.place)) {
                return &slot.place;
            }
        }
    }

    void Insert(std::uint64_t hash, std::size_t place) {
        if (2 * (m_used + 1) > m_slots.size()) {
            Grow();
        }
        Put(hash, place);
        ++m_used;
    }

private:
    static constexpr std::size_t kFree = SIZE_MAX;

    struct Slot {
        std::uint64_t hash = 0;
        std::size_t place = kFree;
    };

    // The high bits of a Fibonacci product: the names' hash mixes its high bits best.
    std::size_t Home(std::uint64_t hash) const {
        return static_cast<std::size_t>((hash * 0x9e3779b97f4a7c15) >> m_shift);
    }

    void Put(std::uint64_t hash, std::size_t place) {
        std::size_t i = Home(hash);
        while (m_slots[i].place != kFree) {
            i = (i + 1) & (m_slots.size() - 1);
        }
        m_slots[i] = {hash, place};
    }

    // Doubles the slots, so that at most half are in use and runs stay short.
    void Grow() {
        std::vector<Slot> old(std::max<std::size_t>(16, 2 * m_slots.size()));
        old.swap(m_slots);
        m_shift = 64 - std::countr_zero(m_slots.size());
        for (const Slot& slot : old) {
            if (slot.place != kFree) {
                Put(slot.hash, slot.place);
            }
        }
    }

    std::vector<Slot> m_slots;  // a power of two of them
    std::size_t m_used = 0;
    int m_shift = 64;
};
