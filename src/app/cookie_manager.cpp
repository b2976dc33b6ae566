#include "app/cookie_manager.h"

#include "core/unique_instance.h"

namespace atelier {

CookieManager::CookieManager(std::shared_ptr<platform::WebContext> context) : context_(std::move(context)) {
  UniqueInstance<CookieManager>::claim(this, "The shared CookieManager instance must be a singleton");
}

CookieManager::~CookieManager() { UniqueInstance<CookieManager>::release(this); }

CookieManager* CookieManager::shared() { return UniqueInstance<CookieManager>::get(); }

}  // namespace atelier
