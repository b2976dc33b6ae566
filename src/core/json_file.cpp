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

}  // namespace atelier
