#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// Measurements kept by key, for the width model's look-ups of pairs and
// triples, which a long list makes millions of: open addressing in a table of
// a power of two slots, at most half full. Keys are below 2^56, so ~0 marks a
// free slot.
template <typename Value>
class MeasureCache
{
public:
    const Value *find(quint64 key) const
    {
        for (std::size_t i = slotOf(key);; i = (i + 1) & (m_slots.size() - 1)) {
            if (m_slots[i].key == key)
                return &m_slots[i].value;
            if (m_slots[i].key == kFree)
                return nullptr;
        }
    }

    // `key` must not be in the cache yet.
    void insert(quint64 key, Value value)
    {
        if (2 * (m_used + 1) > m_slots.size())
            grow();
        place(key, value);
        ++m_used;
    }

private:
    static constexpr quint64 kFree = ~quint64{0};
    struct Slot
    {
        quint64 key = kFree;
        Value value{};
    };

    std::size_t slotOf(quint64 key) const
    {
        // Fibonacci hashing: the multiply spreads keys that differ in low bits only.
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    void place(quint64 key, Value value)
    {
        std::size_t i = slotOf(key);
        while (m_slots[i].key != kFree)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = {key, value};
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        --m_shift;
        for (const Slot &slot : old)
            if (slot.key != kFree)
                place(slot.key, slot.value);
    }

    std::vector<Slot> m_slots = std::vector<Slot>(std::size_t{1} << 10);
    int m_shift = 64 - 10;
    std::size_t m_used = 0;
};
