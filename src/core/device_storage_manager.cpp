#include "core/device_storage_manager.h"

#include "core/unique_instance.h"

namespace atelier {

DeviceStorageManager::DeviceStorageManager(std::shared_ptr<UserDefaults> storage) : storage_(std::move(storage)) {
  UniqueInstance<DeviceStorageManager>::claim(this, "DeviceStorageManager must be a singleton");
}

DeviceStorageManager::~DeviceStorageManager() { UniqueInstance<DeviceStorageManager>::release(this); }

DeviceStorageManager* DeviceStorageManager::shared() { return UniqueInstance<DeviceStorageManager>::get(); }

bool DeviceStorageManager::isOn(const std::string& key) {
  auto* manager = shared();
  return manager && manager->storage().boolForKey(key).value_or(false);
}

}  // namespace atelier
