#include "core/json_file.h"

#include <fstream>
#include <iterator>

namespace atelier {

std::optional<nlohmann::json> readJSONFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  auto parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

}  // namespace atelier
