#include "core/user_defaults.h"

#include "core/app_paths.h"
#include "core/app_info.h"
#include "core/json_file.h"
#include "core/logging.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "General/UserDefaults";

bool writeAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

fs::path UserDefaults::standardFile() {
  return AppPaths::configDirectory() / (AppInfo::bundleIdentifier() + ".json");
}

UserDefaults::UserDefaults(fs::path file) : file_(std::move(file)) { load(); }

void UserDefaults::load() {
  std::error_code ec;
  if (!fs::exists(file_, ec)) return;
  auto parsed = readJSONFile(file_);
  if (parsed && parsed->is_object()) {
    values_ = std::move(*parsed);
    return;
  }
  // Keep the damaged file for a person to look at; start from empty defaults.
  auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch()).count();
  auto aside = file_;
  aside += ".damaged-" + std::to_string(stamp);
  fs::rename(file_, aside, ec);
  logError(kSource, "load()", "Settings file is damaged, set aside as: " + aside.string());
}

bool UserDefaults::hasKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  return values_.contains(key);
}

std::optional<bool> UserDefaults::boolForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  if (found->is_boolean()) return found->get<bool>();
  if (found->is_number()) return found->get<double>() != 0;
  return std::nullopt;
}

std::optional<int64_t> UserDefaults::integerForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  if (found->is_number_integer()) return found->get<int64_t>();
  if (found->is_number()) return static_cast<int64_t>(found->get<double>());
  if (found->is_boolean()) return found->get<bool>() ? 1 : 0;
  return std::nullopt;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  if (found == values_.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

void UserDefaults::setBool(const std::string& key, bool value) { setValue(key, value); }
void UserDefaults::setInteger(const std::string& key, int64_t value) { setValue(key, value); }
void UserDefaults::setString(const std::string& key, const std::string& value) { setValue(key, value); }

void UserDefaults::removeObject(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (values_.erase(key) > 0) save();
}

void UserDefaults::setValue(const std::string& key, nlohmann::json value) {
  std::lock_guard lock(mutex_);
  values_[key] = std::move(value);
  save();
}

bool UserDefaults::save() {
  std::error_code ec;
  fs::create_directories(file_.parent_path(), ec);
  auto pattern = file_.string() + ".XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    logError(kSource, "save()", std::string("Could not write settings: ") + std::strerror(errno));
    return false;
  }
  bool ok = writeAll(fd, values_.dump(2) + "\n") && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(pattern.c_str(), file_.c_str()) == 0;
  if (!ok) {
    logError(kSource, "save()", std::string("Could not write settings: ") + std::strerror(errno));
    ::unlink(pattern.c_str());
    return false;
  }
  if (int directory = ::open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY); directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  return true;
}

}  // namespace atelier
