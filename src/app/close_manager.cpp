#include "app/close_manager.h"

#include "core/main_queue.h"

#include <vector>

namespace atelier {

CloseManager& CloseManager::shared() {
  static auto* instance = new CloseManager();
  return *instance;
}

void CloseManager::requestClose() {
  if (closeHandlers.empty()) {
    if (noHandlerAnswer) noHandlerAnswer();
    return;
  }
  // A handler may remove itself or others while we go.
  std::vector<std::function<void()>> handlers;
  for (const auto& [id, handler] : closeHandlers) handlers.push_back(handler);
  for (auto& handler : handlers) handler();
  if (!watchdog) return;
  auto round = ++round_;
  MainQueue::postAfter(answerSeconds, [round] {
    auto& closer = shared();
    if (closer.reallyClose || round != closer.round_ || !closer.watchdog) return;
    closer.watchdog();
  });
}

}  // namespace atelier
