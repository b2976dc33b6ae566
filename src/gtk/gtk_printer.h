#pragma once

#include "platform/printer.h"

#include <webkit2/webkit2.h>

#include <filesystem>
#include <optional>

namespace atelier::gtk {

// Prints with WebKit's print operation and GTK's print dialog. With a PDF
// file given (ATELIER_PRINT_TO_PDF, for tests and headless machines) it
// prints there without a dialog.
class GtkPrinter : public platform::Printer {
 public:
  GtkPrinter(WebKitWebContext* context, GtkWindow* parent, std::optional<std::filesystem::path> pdfOutput);
  void printHTML(const std::string& html, const std::string& baseURL,
                 std::function<void(const std::string& error)> loadFailed) override;

 private:
  WebKitWebContext* context_;
  GtkWindow* parent_;
  std::optional<std::filesystem::path> pdfOutput_;
};

}  // namespace atelier::gtk
