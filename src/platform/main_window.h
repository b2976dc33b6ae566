#pragma once

#include "core/color.h"
#include "platform/menu.h"
#include "platform/modal_window.h"
#include "platform/web_view.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace atelier::platform {

// Events of the main window, answered by the application delegate.
class MainWindowDelegate {
 public:
  virtual ~MainWindowDelegate() = default;
  // False keeps the window open.
  virtual bool windowShouldClose() = 0;
  virtual void windowWillEnterFullScreen() = 0;
  virtual void windowWillExitFullScreen() = 0;
};

// The application's only document window; its content is the web view. It
// starts the responder chain of menu actions.
class MainWindow : public MenuResponder {
 public:
  virtual ~MainWindow() = default;
  virtual void setDelegate(MainWindowDelegate* delegate) = 0;
  // Puts the web view in the content area, resizing with it.
  virtual void setContent(const std::shared_ptr<WebView>& webView) = 0;
  virtual void setTitle(const std::string& title) = 0;
  virtual void setTitleBarColor(const Color& color) = 0;
  // While set, the window cannot become the key window, its content takes
  // no clicks and looks dimmed (a modal web window is in front).
  virtual void setSimulateDeactivation(bool simulate) = 0;
  virtual bool simulateDeactivation() const = 0;
  virtual void setMinimizeEnabled(bool enabled) = 0;
  virtual bool isKeyWindow() const = 0;
};

// The application itself.
class Application {
 public:
  virtual ~Application() = default;
  virtual void terminate() = 0;
  virtual void openURL(const std::string& url) = 0;
  virtual void setMainMenu(std::shared_ptr<Menu> menu) = 0;
  virtual std::shared_ptr<ModalWindow> makeModalWindow() = 0;
  // The document windows (the main window), for dimming behind a modal one.
  virtual std::vector<std::shared_ptr<MainWindow>> windows() = 0;
};

}  // namespace atelier::platform
