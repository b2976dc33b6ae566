#include "core/fatal.h"

#include "core/logging.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace atelier {

void fatalError(std::string_view message) {
  std::string text(message);
  std::fprintf(stderr, "Fatal error: %s\n", text.c_str());
  logError("General/Fatal", "fatalError(_:)", text);
  Log::flush();
  std::abort();
}

}  // namespace atelier
