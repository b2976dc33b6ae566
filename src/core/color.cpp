#include "core/color.h"

#include <cstdint>

namespace atelier {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Color colorFromHexString(std::string_view text) {
  if (text.starts_with("#")) {
    text.remove_prefix(1);
  } else if (text.starts_with("0x")) {
    text.remove_prefix(2);
  }
  // Read up to the first non-hex character; the layout follows the full length.
  uint64_t value = 0;
  for (char c : text) {
    int digit = hexDigit(c);
    if (digit < 0) break;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  auto nibble = [&](int shift) { return static_cast<double>((value >> shift) & 0xF) / 15.0; };
  auto byte = [&](int shift) { return static_cast<double>((value >> shift) & 0xFF) / 255.0; };
  switch (text.size()) {
    case 3: return {nibble(8), nibble(4), nibble(0), 1.0};
    case 4: return {nibble(12), nibble(8), nibble(4), nibble(0)};
    case 6: return {byte(16), byte(8), byte(0), 1.0};
    case 8: return {byte(24), byte(16), byte(8), byte(0)};
    default: return {0, 0, 0, 1};
  }
}

}  // namespace atelier
