#pragma once

#include <string>

namespace engine {

// Where the opening book is for this executable: <exe dir>/../share/dropstone/book.bin when
// installed, else <exe dir>/book.bin, else the copy in the source tree the build came from.
// The first that exists; empty when none does.
std::string findBookPath();

} // namespace engine
