#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace atelier::platform {

// What a script evaluation gave back: a value (nothing for undefined) or an error.
struct ScriptResult {
  std::optional<nlohmann::json> value;
  std::optional<std::string> error;
};

struct OpenPanelOptions {
  bool allowsDirectories = false;
  bool allowsMultipleSelection = false;
  std::vector<std::string> fileTypes;  // extensions without the dot
  std::string title;
};

// A response about to be shown in the main frame.
struct NavigationResponse {
  std::string url;
  std::optional<int> httpStatusCode;  // absent for responses that are not HTTP
  std::string description;            // for logs
};

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;
  std::string path = "/";
  std::optional<int64_t> expires;  // seconds since 1970; absent: a session cookie
  bool secure = false;
  bool httpOnly = false;
};

// The web view's calls into the application (navigation and UI delegate).
class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;
  virtual void didStartNavigation() {}
  virtual void didFailProvisionalNavigation(const std::string& /*error*/) {}
  virtual void didCommitNavigation() {}
  virtual void didFinishNavigation() {}
  virtual void didFailNavigation(const std::string& /*error*/) {}
  // False cancels the navigation (the response is not shown).
  virtual bool decidePolicyForNavigationResponse(const NavigationResponse& /*response*/) { return true; }
  // Script panels: modal; the page waits until they return.
  virtual void runAlertPanel(const std::string& message) = 0;
  virtual bool runConfirmPanel(const std::string& message) = 0;
  // A file input: the chosen paths, or nothing when cancelled.
  virtual std::optional<std::vector<std::string>> runOpenPanel(const OpenPanelOptions& options) = 0;
};

struct WebViewConfiguration {
  // Injected at document start, main frame only, in this order.
  std::vector<std::string> userScripts;
  // Handler name → receiver of each posted message, as JSON.
  std::vector<std::pair<std::string, std::function<void(const nlohmann::json&)>>> messageHandlers;
};

// One web view. Used on the main thread only.
class WebView {
 public:
  virtual ~WebView() = default;
  virtual void setDelegate(WebViewDelegate* delegate) = 0;
  virtual void setCustomUserAgent(const std::string& userAgent) = 0;
  // Loads the URL with the request header User-Agent set.
  virtual void load(const std::string& url, const std::string& userAgent, double timeoutSeconds) = 0;
  virtual void evaluateJavaScript(const std::string& script, std::function<void(ScriptResult)> completion) = 0;
};

// The shared web context: one content process pool and website data store
// for the main web view and every later one (cookies, local storage).
class WebContext {
 public:
  virtual ~WebContext() = default;
  virtual std::shared_ptr<WebView> createWebView(WebViewConfiguration configuration) = 0;
  // Disk, memory and offline-application caches.
  virtual void removeCaches(std::function<void()> completion) = 0;
  // Every kind of website data.
  virtual void removeAllWebsiteData(std::function<void()> completion) = 0;
  // The cookies of the shared store; completions come on the main thread.
  virtual void allCookies(std::function<void(std::vector<Cookie>)> completion) = 0;
  virtual void addCookie(const Cookie& cookie, std::function<void()> completion) = 0;
};

}  // namespace atelier::platform
