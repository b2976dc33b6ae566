#include "core/file_io.h"

#include <fstream>

namespace atelier {

std::optional<std::string> readFileContents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  auto size = in.tellg();
  if (size < 0) return std::nullopt;
  std::string data(static_cast<size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(data.data(), static_cast<std::streamsize>(data.size()))) return std::nullopt;
  return data;
}

}  // namespace atelier
