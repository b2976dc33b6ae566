#pragma once

#include "bridge/web_object.h"

namespace atelier {

// "general": native log, notifications, links, settings queries, the
// ready signal, quitting and the close-request handshake, the progress
// window, and functions other platforms need that do nothing here.
class GeneralWebObject : public WebObject {
 public:
  GeneralWebObject();
};

// The page's notification request: "message", "duration" (seconds), "type".
struct NotificationRequest {
  enum class Type { toast, banner, badge };
  std::string message;
  double duration = 0;
  Type type = Type::toast;
};
void from_json(const nlohmann::json& json, NotificationRequest& request);

}  // namespace atelier
