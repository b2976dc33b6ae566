#pragma once

#include "bridge/js_script_handler.h"
#include "core/notification_center.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace atelier {

// Native values the page reads from __bridge, injected at document start,
// and kept current by evaluation when their notifications arrive.
class ValueInjecter : public std::enable_shared_from_this<ValueInjecter> {
 public:
  explicit ValueInjecter(std::weak_ptr<JSScriptHandler> scriptHandler);
  ~ValueInjecter();

  // The values script (statements joined by ";"); registers the observers
  // of the kept-current values on its first call.
  std::string injectValues();

  // `__bridge["NAME"] = VALUE`, or "" when the value cannot be written.
  static std::string statement(const std::string& name, const nlohmann::json& value);
  static std::string localeIdentifier();

 private:
  struct KeptValue {
    std::string name;
    std::vector<std::string> notifications;
    bool announcesConnectionType;
  };
  static nlohmann::json currentValue(const std::string& name);
  void observe(const KeptValue& value);

  std::weak_ptr<JSScriptHandler> scriptHandler_;
  std::vector<NotificationCenter::Token> observers_;
  bool observing_ = false;
};

}  // namespace atelier
