#include "app/cookie_manager.h"

#include "core/fatal.h"

#include <atomic>

namespace atelier {
namespace {
std::atomic<CookieManager*> sharedInstance{nullptr};
}

CookieManager::CookieManager(std::shared_ptr<platform::WebContext> context) : context_(std::move(context)) {
  CookieManager* expected = nullptr;
  if (!sharedInstance.compare_exchange_strong(expected, this)) {
    fatalError("The shared CookieManager instance must be a singleton");
  }
}

CookieManager::~CookieManager() {
  CookieManager* self = this;
  sharedInstance.compare_exchange_strong(self, nullptr);
}

CookieManager* CookieManager::shared() { return sharedInstance.load(); }

}  // namespace atelier
