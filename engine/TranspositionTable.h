#pragma once

#include <cstdint>
#include <vector>

namespace engine {

// Fixed-size hash of position keys to one byte of bound, full keys so no false hits.
// Always-replace: the newest entry for a slot wins. Zero means empty.
class TranspositionTable
{
public:
    // slots is rounded to a prime at most that large; memory is 8 bytes a slot.
    explicit TranspositionTable(std::size_t slots);

    void put(std::uint64_t key, std::uint8_t value)
    {
        table[key % table.size()] = key << 8 | value;
    }
    std::uint8_t get(std::uint64_t key) const
    {
        const std::uint64_t entry = table[key % table.size()];
        return (entry >> 8) == key ? std::uint8_t(entry & 0xff) : 0;
    }
    void clear();
    std::size_t bytes() const { return table.size() * sizeof(std::uint64_t); }

private:
    std::vector<std::uint64_t> table;
};

} // namespace engine
