#pragma once

#include "platform/web_view.h"

#include <webkit2/webkit2.h>

#include <filesystem>

namespace atelier::gtk {

// One WebKitWebContext with a persistent website data manager below the
// application's data and cache directories: every web view shares it.
class GtkWebContext : public platform::WebContext {
 public:
  GtkWebContext(const std::filesystem::path& dataDirectory, const std::filesystem::path& cacheDirectory);
  ~GtkWebContext() override;

  std::shared_ptr<platform::WebView> createWebView(platform::WebViewConfiguration configuration) override;
  void removeCaches(std::function<void()> completion) override;
  void removeAllWebsiteData(std::function<void()> completion) override;
  void allCookies(std::function<void(std::vector<platform::Cookie>)> completion) override;
  void addCookie(const platform::Cookie& cookie, std::function<void()> completion) override;
  WebKitWebContext* context() const { return context_; }

 private:
  void clear(WebKitWebsiteDataTypes types, std::function<void()> completion);

  WebKitWebsiteDataManager* dataManager_ = nullptr;
  WebKitWebContext* context_ = nullptr;
};

}  // namespace atelier::gtk
