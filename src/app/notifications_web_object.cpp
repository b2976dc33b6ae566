#include "app/notifications_web_object.h"

#include "updates/reachability_compat.h"

namespace atelier {

NotificationsWebObject::NotificationsWebObject() : WebObject("notifications") {
  addFunction("registerCallback", [this](WebRequest request) {
    auto name = request.decodeParameters<std::string>();
    // Stored under the name observed, so the legacy name is answered too.
    std::string observed = name == kLegacyReachabilityName ? ReachabilityCompat::kReachabilityDidChange : name;
    auto token = NotificationCenter::defaultCenter().addObserver(observed, [this](const Notification& notification) {
      std::optional<WebRequest> registered;
      {
        std::lock_guard lock(mutex_);
        if (auto found = observers_.find(notification.name); found != observers_.end()) {
          registered = found->second.request;
        }
      }
      if (registered) registered->fulfill(notification.name);
    });
    std::optional<Registration> replaced;
    {
      std::lock_guard lock(mutex_);
      if (auto found = observers_.find(observed); found != observers_.end()) replaced = std::move(found->second);
      observers_.insert_or_assign(observed, Registration{request, token});
    }
    // One observation per name; the earlier request is released (its ids leave the page).
    if (replaced) NotificationCenter::defaultCenter().removeObserver(replaced->token);
  });
  addFunction("postNotification", [](WebRequest request) {
    NotificationCenter::defaultCenter().post(request.decodeParameters<std::string>());
  });
}

NotificationsWebObject::~NotificationsWebObject() {
  for (auto& [name, registration] : observers_) NotificationCenter::defaultCenter().removeObserver(registration.token);
}

}  // namespace atelier
