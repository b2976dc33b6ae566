#pragma once

#include "bridge/errors.h"
#include "core/json_writer.h"

#include <nlohmann/json.hpp>

#include <concepts>
#include <expected>
#include <string>
#include <type_traits>

namespace atelier {

// The script text an answer carries: a JSON value or a bare number. Other
// layers add overloads of toPayload for their own types (found by ADL).
using PayloadResult = std::expected<std::string, std::string>;

inline PayloadResult toPayload(bool value) { return std::string(value ? "true" : "false"); }
inline PayloadResult toPayload(const std::string& text) { return writeJSON(text); }
inline PayloadResult toPayload(const char* text) { return writeJSON(std::string(text)); }
template <std::integral T>
  requires(!std::same_as<T, bool>)
PayloadResult toPayload(T value) {
  return std::to_string(value);
}
inline PayloadResult toPayload(double value) { return writeJSON(value); }
inline PayloadResult toPayload(const nlohmann::json& value) { return writeJSON(value); }
// Errors with a code travel as that code in decimal.
inline PayloadResult toPayload(GeneralError error) { return std::to_string(static_cast<int64_t>(error)); }

// Any other structure (or array of them) with a JSON encoding.
template <class T>
  requires(!std::is_arithmetic_v<T> && !std::is_enum_v<T> && !std::same_as<T, nlohmann::json> &&
           !std::convertible_to<T, std::string> && std::is_constructible_v<nlohmann::json, const T&>)
PayloadResult toPayload(const T& value) {
  try {
    return writeJSON(nlohmann::json(value));
  } catch (const std::exception& error) {
    return std::unexpected(std::string(error.what()));
  }
}

}  // namespace atelier
