#pragma once

#include "platform/shell_services.h"

#include <gtk/gtk.h>

#include <cstdint>

namespace atelier::gtk {

// Heads-up messages as an overlay of the main window (works on Wayland too),
// desktop notifications through GNotification, the launcher badge through
// the Unity LauncherEntry signal that docks and task bars read, and the
// small modal progress window.
class GtkShellServices : public platform::ShellServices {
 public:
  GtkShellServices(GtkWindow* mainWindow, GtkOverlay* overlay);
  ~GtkShellServices() override;

  void showHeadsUp(const std::string& message, double seconds) override;
  void deliverNotification(const std::string& message) override;
  void setBadge(const std::string& label) override;
  void showProgress(const std::string& text) override;
  void hideProgress() override;

 private:
  GtkWindow* mainWindow_;
  GtkWidget* headsUp_ = nullptr;
  GtkWidget* headsUpLabel_ = nullptr;
  GtkWidget* progress_ = nullptr;
  GApplication* application_ = nullptr;  // for desktop notifications; absent without a session bus
};

}  // namespace atelier::gtk
