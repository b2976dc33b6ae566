#include "app/webview_web_object.h"

#include "app/modal_webview_controller.h"
#include "core/logging.h"
#include "http/url.h"

namespace atelier {
namespace {
constexpr const char* kSource = "Webview Communication/Web Objects/WebviewWebObject";
}

void from_json(const nlohmann::json& json, WebViewRequest& request) {
  json.at("url").get_to(request.url);
  json.at("regex").get_to(request.regex);
  json.at("height").get_to(request.height);
  json.at("width").get_to(request.width);
}

WebviewWebObject::WebviewWebObject() : WebObject("webview") {
  addFunction("open", [](WebRequest request) {
    auto parameters = request.decodeParameters<WebViewRequest>();
    if (!URL::parse(parameters.url)) {
      logError(kSource, "open(_:)",
               "Error in open WebViewRequest: " + std::string(describe(GeneralError::inputInvalid)));
      request.reject(GeneralError::inputInvalid);
      return;
    }
    auto controller = ModalWebViewController::create(
        parameters.url, parameters.regex,
        {static_cast<int>(parameters.width), static_cast<int>(parameters.height)},
        [request](std::optional<std::string> url, std::optional<GeneralError> error) {
          if (error) {
            logError(kSource, "open(_:)", "Error in open WebViewRequest: " + std::string(describe(*error)));
            if (*error == GeneralError::noError) return request.fulfill();
            return request.reject(*error);
          }
          logDebug(kSource, "open(_:)", "Success response: " + url.value_or(""));
          request.fulfill(url.value_or(""));
        });
    ModalWebViewController::setCurrent(controller);
    if (controller) controller->show();
  });
  addFunction("close", [](WebRequest) { ModalWebViewController::setCurrent(nullptr); });
}

}  // namespace atelier
