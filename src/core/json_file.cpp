#include "core/json_file.h"

#include "core/file_io.h"

namespace atelier {

std::optional<nlohmann::json> readJSONFile(const std::filesystem::path& file) {
  auto text = readFileContents(file);
  if (!text) return std::nullopt;
  auto parsed = nlohmann::json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

std::optional<std::string> textAtKeyPath(const nlohmann::json& root, std::string_view keyPath) {
  const nlohmann::json* node = &root;
  while (true) {
    auto dot = keyPath.find('.');
    if (!node->is_object()) return std::nullopt;
    auto found = node->find(keyPath.substr(0, dot));
    if (found == node->end()) return std::nullopt;
    node = &*found;
    if (dot == std::string_view::npos) break;
    keyPath.remove_prefix(dot + 1);
  }
  if (!node->is_string()) return std::nullopt;
  return node->get<std::string>();
}

}  // namespace atelier
