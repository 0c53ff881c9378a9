#include "engine/BookLocation.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace engine {

std::string findBookPath()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    std::vector<fs::path> candidates;
    if (!error) {
        candidates.push_back(exe.parent_path() / ".." / "share" / "dropstone" / "book.bin");
        candidates.push_back(exe.parent_path() / "book.bin");
    }
#ifdef DROPSTONE_SOURCE_BOOK
    candidates.push_back(DROPSTONE_SOURCE_BOOK);
#endif
    for (const fs::path &candidate : candidates) {
        if (fs::is_regular_file(candidate, error))
            return candidate.lexically_normal().string();
    }
    return {};
}

} // namespace engine
