#include "app/value_injecter.h"

#include "app/notification_names.h"
#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "core/json_writer.h"
#include "core/main_queue.h"
#include "http/proxy_address.h"
#include "updates/reachability_compat.h"

#include <clocale>
#include <cstdlib>

namespace atelier {

ValueInjecter::ValueInjecter(std::weak_ptr<JSScriptHandler> scriptHandler) : scriptHandler_(std::move(scriptHandler)) {}

ValueInjecter::~ValueInjecter() {
  for (auto token : observers_) NotificationCenter::defaultCenter().removeObserver(token);
}

std::string ValueInjecter::statement(const std::string& name, const nlohmann::json& value) {
  auto text = writeJSON(value);
  if (!text) return "";
  return "__bridge[\"" + name + "\"] = " + *text;
}

std::string ValueInjecter::localeIdentifier() {
  // The messages locale as the page knows identifiers: "de_DE", not "de_DE.UTF-8".
  std::string locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* value = std::getenv(variable); value && *value) {
      locale = value;
      break;
    }
  }
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return "en_US";
  return locale;
}

nlohmann::json ValueInjecter::currentValue(const std::string& name) {
  auto& reachability = ReachabilityCompat::shared();
  if (name == "isNetworkReachable") {
    return reachability.hasMonitor() && ReachabilityCompat::isReachable(reachability.status());
  }
  if (name == "connectionType") {
    return ReachabilityCompat::connectionType(reachability.status(), reachability.hasMonitor());
  }
  if (name == "currentTimeStamp") {
    auto* manager = DeviceStorageManager::shared();
    return manager ? manager->storage().integerForKey("li").value_or(0) : 0;
  }
  return nullptr;
}

std::string ValueInjecter::injectValues() {
  const std::vector<KeptValue> kept = {
      {"isNetworkReachable",
       {ReachabilityCompat::kReachabilityDidChange, notifications::kWebViewDidCompleteInitialization}, false},
      {"connectionType", {ReachabilityCompat::kReachabilityDidChange, notifications::kWebViewDidCompleteInitialization},
       true},
      {"currentTimeStamp", {notifications::kIncrementalUpdateManagerDidChange}, false},
  };
  std::vector<std::string> statements = {
      statement("shortVersion", AppInfo::shortVersion()),
      statement("os", "osx"),
      statement("buildNumber", AppInfo::buildNumber()),
      statement("locale", localeIdentifier()),
      statement("getProxyURL", ProxyAddress::ajaxProxyURL()),
  };
  for (const auto& value : kept) {
    statements.push_back(statement(value.name, currentValue(value.name)));
    if (!observing_) observe(value);
  }
  observing_ = true;
  statements.push_back(statement("canReadWriteProjectExports", true));
  statements.push_back(statement("canReadWriteTalvoProjectExports", true));

  std::string script;
  for (size_t i = 0; i < statements.size(); ++i) {
    if (i > 0) script += ";";
    script += statements[i];
  }
  return script;
}

void ValueInjecter::observe(const KeptValue& value) {
  for (const auto& name : value.notifications) {
    observers_.push_back(NotificationCenter::defaultCenter().addObserver(
        name, [weak = weak_from_this(), value](const Notification&) {
          MainQueue::post([weak, value] {
            auto self = weak.lock();
            if (!self) return;
            auto handler = self->scriptHandler_.lock();
            if (!handler) return;
            JSScriptHandler::Completion completion;
            if (value.announcesConnectionType) {
              completion = [](std::optional<nlohmann::json>) {
                NotificationCenter::defaultCenter().post(notifications::kConnectionTypeDidChange);
              };
            }
            handler->evaluateScript(statement(value.name, currentValue(value.name)), completion);
          });
        }));
  }
}

}  // namespace atelier
