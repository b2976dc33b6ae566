#include "bridge/parameter_decoding.h"

#include <glib.h>

#include <charconv>
#include <system_error>

namespace atelier {
namespace {

bool isValidUTF8(std::string_view bytes) {
  return g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

// The sign handling both number rules share; from_chars takes no "+".
std::string_view withoutPlus(std::string_view text) {
  if (text.starts_with("+") && !(text.size() > 1 && (text[1] == '-' || text[1] == '+'))) text.remove_prefix(1);
  return text;
}

template <class Number>
Number parseWhole(std::string_view bytes) {
  if (!isValidUTF8(bytes)) bytes = "0";
  auto text = withoutPlus(bytes);
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return Number{};
  return value;
}

}  // namespace

std::string decodeStringParameter(std::string_view bytes) {
  if (!isValidUTF8(bytes)) return {};
  // Whole characters, not bytes: the first and the last code point go.
  if (g_utf8_strlen(bytes.data(), static_cast<gssize>(bytes.size())) < 2) return {};
  const char* begin = g_utf8_next_char(bytes.data());
  const char* end = g_utf8_find_prev_char(bytes.data(), bytes.data() + bytes.size());
  return std::string(begin, end);
}

int64_t decodeIntegerParameter(std::string_view bytes) { return parseWhole<int64_t>(bytes); }
double decodeDoubleParameter(std::string_view bytes) { return parseWhole<double>(bytes); }

}  // namespace atelier
