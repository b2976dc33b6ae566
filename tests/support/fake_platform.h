#pragma once

#include "platform/main_window.h"
#include "platform/panels.h"
#include "platform/web_view.h"

#include <memory>
#include <string>
#include <vector>

namespace atelier::test {

// Records what the application asks of the desktop; answers as told.
class FakeWebView : public platform::WebView {
 public:
  explicit FakeWebView(platform::WebViewConfiguration given) : configuration(std::move(given)) {}
  void setDelegate(platform::WebViewDelegate* newDelegate) override { delegate = newDelegate; }
  void setCustomUserAgent(const std::string& agent) override { userAgent = agent; }
  void load(const std::string& url, const std::string& agent, double timeout) override {
    loadedURL = url;
    requestUserAgent = agent;
    loadTimeout = timeout;
  }
  void evaluateJavaScript(const std::string& script, std::function<void(platform::ScriptResult)> completion) override {
    evaluated.push_back(script);
    if (completion && !hangs) completion(nextResult);
  }
  // Delivers a message as the page would post it.
  void post(const nlohmann::json& body) {
    for (auto& [name, receiver] : configuration.messageHandlers) {
      if (name == "allMessages") receiver(body);
    }
  }

  platform::WebViewConfiguration configuration;
  platform::WebViewDelegate* delegate = nullptr;
  std::string userAgent, loadedURL, requestUserAgent;
  double loadTimeout = 0;
  std::vector<std::string> evaluated;
  platform::ScriptResult nextResult;
  bool hangs = false;  // a page whose scripts never answer
};

class FakeWebContext : public platform::WebContext {
 public:
  std::shared_ptr<platform::WebView> createWebView(platform::WebViewConfiguration configuration) override {
    views.push_back(std::make_shared<FakeWebView>(std::move(configuration)));
    return views.back();
  }
  void removeCaches(std::function<void()> completion) override {
    ++cacheRemovals;
    completion();
  }
  void removeAllWebsiteData(std::function<void()> completion) override {
    ++fullRemovals;
    completion();
  }
  void allCookies(std::function<void(std::vector<platform::Cookie>)> completion) override { completion(cookies); }
  void addCookie(const platform::Cookie& cookie, std::function<void()> completion) override {
    cookies.push_back(cookie);
    completion();
  }
  std::vector<std::shared_ptr<FakeWebView>> views;
  std::vector<platform::Cookie> cookies;
  int cacheRemovals = 0;
  int fullRemovals = 0;
};

class FakePanels : public platform::Panels {
 public:
  int runAlert(const platform::AlertSpec& alert) override {
    alerts.push_back(alert);
    return nextButton;
  }
  void showAlertSheet(const platform::AlertSpec& alert, std::function<void(int)> completion) override {
    sheets.push_back(alert);
    sheetCompletion = std::move(completion);
  }
  std::optional<std::vector<std::string>> runOpenPanel(const platform::OpenPanelOptions& options) override {
    openPanels.push_back(options);
    return chosenFiles;
  }
  std::vector<platform::AlertSpec> alerts, sheets;
  std::vector<platform::OpenPanelOptions> openPanels;
  std::function<void(int)> sheetCompletion;
  int nextButton = 0;
  std::optional<std::vector<std::string>> chosenFiles;
};

class FakeWindow : public platform::MainWindow {
 public:
  void setDelegate(platform::MainWindowDelegate* newDelegate) override { delegate = newDelegate; }
  void setContent(const std::shared_ptr<platform::WebView>& view) override { content = view; }
  void setTitle(const std::string& newTitle) override { title = newTitle; }
  void setTitleBarColor(const Color& color) override { titleBarColor = color; }
  void setSimulateDeactivation(bool simulate) override { simulating = simulate; }
  bool simulateDeactivation() const override { return simulating; }
  void setMinimizeEnabled(bool enabled) override { minimizeEnabled = enabled; }
  bool isKeyWindow() const override { return true; }
  bool respondsTo(platform::MenuAction action) const override { return action == platform::MenuAction::terminate; }
  void perform(platform::MenuAction action, platform::MenuItem&) override { performed.push_back(action); }

  platform::MainWindowDelegate* delegate = nullptr;
  std::shared_ptr<platform::WebView> content;
  std::string title;
  std::optional<Color> titleBarColor;
  bool simulating = false;
  bool minimizeEnabled = true;
  std::vector<platform::MenuAction> performed;
};

class FakeModalWindow : public platform::ModalWindow {
 public:
  void setDelegate(platform::ModalWindowDelegate* newDelegate) override { delegate = newDelegate; }
  void setContentSize(int newWidth, int newHeight) override {
    width = newWidth;
    height = newHeight;
  }
  void setContent(const std::shared_ptr<platform::WebView>& view) override { content = view; }
  void show() override { ++shown; }
  void close() override {
    if (closed) return;
    closed = true;
    if (delegate) delegate->windowWillClose();
  }
  platform::ModalWindowDelegate* delegate = nullptr;
  std::shared_ptr<platform::WebView> content;
  int width = 0, height = 0, shown = 0;
  bool closed = false;
};

class FakeApplication : public platform::Application {
 public:
  void terminate() override { ++terminations; }
  void openURL(const std::string& url) override { openedURLs.push_back(url); }
  void setMainMenu(std::shared_ptr<platform::Menu> menu) override { mainMenus.push_back(std::move(menu)); }
  std::shared_ptr<platform::ModalWindow> makeModalWindow() override {
    modalWindows.push_back(std::make_shared<FakeModalWindow>());
    return modalWindows.back();
  }
  std::vector<std::shared_ptr<platform::MainWindow>> windows() override {
    if (mainWindow) return {mainWindow};
    return {};
  }
  int terminations = 0;
  std::vector<std::string> openedURLs;
  std::vector<std::shared_ptr<platform::Menu>> mainMenus;
  std::vector<std::shared_ptr<FakeModalWindow>> modalWindows;
  std::shared_ptr<platform::MainWindow> mainWindow;
};

}  // namespace atelier::test

#include "platform/shell_services.h"

namespace atelier::test {

class FakeShell : public platform::ShellServices {
 public:
  void showHeadsUp(const std::string& message, double seconds) override { headsUps.emplace_back(message, seconds); }
  void deliverNotification(const std::string& message) override { banners.push_back(message); }
  void setBadge(const std::string& label) override { badges.push_back(label); }
  void showProgress(const std::string& text) override { progress.push_back(text); }
  void hideProgress() override { progress.push_back("(hidden)"); }
  std::vector<std::pair<std::string, double>> headsUps;
  std::vector<std::string> banners, badges, progress;
};

}  // namespace atelier::test
