#pragma once

#include "platform/main_window.h"
#include "platform/shell_services.h"

#include <memory>

namespace atelier {

// The desktop services the web objects reach, set once by main() (and by tests).
class PlatformServices {
 public:
  static void set(std::shared_ptr<platform::Application> application, std::shared_ptr<platform::ShellServices> shell);
  static std::shared_ptr<platform::Application> application();
  static std::shared_ptr<platform::ShellServices> shell();
};

}  // namespace atelier
