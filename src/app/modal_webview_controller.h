#pragma once

#include "bridge/errors.h"
#include "platform/modal_window.h"
#include "platform/web_view.h"

#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>

namespace atelier {

// A page of the remote service (a sign-in, an account or checkout page) in a
// window of its own in front of the editor, sharing the editor's cookies and
// website data. It ends when a navigation response's address matches the
// pattern. Main thread only.
class ModalWebViewController : public platform::ModalWindowDelegate,
                               public platform::WebViewDelegate,
                               public std::enable_shared_from_this<ModalWebViewController> {
 public:
  // Called once: with the matched address, or with an error.
  using Completion = std::function<void(std::optional<std::string> url, std::optional<GeneralError> error)>;
  struct Size {
    int width = 0;
    int height = 0;
  };

  // Nothing (after calling the completion with inputInvalid) when the URL is
  // absent or the pattern does not compile.
  static std::shared_ptr<ModalWebViewController> create(std::optional<std::string> url,
                                                        std::optional<std::string> regex, Size size,
                                                        Completion completion);
  ~ModalWebViewController() override;

  // The one the page opened last; replacing it closes the previous one.
  static std::shared_ptr<ModalWebViewController> current();
  static void setCurrent(std::shared_ptr<ModalWebViewController> controller);

  // Shows the window and makes the other windows inactive.
  void show();
  void close();

  // The host whose cookies the service's pages get: "ovl" → "baseUrl" of
  // sync/webapp/tzr-preferences.json.
  static std::optional<std::string> serviceCookieDomain();

  const std::shared_ptr<platform::WebView>& webview();
  const std::optional<std::string>& matchedURL() const { return matchedURL_; }
  const std::optional<GeneralError>& error() const { return error_; }
  // How long another window may stay in front before this one returns.
  static inline double bringToFrontDelay = 3.0;

  // Window and navigation delegate.
  void windowWillClose() override;
  void otherWindowCameToFront(bool isWebInspector) override;
  bool decidePolicyForNavigationResponse(const platform::NavigationResponse& response) override;
  void didFailProvisionalNavigation(const std::string& error) override;
  void didFailNavigation(const std::string& error) override;
  // The service's pages get no script panels.
  void runAlertPanel(const std::string&) override {}
  bool runConfirmPanel(const std::string&) override { return false; }
  std::optional<std::vector<std::string>> runOpenPanel(const platform::OpenPanelOptions&) override { return std::nullopt; }

 private:
  ModalWebViewController(std::string url, std::optional<std::regex> regex, Completion completion);
  void windowDidLoad();
  void complete(std::optional<std::string> url, std::optional<GeneralError> error);
  void setOtherWindowsInactive(bool inactive);

  std::shared_ptr<platform::WebView> webview_;
  std::string url_;
  std::optional<std::regex> regularExpression_;
  Completion completion_;
  std::optional<std::string> matchedURL_;
  std::optional<GeneralError> error_;
  bool observingWindowUpdates_ = false;  // between show and close
  bool closed_ = false;
  std::shared_ptr<platform::ModalWindow> window_;
};

}  // namespace atelier
