#include "engine/Book.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace engine {

namespace {

constexpr char Magic[8] = {'D', 'S', 'B', 'O', 'O', 'K', '1', '\0'};
constexpr std::size_t MaxEntries = std::size_t(1) << 24; // far above any book we generate

std::uint64_t littleEndian(const unsigned char *bytes, int count)
{
    std::uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = v << 8 | bytes[i];
    return v;
}

void putLittleEndian(std::ofstream &out, std::uint64_t v, int count)
{
    for (int i = 0; i < count; ++i)
        out.put(char((v >> 8 * i) & 0xff));
}

} // namespace

bool Book::load(const std::string &path)
{
    entries.clear();
    maxDepth = -1;
    std::ifstream in(path, std::ios::binary);
    unsigned char header[16];
    if (!in.read(reinterpret_cast<char *>(header), sizeof header) ||
        std::memcmp(header, Magic, sizeof Magic) != 0)
        return false;
    const int depth = int(littleEndian(header + 8, 4));
    const std::size_t count = littleEndian(header + 12, 4);
    if (depth < 0 || depth > Position::Cells || count == 0 || count > MaxEntries)
        return false;
    std::vector<unsigned char> bytes(count * 8);
    if (!in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size())) ||
        in.peek() != std::ifstream::traits_type::eof())
        return false;
    std::vector<std::uint64_t> read(count);
    for (std::size_t i = 0; i < count; ++i) {
        read[i] = littleEndian(bytes.data() + 8 * i, 8);
        if ((read[i] & 3) == 3 || (i > 0 && (read[i] >> 2) <= (read[i - 1] >> 2)))
            return false;
    }
    entries = std::move(read);
    maxDepth = depth;
    return true;
}

std::optional<int> Book::value(const Position &position) const
{
    if (position.moves() > maxDepth)
        return std::nullopt;
    const std::uint64_t key = position.canonicalKey();
    const auto it = std::lower_bound(entries.begin(), entries.end(), key << 2);
    if (it == entries.end() || (*it >> 2) != key)
        return std::nullopt;
    return int(*it & 3) - 1;
}

bool Book::save(const std::string &path, int depth, const std::vector<std::uint64_t> &entries)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(Magic, sizeof Magic);
    putLittleEndian(out, std::uint64_t(depth), 4);
    putLittleEndian(out, entries.size(), 4);
    for (std::uint64_t e : entries)
        putLittleEndian(out, e, 8);
    return bool(out.flush());
}

} // namespace engine
