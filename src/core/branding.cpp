#include "core/branding.h"

#include "core/json_file.h"
#include "core/resources.h"

namespace atelier {

std::optional<std::string> brandingValue(std::string_view keyPath) {
  auto file = Resources::urlForResource("branding", "json", "sync");
  if (!file) return std::nullopt;
  auto root = readJSONFile(*file);
  if (!root) return std::nullopt;
  return textAtKeyPath(*root, keyPath);
}

}  // namespace atelier
