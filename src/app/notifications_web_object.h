#pragma once

#include "bridge/web_object.h"
#include "core/notification_center.h"

#include <map>
#include <mutex>

namespace atelier {

// "notifications": the page posts notifications into the application and
// is called back whenever a notification it registered for is posted.
class NotificationsWebObject : public WebObject {
 public:
  // What the page's networking code registers for reachability changes;
  // it is answered on the application's reachability notification.
  static constexpr const char* kLegacyReachabilityName = "networkReachabilityDidChange";

  NotificationsWebObject();
  ~NotificationsWebObject() override;

 private:
  struct Registration {
    WebRequest request;
    NotificationCenter::Token token;
  };
  std::mutex mutex_;
  std::map<std::string, Registration> observers_;  // by the name observed
};

}  // namespace atelier
