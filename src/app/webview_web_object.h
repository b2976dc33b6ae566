#pragma once

#include "bridge/web_object.h"

#include <nlohmann/json.hpp>

#include <string>

namespace atelier {

struct WebViewRequest {
  std::string url;
  std::string regex;
  double height = 0;
  double width = 0;
};
void from_json(const nlohmann::json& json, WebViewRequest& request);

// "webview": the page opens and closes modal web views on the service's pages.
class WebviewWebObject : public WebObject {
 public:
  WebviewWebObject();
};

}  // namespace atelier
