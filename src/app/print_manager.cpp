#include "app/print_manager.h"

#include "app/notification_names.h"

namespace atelier {

PrintManager& PrintManager::shared() {
  static auto* instance = new PrintManager();
  return *instance;
}

PrintManager::PrintManager()
    : setupScript_(std::string("window.print = function() { _osx.notifications.postNotification('") +
                   notifications::kPrint + "'); }") {}

}  // namespace atelier
