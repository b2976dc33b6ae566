#include "core/resources.h"

#include "core/json_file.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace atelier {
namespace fs = std::filesystem;
namespace {

struct ResourceState {
  std::mutex mutex;
  std::optional<fs::path> directory;
  std::optional<fs::path> testDirectory;
  std::optional<nlohmann::json> info;
  std::optional<nlohmann::json> strings;
};

ResourceState& state() {
  static auto* s = new ResourceState;
  return *s;
}

fs::path defaultDirectory() {
  if (const char* env = std::getenv("ATELIER_RESOURCES"); env && *env) return env;
  std::error_code ec;
  auto executable = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec) / "Resources";
  return executable.parent_path() / "Resources";
}

const nlohmann::json& cachedJSON(std::optional<nlohmann::json>& slot, const fs::path& file) {
  if (!slot) {
    auto parsed = readJSONFile(file);
    slot = (parsed && parsed->is_object()) ? std::move(*parsed) : nlohmann::json::object();
  }
  return *slot;
}

}  // namespace

void Resources::configure(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--resources" && i + 1 < argc) {
      setDirectory(argv[i + 1]);
      return;
    }
    if (argument.starts_with("--resources=")) {
      setDirectory(std::string(argument.substr(std::strlen("--resources="))));
      return;
    }
  }
}

void Resources::setDirectory(const fs::path& directory) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.directory = fs::absolute(directory);
  s.info.reset();
  s.strings.reset();
}

fs::path Resources::directory() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (!s.directory) s.directory = defaultDirectory();
  return *s.directory;
}

static std::optional<fs::path> resourceIn(fs::path file, std::string_view name, std::string_view extension,
                                   std::string_view subdirectory) {
  if (!subdirectory.empty()) file /= std::string(subdirectory);
  std::string leaf(name);
  if (!extension.empty()) {
    leaf += ".";
    leaf += extension;
  }
  file /= leaf;
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  return file;
}

std::optional<fs::path> Resources::urlForResource(std::string_view name, std::string_view extension,
                                                  std::string_view subdirectory) {
  return resourceIn(directory(), name, extension, subdirectory);
}

void Resources::setTestDirectory(const fs::path& directory) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.testDirectory = directory;
}

std::optional<fs::path> Resources::urlForTestResource(std::string_view name, std::string_view extension,
                                                      std::string_view subdirectory) {
  std::optional<fs::path> root;
  {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    root = s.testDirectory;
  }
  if (!root) {
    const char* env = std::getenv("ATELIER_TEST_RESOURCES");
    if (!env || !*env) return std::nullopt;
    root = env;
  }
  return resourceIn(*root, name, extension, subdirectory);
}

const nlohmann::json& Resources::info() {
  auto root = directory();
  auto& s = state();
  std::lock_guard lock(s.mutex);
  return cachedJSON(s.info, root / "Info.json");
}

std::optional<std::string> Resources::infoString(std::string_view key) {
  const auto& dictionary = info();
  auto found = dictionary.find(key);
  if (found == dictionary.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

std::string Resources::localizedString(std::string_view key) {
  auto root = directory();
  auto& s = state();
  std::lock_guard lock(s.mutex);
  const auto& table = cachedJSON(s.strings, root / "Localizable.json");
  auto found = table.find(key);
  if (found == table.end() || !found->is_string()) return std::string(key);
  return found->get<std::string>();
}

}  // namespace atelier
