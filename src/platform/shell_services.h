#pragma once

#include <string>

namespace atelier::platform {

// Short messages and small windows of the desktop shell.
class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // The heads-up message over the main window, shown for at least `seconds`.
  virtual void showHeadsUp(const std::string& message, double seconds) = 0;
  // A desktop notification with the default sound, where the desktop has them.
  virtual void deliverNotification(const std::string& message) = 0;
  // The label on the application's icon in docks and task bars ("" clears it).
  virtual void setBadge(const std::string& label) = 0;
  // The small modal progress window with a text and the application icon.
  virtual void showProgress(const std::string& text) = 0;
  virtual void hideProgress() = 0;
};

}  // namespace atelier::platform
