#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace atelier {

// Persistent settings in one JSON file. Every change is written at once and
// atomically (temporary file, fsync, rename), so a crash leaves either the
// old or the new file. A damaged file is set aside, never overwritten blindly.
class UserDefaults {
 public:
  explicit UserDefaults(std::filesystem::path file);
  // $XDG_CONFIG_HOME/<bundle id>/<bundle id>.json
  static std::filesystem::path standardFile();

  const std::filesystem::path& file() const { return file_; }

  bool hasKey(const std::string& key) const;
  std::optional<bool> boolForKey(const std::string& key) const;
  std::optional<int64_t> integerForKey(const std::string& key) const;
  std::optional<std::string> stringForKey(const std::string& key) const;

  void setBool(const std::string& key, bool value);
  void setInteger(const std::string& key, int64_t value);
  void setString(const std::string& key, const std::string& value);
  void removeObject(const std::string& key);

 private:
  void load();
  void setValue(const std::string& key, nlohmann::json value);
  bool save();  // with mutex_ held

  std::filesystem::path file_;
  mutable std::mutex mutex_;
  nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace atelier
