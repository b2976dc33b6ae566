#pragma once

#include "platform/web_view.h"

#include <memory>

namespace atelier {

// Holds the one web context (content processes and website data store) that
// the main web view and every modal web view share, so they share cookies
// and local storage. Exactly one exists.
class CookieManager {
 public:
  explicit CookieManager(std::shared_ptr<platform::WebContext> context);
  ~CookieManager();
  CookieManager(const CookieManager&) = delete;
  CookieManager& operator=(const CookieManager&) = delete;

  static CookieManager* shared();
  const std::shared_ptr<platform::WebContext>& webContext() const { return context_; }

 private:
  std::shared_ptr<platform::WebContext> context_;
};

}  // namespace atelier
