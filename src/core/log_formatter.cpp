#include "core/log_formatter.h"

#include "core/logging.h"

namespace atelier {

std::string_view LogFormatter::levelLetter(int flag) {
  switch (flag) {
    case kLogError: return "E";
    case kLogWarning: return "W";
    case kLogInfo: return "I";
    case kLogDebug: return "D";
    case kLogVerbose: return "V";
    default: return "";
  }
}

std::string LogFormatter::format(int flag, std::string_view text) {
  std::string line(levelLetter(flag));
  line += " | ";
  line += text;
  return line;
}

}  // namespace atelier
