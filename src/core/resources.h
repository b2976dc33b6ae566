#pragma once

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// The application's resources directory: "--resources DIR" on the command
// line, else $ATELIER_RESOURCES, else "Resources" beside the executable.
class Resources {
 public:
  // Reads "--resources DIR" / "--resources=DIR" and the environment.
  static void configure(int argc, char** argv);
  static void setDirectory(const std::filesystem::path& directory);
  static std::filesystem::path directory();

  // <dir>/<subdirectory>/<name>.<extension> when it exists as a file.
  static std::optional<std::filesystem::path> urlForResource(std::string_view name, std::string_view extension,
                                                             std::string_view subdirectory = {});
  // The test resources (testFiles/...): $ATELIER_TEST_RESOURCES or set by the tests.
  static void setTestDirectory(const std::filesystem::path& directory);
  static std::optional<std::filesystem::path> urlForTestResource(std::string_view name, std::string_view extension,
                                                                 std::string_view subdirectory = {});
  // The information dictionary (Info.json); an empty object when missing.
  static const nlohmann::json& info();
  static std::optional<std::string> infoString(std::string_view key);
  // Text of the default string table (Localizable.json); the key itself when missing.
  static std::string localizedString(std::string_view key);
};

}  // namespace atelier
