#pragma once

#include <string_view>

namespace atelier {

// Stops the process for programming and packaging errors (a second singleton,
// a missing bundled script). The message goes to the log and to stderr first.
[[noreturn]] void fatalError(std::string_view message);

}  // namespace atelier
