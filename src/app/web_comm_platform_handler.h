#pragma once

#include "platform/web_view.h"
#include "serving/website_data_cleaner.h"

#include <memory>

namespace atelier {

// Clears the web view's data when the loopback server starts (caches) or
// had to change its port (everything: the page's origin changes).
class WebCommPlatformHandler : public WebsiteDataCleaner {
 public:
  explicit WebCommPlatformHandler(std::weak_ptr<platform::WebContext> context);
  void cleanWebviewCache() override;
  void removeAllWebsiteData() override;

 private:
  std::weak_ptr<platform::WebContext> context_;
};

}  // namespace atelier
