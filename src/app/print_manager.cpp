#include "app/print_manager.h"

#include "app/notification_names.h"
#include "core/logging.h"
#include "http/proxy_address.h"

namespace atelier {
namespace {
constexpr const char* kSource = "Webview Communication/PrintManager";
}

PrintManager& PrintManager::shared() {
  static auto* instance = new PrintManager();
  return *instance;
}

PrintManager::PrintManager()
    : setupScript_(std::string("window.print = function() { _osx.notifications.postNotification('") +
                   notifications::kPrint + "'); }") {
  observer_ = NotificationCenter::defaultCenter().addObserver(notifications::kPrint,
                                                              [this](const Notification&) { printOrder(); });
}

void PrintManager::printOrder() {
  logDebug(kSource, "printOrder()", "test - printOffer (in controller)");
  auto controller = webViewController_.lock();
  if (!controller) return;
  controller->evaluateScript("document.documentElement.innerHTML",
                             [this](std::optional<nlohmann::json> result) { showPrintOfferMenu(result); });
}

void PrintManager::showPrintOfferMenu(const std::optional<nlohmann::json>& documentHTML) {
  if (!documentHTML || !documentHTML->is_string()) {
    logError(kSource, "showPrintOfferMenu(_:)",
             "Could not get document html: " + (documentHTML ? documentHTML->dump() : std::string("nil")));
    return;
  }
  if (!printer_) return;
  // Relative addresses of the document resolve against the start page.
  auto base = ProxyAddress::baseURL() + ProxyAddress::kWebappPrefix + "/index.html";
  printer_->printHTML(documentHTML->get<std::string>(), base, [](const std::string& error) {
    logError(kSource, "webView(_:didFailLoadWithError:for:)", "Did fail load with error: " + error);
  });
}

}  // namespace atelier
