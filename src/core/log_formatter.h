#pragma once

#include <string>
#include <string_view>

namespace atelier {

// System-log line format: "<letter> | <text>".
class LogFormatter {
 public:
  static std::string_view levelLetter(int flag);
  static std::string format(int flag, std::string_view text);
};

}  // namespace atelier
