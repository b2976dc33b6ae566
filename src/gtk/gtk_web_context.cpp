#include "gtk/gtk_web_context.h"

#include "gtk/boxed_callback.h"
#include "gtk/gtk_web_view.h"

namespace atelier::gtk {
namespace {

platform::Cookie fromSoup(SoupCookie* soup) {
  platform::Cookie cookie;
  cookie.name = soup_cookie_get_name(soup);
  cookie.value = soup_cookie_get_value(soup);
  cookie.domain = soup_cookie_get_domain(soup);
  cookie.path = soup_cookie_get_path(soup);
  if (GDateTime* expires = soup_cookie_get_expires(soup)) cookie.expires = g_date_time_to_unix(expires);
  cookie.secure = soup_cookie_get_secure(soup);
  cookie.httpOnly = soup_cookie_get_http_only(soup);
  return cookie;
}

}  // namespace

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
  // A time span of 0 means "since the beginning": everything.
  webkit_website_data_manager_clear(
      dataManager_, types, 0, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto callback = unbox<>(data);
        webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source), result, nullptr);
        if (*callback) (*callback)();
      },
      box(std::move(completion)));
}

void GtkWebContext::removeCaches(std::function<void()> completion) {
  clear(static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_DISK_CACHE | WEBKIT_WEBSITE_DATA_MEMORY_CACHE |
                                            WEBKIT_WEBSITE_DATA_OFFLINE_APPLICATION_CACHE),
        std::move(completion));
}

void GtkWebContext::removeAllWebsiteData(std::function<void()> completion) {
  clear(WEBKIT_WEBSITE_DATA_ALL, std::move(completion));
}

void GtkWebContext::allCookies(std::function<void(std::vector<platform::Cookie>)> completion) {
  webkit_cookie_manager_get_all_cookies(
      webkit_web_context_get_cookie_manager(context_), nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto callback = unbox<std::vector<platform::Cookie>>(data);
        GList* list = webkit_cookie_manager_get_all_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, nullptr);
        std::vector<platform::Cookie> cookies;
        for (GList* node = list; node; node = node->next) cookies.push_back(fromSoup(static_cast<SoupCookie*>(node->data)));
        g_list_free_full(list, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
        if (*callback) (*callback)(std::move(cookies));
      },
      box(std::move(completion)));
}

void GtkWebContext::addCookie(const platform::Cookie& cookie, std::function<void()> completion) {
  SoupCookie* soup = soup_cookie_new(cookie.name.c_str(), cookie.value.c_str(), cookie.domain.c_str(),
                                     cookie.path.c_str(), -1);
  if (cookie.expires) {
    GDateTime* expires = g_date_time_new_from_unix_utc(*cookie.expires);
    soup_cookie_set_expires(soup, expires);
    g_date_time_unref(expires);
  }
  soup_cookie_set_secure(soup, cookie.secure);
  soup_cookie_set_http_only(soup, cookie.httpOnly);
  webkit_cookie_manager_add_cookie(
      webkit_web_context_get_cookie_manager(context_), soup, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto callback = unbox<>(data);
        webkit_cookie_manager_add_cookie_finish(WEBKIT_COOKIE_MANAGER(source), result, nullptr);
        if (*callback) (*callback)();
      },
      box(std::move(completion)));
  soup_cookie_free(soup);
}

}  // namespace atelier::gtk
