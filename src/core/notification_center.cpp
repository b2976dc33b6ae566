#include "core/notification_center.h"

namespace atelier {

NotificationCenter& NotificationCenter::defaultCenter() {
  static auto* center = new NotificationCenter;
  return *center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name, Observer observer) {
  std::lock_guard lock(mutex_);
  auto token = nextToken_++;
  observers_[name].push_back(std::make_shared<Entry>(Entry{token, std::move(observer)}));
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  std::lock_guard lock(mutex_);
  for (auto& [name, entries] : observers_) {
    std::erase_if(entries, [&](const std::shared_ptr<Entry>& entry) {
      if (entry->token != token) return false;
      entry->removed = true;  // a post already under way skips it
      return true;
    });
  }
}

void NotificationCenter::post(const std::string& name, std::any object) {
  std::vector<std::shared_ptr<Entry>> snapshot;
  {
    std::lock_guard lock(mutex_);
    auto found = observers_.find(name);
    if (found == observers_.end()) return;
    snapshot = found->second;
  }
  Notification notification{name, std::move(object)};
  // Observers run without the lock, so they may add or remove observers.
  for (auto& entry : snapshot) {
    bool removed;
    {
      std::lock_guard lock(mutex_);
      removed = entry->removed;
    }
    if (!removed) entry->observer(notification);
  }
}

}  // namespace atelier
