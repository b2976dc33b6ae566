#pragma once

namespace atelier {

// What the server needs from the web view layer when its origin may change.
class WebsiteDataCleaner {
 public:
  virtual ~WebsiteDataCleaner() = default;
  virtual void cleanWebviewCache() = 0;
  virtual void removeAllWebsiteData() = 0;
};

}  // namespace atelier
