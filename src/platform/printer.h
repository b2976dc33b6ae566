#pragma once

#include <functional>
#include <string>

namespace atelier::platform {

// Prints an HTML document through the desktop's print dialog.
class Printer {
 public:
  virtual ~Printer() = default;
  // Loads the document (relative addresses against baseURL) in a web view of
  // its own and prints it once loaded; loadFailed gets the error text.
  virtual void printHTML(const std::string& html, const std::string& baseURL,
                         std::function<void(const std::string& error)> loadFailed) = 0;
};

}  // namespace atelier::platform
