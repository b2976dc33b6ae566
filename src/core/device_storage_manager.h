#pragma once

#include "core/user_defaults.h"

#include <memory>
#include <string>

namespace atelier {

// The one holder of the user defaults, reachable process-wide. Creating a
// second one while the first exists stops the process.
class DeviceStorageManager {
 public:
  explicit DeviceStorageManager(std::shared_ptr<UserDefaults> storage);
  ~DeviceStorageManager();
  DeviceStorageManager(const DeviceStorageManager&) = delete;
  DeviceStorageManager& operator=(const DeviceStorageManager&) = delete;

  static DeviceStorageManager* shared();
  // A boolean setting of the shared store; false when unset or without a store.
  static bool isOn(const std::string& key);
  UserDefaults& storage() const { return *storage_; }

 private:
  std::shared_ptr<UserDefaults> storage_;
};

}  // namespace atelier
