#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// zlib-wrapped deflate, as the bundle databases store JSON files.
std::optional<std::string> deflateData(std::string_view data, int level = 5);
std::optional<std::string> inflateData(std::string_view data);

}  // namespace atelier
