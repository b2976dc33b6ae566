#include "core/device_storage_manager.h"

#include "core/fatal.h"

#include <atomic>

namespace atelier {
namespace {
std::atomic<DeviceStorageManager*> sharedInstance{nullptr};
}

DeviceStorageManager::DeviceStorageManager(std::shared_ptr<UserDefaults> storage) : storage_(std::move(storage)) {
  DeviceStorageManager* expected = nullptr;
  if (!sharedInstance.compare_exchange_strong(expected, this)) {
    fatalError("DeviceStorageManager must be a singleton");
  }
}

DeviceStorageManager::~DeviceStorageManager() {
  DeviceStorageManager* self = this;
  sharedInstance.compare_exchange_strong(self, nullptr);
}

DeviceStorageManager* DeviceStorageManager::shared() { return sharedInstance.load(); }

}  // namespace atelier
