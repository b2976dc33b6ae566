#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// Text at a dot-separated key path of sync/branding.json; nothing on any failure.
std::optional<std::string> brandingValue(std::string_view keyPath);

}  // namespace atelier
