#pragma once

#include <string_view>

namespace atelier {

struct Color {
  double red = 0, green = 0, blue = 0, alpha = 1;
  bool operator==(const Color&) const = default;
};

// "#RGB", "#RGBA", "#RRGGBB", "#RRGGBBAA", with "#", "0x" or no prefix; any
// other length gives opaque black.
Color colorFromHexString(std::string_view text);

}  // namespace atelier
