#include "app/web_comm_platform_handler.h"

#include "core/logging.h"
#include "core/main_queue.h"

namespace atelier {

WebCommPlatformHandler::WebCommPlatformHandler(std::weak_ptr<platform::WebContext> context)
    : context_(std::move(context)) {}

// The server may ask from any thread; the web context lives on the main one.
void WebCommPlatformHandler::cleanWebviewCache() {
  MainQueue::post([weak = context_] {
    if (auto context = weak.lock()) {
      context->removeCaches([] { logInfo("Webview Communication/WebCommPlatformHandler", "cleanWebviewCache()",
                                         "Webview cache cleaned"); });
    }
  });
}

void WebCommPlatformHandler::removeAllWebsiteData() {
  MainQueue::post([weak = context_] {
    if (auto context = weak.lock()) {
      context->removeAllWebsiteData(
          [] { logInfo("Webview Communication/WebviewManager", "cleanUp()", "Webview cleaned"); });
    }
  });
}

}  // namespace atelier
