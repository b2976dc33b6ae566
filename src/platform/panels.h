#pragma once

#include "platform/web_view.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace atelier::platform {

struct AlertSpec {
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;  // the first is the default
};

// Modal panels of the desktop. Fakes stand in for them in tests.
class Panels {
 public:
  virtual ~Panels() = default;
  // Runs modally; the index of the button used (-1 when dismissed otherwise).
  virtual int runAlert(const AlertSpec& alert) = 0;
  // Attached to the key window; nothing is shown when there is none.
  virtual void showAlertSheet(const AlertSpec& alert, std::function<void(int)> completion) = 0;
  virtual std::optional<std::vector<std::string>> runOpenPanel(const OpenPanelOptions& options) = 0;
};

}  // namespace atelier::platform
