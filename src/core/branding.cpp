#include "core/branding.h"

#include "core/json_file.h"
#include "core/resources.h"

namespace atelier {

std::optional<std::string> brandingValue(std::string_view keyPath) {
  auto file = Resources::urlForResource("branding", "json", "sync");
  if (!file) return std::nullopt;
  auto root = readJSONFile(*file);
  if (!root || !root->is_object()) return std::nullopt;

  const nlohmann::json* node = &*root;
  while (true) {
    auto dot = keyPath.find('.');
    auto key = keyPath.substr(0, dot);
    if (!node->is_object()) return std::nullopt;
    auto found = node->find(key);
    if (found == node->end()) return std::nullopt;
    node = &*found;
    if (dot == std::string_view::npos) break;
    keyPath.remove_prefix(dot + 1);
  }
  if (!node->is_string()) return std::nullopt;
  return node->get<std::string>();
}

}  // namespace atelier
