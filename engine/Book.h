#pragma once

#include "engine/Position.h"

#include <optional>
#include <string>
#include <vector>

namespace engine {

// Win/draw/loss of every position up to depth() stones that can arise in play, one side of
// each mirror pair. File: "DSBOOK1\0", depth and count as little-endian 32-bit numbers, then
// count 64-bit little-endian entries, ascending: canonical key << 2 | value, where value is
// 0 loss, 1 draw, 2 win for the side to move.
class Book
{
public:
    // Replaces the contents; false (and an empty book) when the file is missing or malformed.
    bool load(const std::string &path);
    bool isEmpty() const { return entries.empty(); }
    // The deepest stone count held; -1 when empty.
    int depth() const { return entries.empty() ? -1 : maxDepth; }
    // -1, 0 or 1 for the side to move; nothing when the position is not held.
    std::optional<int> value(const Position &position) const;
    std::size_t size() const { return entries.size(); }
    const std::vector<std::uint64_t> &rawEntries() const { return entries; }

    static std::uint64_t encode(std::uint64_t canonicalKey, int value)
    {
        return canonicalKey << 2 | std::uint64_t(value + 1);
    }
    // entries must be sorted and hold each key once.
    static bool save(const std::string &path, int depth, const std::vector<std::uint64_t> &entries);

private:
    std::vector<std::uint64_t> entries;
    int maxDepth = -1;
};

} // namespace engine
