#include "bridge/web_request.h"

#include "core/logging.h"

namespace atelier {

void WebRequest::send(const std::optional<std::string>& callbackId, const char* operation,
                      std::optional<PayloadResult> payload) const {
  constexpr const char* kSource = "Webview Communication/Web Objects/WebObject";
  if (!callbackId || !callbackHandler) {
    logError(kSource, operation,
             std::string("Callback Error: ") + std::string(describe(WebCommError::noCallbackRegistered)));
    return;
  }
  if (payload && !payload->has_value()) {
    logError(kSource, operation, "Callback Error: " + payload->error());
    return;
  }
  callbackHandler(*callbackId, payload ? std::optional<std::string>(std::move(**payload)) : std::nullopt);
}

}  // namespace atelier
