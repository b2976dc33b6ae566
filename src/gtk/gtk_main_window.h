#pragma once

#include "gtk/gtk_menu_bar.h"
#include "platform/main_window.h"

#include <gtk/gtk.h>

#include <functional>
#include <memory>

namespace atelier::gtk {

// The main window: a header bar (coloured by the branding), the menu bar, and
// an overlay holding the web view and the dimming layer used while a modal
// web window is in front.
class GtkMainWindow : public platform::MainWindow {
 public:
  GtkMainWindow();
  ~GtkMainWindow() override;

  void setDelegate(platform::MainWindowDelegate* delegate) override;
  void setContent(const std::shared_ptr<platform::WebView>& webView) override;
  void setTitle(const std::string& title) override;
  void setTitleBarColor(const Color& color) override;
  void setSimulateDeactivation(bool simulate) override;
  bool simulateDeactivation() const override { return simulateDeactivation_; }
  void setMinimizeEnabled(bool enabled) override;
  bool isKeyWindow() const override;

  // Window-level menu actions: about, quit, editing commands, minimize.
  bool respondsTo(platform::MenuAction action) const override;
  void perform(platform::MenuAction action, platform::MenuItem& sender) override;
  // Shows the menu as the window's menu bar, replacing any earlier one.
  void setMainMenu(std::shared_ptr<platform::Menu> menu);

  GtkWindow* window() const { return GTK_WINDOW(window_); }
  GtkOverlay* overlay() const { return GTK_OVERLAY(overlay_); }
  // The quit shortcut (Ctrl+Q) goes here.
  void onQuitRequest(std::function<void()> handler) { quitRequest_ = std::move(handler); }

 private:
  static gboolean deleteEvent(GtkWidget* widget, GdkEvent* event, GtkMainWindow* self);
  static gboolean windowStateEvent(GtkWidget* widget, GdkEventWindowState* event, GtkMainWindow* self);

  GtkWidget* window_ = nullptr;
  GtkWidget* headerBar_ = nullptr;
  GtkWidget* layout_ = nullptr;  // menu bar above the overlay
  GtkWidget* overlay_ = nullptr;
  GtkAccelGroup* menuAccelerators_ = nullptr;
  std::unique_ptr<GtkMenuBar> menuBar_;
  GtkWidget* dimmer_ = nullptr;  // DeactivatableView's inactive look; swallows clicks
  GtkCssProvider* titleBarStyle_ = nullptr;
  std::shared_ptr<platform::WebView> content_;
  platform::MainWindowDelegate* delegate_ = nullptr;
  bool simulateDeactivation_ = false;
  std::function<void()> quitRequest_;
};

}  // namespace atelier::gtk
