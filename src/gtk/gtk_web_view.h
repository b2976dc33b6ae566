#pragma once

#include "platform/web_view.h"

#include <webkit2/webkit2.h>

#include <memory>

namespace atelier::gtk {

// platform::WebView on a WebKitWebView.
class GtkWebView : public platform::WebView {
 public:
  GtkWebView(WebKitWebContext* context, platform::WebViewConfiguration configuration);
  ~GtkWebView() override;

  void setDelegate(platform::WebViewDelegate* delegate) override;
  void setCustomUserAgent(const std::string& userAgent) override;
  void load(const std::string& url, const std::string& userAgent, double timeoutSeconds) override;
  void evaluateJavaScript(const std::string& script, std::function<void(platform::ScriptResult)> completion) override;

  GtkWidget* widget() const { return GTK_WIDGET(view_); }
  WebKitWebView* view() const { return view_; }
  // Called when the main frame finished loading (start-up timing, screenshots).
  void onLoadFinished(std::function<void()> callback) { loadFinished_ = std::move(callback); }

 private:
  static void loadChanged(WebKitWebView* view, WebKitLoadEvent event, GtkWebView* self);
  static gboolean loadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error, GtkWebView* self);
  static gboolean scriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, GtkWebView* self);
  static gboolean decidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                               GtkWebView* self);
  static gboolean runFileChooser(WebKitWebView* view, WebKitFileChooserRequest* request, GtkWebView* self);
  static void scriptMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result, gpointer handler);

  WebKitUserContentManager* contentManager_ = nullptr;
  WebKitWebView* view_ = nullptr;
  platform::WebViewDelegate* delegate_ = nullptr;
  bool committed_ = false;
  std::vector<std::unique_ptr<std::function<void(const nlohmann::json&)>>> handlers_;
  std::function<void()> loadFinished_;
};

}  // namespace atelier::gtk
