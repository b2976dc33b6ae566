#include "gtk/gtk_web_view.h"

#include "core/logging.h"
#include "gtk/boxed_callback.h"

namespace atelier::gtk {
namespace {

std::optional<nlohmann::json> toJSON(JSCValue* value) {
  if (!value || jsc_value_is_undefined(value)) return std::nullopt;
  gchar* text = jsc_value_to_json(value, 0);
  if (!text) return std::nullopt;
  auto parsed = nlohmann::json::parse(text, nullptr, false);
  g_free(text);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

}  // namespace

GtkWebView::GtkWebView(WebKitWebContext* context, platform::WebViewConfiguration configuration) {
  contentManager_ = webkit_user_content_manager_new();
  for (const auto& source : configuration.userScripts) {
    WebKitUserScript* script =
        webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(contentManager_, script);
    webkit_user_script_unref(script);
  }
  for (auto& [name, receiver] : configuration.messageHandlers) {
    handlers_.push_back(std::make_unique<std::function<void(const nlohmann::json&)>>(std::move(receiver)));
    auto signal = "script-message-received::" + name;
    g_signal_connect(contentManager_, signal.c_str(), G_CALLBACK(scriptMessage), handlers_.back().get());
    webkit_user_content_manager_register_script_message_handler(contentManager_, name.c_str());
  }
  view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                      contentManager_, nullptr));
  g_object_ref_sink(view_);
  g_signal_connect(view_, "load-changed", G_CALLBACK(loadChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(loadFailed), this);
  g_signal_connect(view_, "script-dialog", G_CALLBACK(scriptDialog), this);
  g_signal_connect(view_, "run-file-chooser", G_CALLBACK(runFileChooser), this);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(decidePolicy), this);
}

GtkWebView::~GtkWebView() {
  g_signal_handlers_disconnect_by_data(view_, this);
  for (auto& handler : handlers_) g_signal_handlers_disconnect_by_data(contentManager_, handler.get());
  g_object_unref(view_);
  g_object_unref(contentManager_);
}

void GtkWebView::setDelegate(platform::WebViewDelegate* delegate) { delegate_ = delegate; }

void GtkWebView::setCustomUserAgent(const std::string& userAgent) {
  webkit_settings_set_user_agent(webkit_web_view_get_settings(view_), userAgent.c_str());
}

void GtkWebView::load(const std::string& url, const std::string& userAgent, double /*timeoutSeconds*/) {
  // WebKitGTK has no per-request time-out; its network layer applies its own.
  WebKitURIRequest* request = webkit_uri_request_new(url.c_str());
  if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request)) {
    soup_message_headers_replace(headers, "User-Agent", userAgent.c_str());
  }
  webkit_web_view_load_request(view_, request);
  g_object_unref(request);
}

void GtkWebView::evaluateJavaScript(const std::string& script, std::function<void(platform::ScriptResult)> completion) {
  webkit_web_view_evaluate_javascript(
      view_, script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* asyncResult, gpointer data) {
        auto callback = unbox<platform::ScriptResult>(data);
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), asyncResult, &error);
        platform::ScriptResult result;
        if (error) {
          result.error = error->message;
          g_error_free(error);
        } else {
          result.value = toJSON(value);
        }
        if (value) g_object_unref(value);
        if (*callback) (*callback)(std::move(result));
      },
      box(std::move(completion)));
}

void GtkWebView::loadChanged(WebKitWebView*, WebKitLoadEvent event, GtkWebView* self) {
  if (!self->delegate_) return;
  switch (event) {
    case WEBKIT_LOAD_STARTED: self->committed_ = false; self->delegate_->didStartNavigation(); break;
    case WEBKIT_LOAD_COMMITTED: self->committed_ = true; self->delegate_->didCommitNavigation(); break;
    case WEBKIT_LOAD_FINISHED:
      self->delegate_->didFinishNavigation();
      if (self->loadFinished_) self->loadFinished_();
      break;
    default: break;
  }
}

gboolean GtkWebView::loadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, GtkWebView* self) {
  if (!self->delegate_) return FALSE;
  // A response the delegate declined, or a load we stopped, is not a failure.
  if (error && ((error->domain == WEBKIT_POLICY_ERROR &&
                 error->code == WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
                (error->domain == WEBKIT_NETWORK_ERROR && error->code == WEBKIT_NETWORK_ERROR_CANCELLED))) {
    return FALSE;
  }
  std::string message = error ? error->message : "";
  if (self->committed_) {
    self->delegate_->didFailNavigation(message);
  } else {
    self->delegate_->didFailProvisionalNavigation(message);
  }
  return FALSE;
}

gboolean GtkWebView::scriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, GtkWebView* self) {
  if (!self->delegate_) return FALSE;
  std::string message = webkit_script_dialog_get_message(dialog);
  switch (webkit_script_dialog_get_dialog_type(dialog)) {
    case WEBKIT_SCRIPT_DIALOG_ALERT: self->delegate_->runAlertPanel(message); return TRUE;
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, self->delegate_->runConfirmPanel(message));
      return TRUE;
    default: return FALSE;  // prompts and before-unload keep WebKit's own dialogs
  }
}

gboolean GtkWebView::decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                  GtkWebView* self) {
  if (!self->delegate_ || type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  auto* responseDecision = WEBKIT_RESPONSE_POLICY_DECISION(decision);
  if (!webkit_response_policy_decision_is_main_frame_main_resource(responseDecision)) return FALSE;
  WebKitURIResponse* response = webkit_response_policy_decision_get_response(responseDecision);
  platform::NavigationResponse navigation;
  const gchar* uri = webkit_uri_response_get_uri(response);
  navigation.url = uri ? uri : "";
  std::string scheme = navigation.url.substr(0, navigation.url.find(':'));
  if (scheme == "http" || scheme == "https") {
    navigation.httpStatusCode = static_cast<int>(webkit_uri_response_get_status_code(response));
  }
  navigation.description = "{ URL: " + navigation.url + " } { Status Code: " +
                           std::to_string(navigation.httpStatusCode.value_or(0)) + " }";
  if (self->delegate_->decidePolicyForNavigationResponse(navigation)) return FALSE;
  webkit_policy_decision_ignore(decision);
  return TRUE;
}

gboolean GtkWebView::runFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, GtkWebView* self) {
  if (!self->delegate_) return FALSE;
  platform::OpenPanelOptions options;
  options.allowsMultipleSelection = webkit_file_chooser_request_get_select_multiple(request);
  auto chosen = self->delegate_->runOpenPanel(options);
  if (!chosen || chosen->empty()) {
    webkit_file_chooser_request_cancel(request);
    return TRUE;
  }
  std::vector<const gchar*> files;
  for (const auto& path : *chosen) files.push_back(path.c_str());
  files.push_back(nullptr);
  webkit_file_chooser_request_select_files(request, files.data());
  return TRUE;
}

void GtkWebView::scriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer handler) {
  auto body = toJSON(webkit_javascript_result_get_js_value(result));
  (*static_cast<std::function<void(const nlohmann::json&)>*>(handler))(body.value_or(nullptr));
}

}  // namespace atelier::gtk
