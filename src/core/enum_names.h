#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace atelier {

// A table of an integer-coded enumeration's cases with their names: codes
// from the outside become cases only when they name one.
template <class E, std::size_t N>
struct EnumNames {
  std::array<std::pair<E, const char*>, N> entries;

  constexpr std::optional<E> fromCode(int64_t code) const {
    for (auto [value, name] : entries) {
      if (static_cast<int64_t>(value) == code) return value;
    }
    return std::nullopt;
  }
  constexpr std::string_view name(E value, std::string_view fallback) const {
    for (auto [candidate, name] : entries) {
      if (candidate == value) return name;
    }
    return fallback;
  }
};

}  // namespace atelier
