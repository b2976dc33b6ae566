#include "gtk/gtk_web_context.h"

#include "gtk/gtk_web_view.h"

namespace atelier::gtk {

GtkWebContext::GtkWebContext(const std::filesystem::path& dataDirectory, const std::filesystem::path& cacheDirectory) {
  dataManager_ = webkit_website_data_manager_new("base-data-directory", dataDirectory.c_str(), "base-cache-directory",
                                                 cacheDirectory.c_str(), nullptr);
  context_ = webkit_web_context_new_with_website_data_manager(dataManager_);
  auto cookies = (dataDirectory / "cookies.sqlite").string();
  webkit_cookie_manager_set_persistent_storage(webkit_web_context_get_cookie_manager(context_), cookies.c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  webkit_web_context_set_cache_model(context_, WEBKIT_CACHE_MODEL_WEB_BROWSER);
}

GtkWebContext::~GtkWebContext() {
  g_object_unref(context_);
  g_object_unref(dataManager_);
}

std::shared_ptr<platform::WebView> GtkWebContext::createWebView(platform::WebViewConfiguration configuration) {
  return std::make_shared<GtkWebView>(context_, std::move(configuration));
}

void GtkWebContext::clear(WebKitWebsiteDataTypes types, std::function<void()> completion) {
  auto* boxed = new std::function<void()>(std::move(completion));
  // A time span of 0 means "since the beginning": everything.
  webkit_website_data_manager_clear(
      dataManager_, types, 0, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::function<void()>> callback(static_cast<std::function<void()>*>(data));
        webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source), result, nullptr);
        if (*callback) (*callback)();
      },
      boxed);
}

void GtkWebContext::removeCaches(std::function<void()> completion) {
  clear(static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_DISK_CACHE | WEBKIT_WEBSITE_DATA_MEMORY_CACHE |
                                            WEBKIT_WEBSITE_DATA_OFFLINE_APPLICATION_CACHE),
        std::move(completion));
}

void GtkWebContext::removeAllWebsiteData(std::function<void()> completion) {
  clear(WEBKIT_WEBSITE_DATA_ALL, std::move(completion));
}

}  // namespace atelier::gtk
