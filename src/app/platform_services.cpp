#include "app/platform_services.h"

#include <mutex>

namespace atelier {
namespace {
std::mutex mutex;
std::shared_ptr<platform::Application> currentApplication;
std::shared_ptr<platform::ShellServices> currentShell;
}  // namespace

void PlatformServices::set(std::shared_ptr<platform::Application> application,
                           std::shared_ptr<platform::ShellServices> shell) {
  std::lock_guard lock(mutex);
  currentApplication = std::move(application);
  currentShell = std::move(shell);
}

std::shared_ptr<platform::Application> PlatformServices::application() {
  std::lock_guard lock(mutex);
  return currentApplication;
}

std::shared_ptr<platform::ShellServices> PlatformServices::shell() {
  std::lock_guard lock(mutex);
  return currentShell;
}

}  // namespace atelier
