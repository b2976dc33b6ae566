#pragma once

#include "bridge/js_script_handler.h"
#include "core/notification_center.h"
#include "platform/printer.h"

#include <memory>
#include <optional>
#include <string>

namespace atelier {

// The page's window.print() posts "TzPrintNotification"; the print manager
// takes the page's current document and prints it natively.
class PrintManager {
 public:
  static PrintManager& shared();
  // Replaces window.print at document start.
  const std::string& setupScript() const { return setupScript_; }

  // The page to print from (the web view manager) and the desktop's printer.
  void setWebViewController(std::weak_ptr<JSScriptHandler> controller) { webViewController_ = std::move(controller); }
  void setPrinter(std::shared_ptr<platform::Printer> printer) { printer_ = std::move(printer); }

  void printOrder();
  void showPrintOfferMenu(const std::optional<nlohmann::json>& documentHTML);

 private:
  PrintManager();
  std::string setupScript_;
  std::weak_ptr<JSScriptHandler> webViewController_;
  std::shared_ptr<platform::Printer> printer_;
  NotificationCenter::Token observer_;
};

}  // namespace atelier
