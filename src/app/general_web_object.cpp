#include "app/general_web_object.h"

#include "app/close_manager.h"
#include "app/notification_names.h"
#include "app/platform_services.h"
#include "core/device_storage_manager.h"
#include "core/logging.h"
#include "core/notification_center.h"
#include "core/resources.h"
#include "http/http_client.h"
#include "http/url.h"

#include <algorithm>
#include <charconv>
#include <random>

namespace atelier {
namespace {

constexpr const char* kSource = "Webview Communication/Web Objects/GeneralWebObject";
constexpr const char* kManagerSource = "General/GeneralManager-OSX";

void openInBrowser(const std::string& text) {
  if (!URL::parse(text)) return;
  logDebug(kManagerSource, "openInSystemBrowser(_:)", "test - url to open in system browser: " + text);
  if (auto application = PlatformServices::application()) application->openURL(text);
}

struct RemoveCookieRequest {
  std::string url;
  std::string name;
};
void from_json(const nlohmann::json& json, RemoveCookieRequest& request) {
  json.at("url").get_to(request.url);
  json.at("name").get_to(request.name);
}

const char* typeName(NotificationRequest::Type type) {
  switch (type) {
    case NotificationRequest::Type::toast: return "toast";
    case NotificationRequest::Type::banner: return "banner";
    case NotificationRequest::Type::badge: return "badge";
  }
  return "";
}

}  // namespace

void from_json(const nlohmann::json& json, NotificationRequest& request) {
  json.at("message").get_to(request.message);
  json.at("duration").get_to(request.duration);
  auto type = json.at("type").get<std::string>();
  if (type == "toast") {
    request.type = NotificationRequest::Type::toast;
  } else if (type == "banner") {
    request.type = NotificationRequest::Type::banner;
  } else if (type == "badge") {
    request.type = NotificationRequest::Type::badge;
  } else {
    throw nlohmann::json::type_error::create(302, "unknown notification type: " + type, &json);
  }
}

GeneralWebObject::GeneralWebObject() : WebObject("general") {
  addFunction("log", [](WebRequest request) {
    logInfo(kSource, "log(_:)", "Log: " + request.decodeParameters<std::string>());
  });
  addFunction("logError", [](WebRequest request) {
    logInfo(kSource, "logError(_:)", "Log Error: " + request.decodeParameters<std::string>());
  });
  addFunction("showNotification", [](WebRequest request) {
    auto notification = request.decodeParameters<NotificationRequest>();
    if (auto shell = PlatformServices::shell()) {
      switch (notification.type) {
        case NotificationRequest::Type::toast:
          shell->showHeadsUp(notification.message, std::max(1.0, notification.duration));
          break;
        case NotificationRequest::Type::banner: shell->deliverNotification(notification.message); break;
        case NotificationRequest::Type::badge: shell->setBadge(notification.message); break;
      }
    }
    logInfo(kManagerSource, "showNotification(_:)",
            "Notification: " + notification.message + " type: " + typeName(notification.type));
  });
  addFunction("openInSystemBrowser", [](WebRequest request) {
    auto text = request.decodeParameters<std::string>();
    logDebug(kSource, "openInSystemBrowser(_:)", "test - open in system browser: " + text);
    openInBrowser(text);
  });
  addFunction("updateApplication", [](WebRequest) {
    // The software centre's page of the application (appstream:// is what they open).
    logDebug(kManagerSource, "updateApplication()", "Update Application...");
    openInBrowser("appstream://" + Resources::infoString("TZRC_APP_STORE_ID").value_or(""));
  });
  addFunction("removeCookie", [](WebRequest request) {
    auto cookie = request.decodeParameters<RemoveCookieRequest>();
    auto url = URL::parse(cookie.url);
    if (!url) return;
    HttpClient::shared().removeCookies(url->host, cookie.name);
  });
  addFunction("isInDebugMode", [](WebRequest request) { request.fulfill(DeviceStorageManager::isOn("TzEnableDebugging")); });
  addFunction("isOfflineDataDisabled",
              [](WebRequest request) { request.fulfill(DeviceStorageManager::isOn("TzLoadResourcesFromServer")); });
  addFunction("webViewDidInit", [](WebRequest) {
    NotificationCenter::defaultCenter().post(notifications::kWebViewDidCompleteInitialization);
    logInfo(kSource, "webViewDidInit(_:)", "webview did init");
  });
  addFunction("hideSplashscreen", [](WebRequest) {});
  addFunction("closeApplication", [](WebRequest) {
    logInfo(kSource, "closeApplication(_:)", "Closing Application programatically...");
    CloseManager::shared().reallyClose = true;
    if (auto application = PlatformServices::application()) application->terminate();
  });
  addFunction("addCloseRequestHandler", [](WebRequest request) {
    static std::mt19937 random{std::random_device{}()};
    auto id = static_cast<int64_t>(static_cast<uint32_t>(random()));
    // The stored copy keeps the page's ids alive until the handler is removed.
    CloseManager::shared().closeHandlers[id] = [request] { request.handleAdditional(); };
    request.fulfill(id);
  });
  addFunction("removeCloseRequestHandler", [](WebRequest request) {
    auto text = request.decodeParameters<std::string>();
    int64_t id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return;
    auto& handlers = CloseManager::shared().closeHandlers;
    if (handlers.erase(id) == 0) throw GeneralErrorException(GeneralError::inputMissing);
    request.fulfill();
  });
  addFunction("enforceOrientation", [](WebRequest request) {
    try {
      request.decodeParameters<int64_t>();
    } catch (const std::exception&) {
      // other platforms' call: nothing to do, nothing to report
    }
  });
  addFunction("openAppSettings", [](WebRequest) {});
  addFunction("showModal", [](WebRequest request) {
    auto text = request.decodeParameters<std::string>();
    if (auto shell = PlatformServices::shell()) shell->showProgress(text);
  });
  addFunction("hideModal", [](WebRequest) {
    if (auto shell = PlatformServices::shell()) shell->hideProgress();
  });
  addFunction("getAnalyticsEnabled", [](WebRequest request) { request.fulfill(false); });
  addFunction("setAnalyticsEnabled", [](WebRequest request) { request.decodeParameters<bool>(); });
  addFunction("isFirebaseAvailable", [](WebRequest request) { request.fulfill(false); });
  addFunction("openUserConsent", [](WebRequest request) { request.fulfill(); });
}

}  // namespace atelier
