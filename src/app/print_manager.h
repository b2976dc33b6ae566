#pragma once

#include <string>

namespace atelier {

// Turns the page's window.print() into the native print notification.
class PrintManager {
 public:
  static PrintManager& shared();
  // Replaces window.print at document start.
  const std::string& setupScript() const { return setupScript_; }

 private:
  PrintManager();
  std::string setupScript_;
};

}  // namespace atelier
