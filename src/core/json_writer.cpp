#include "core/json_writer.h"

#include <glib.h>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace atelier {
namespace {

void appendString(std::string& out, const std::string& raw) {
  // Names read from disk may carry invalid UTF-8; the page gets U+FFFD instead.
  std::string repaired;
  const std::string* source = &raw;
  if (!g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr)) {
    gchar* valid = g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size()));
    repaired = valid;
    g_free(valid);
    source = &repaired;
  }
  out += '"';
  for (unsigned char c : *source) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '/': out += "\\/"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

bool appendDouble(std::string& out, double value) {
  if (!std::isfinite(value)) return false;
  char buffer[64];
  std::to_chars_result result;
  if (value == std::trunc(value) && std::fabs(value) < 1e17) {
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
  } else {
    result = std::to_chars(buffer, buffer + sizeof buffer, value);
  }
  out.append(buffer, result.ptr);
  return true;
}

bool append(std::string& out, const nlohmann::json& value, std::string& error) {
  switch (value.type()) {
    case nlohmann::json::value_t::null: out += "null"; return true;
    case nlohmann::json::value_t::boolean: out += value.get<bool>() ? "true" : "false"; return true;
    case nlohmann::json::value_t::number_integer: out += std::to_string(value.get<int64_t>()); return true;
    case nlohmann::json::value_t::number_unsigned: out += std::to_string(value.get<uint64_t>()); return true;
    case nlohmann::json::value_t::number_float:
      if (!appendDouble(out, value.get<double>())) {
        error = "Invalid number value (NaN or infinity) in JSON write";
        return false;
      }
      return true;
    case nlohmann::json::value_t::string: appendString(out, value.get_ref<const std::string&>()); return true;
    case nlohmann::json::value_t::array: {
      out += '[';
      bool first = true;
      for (const auto& element : value) {
        if (!first) out += ',';
        first = false;
        if (!append(out, element, error)) return false;
      }
      out += ']';
      return true;
    }
    case nlohmann::json::value_t::object: {
      out += '{';
      bool first = true;
      for (const auto& [key, element] : value.items()) {
        if (!first) out += ',';
        first = false;
        appendString(out, key);
        out += ':';
        if (!append(out, element, error)) return false;
      }
      out += '}';
      return true;
    }
    default:
      error = "Invalid type in JSON write";
      return false;
  }
}

}  // namespace

std::expected<std::string, std::string> writeJSON(const nlohmann::json& value) {
  std::string out;
  std::string error;
  if (!append(out, value, error)) return std::unexpected(error);
  return out;
}

}  // namespace atelier
