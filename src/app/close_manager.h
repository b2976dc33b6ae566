#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace atelier {

// Quitting and closing the window are a conversation with the page: every
// request goes to the page's registered close handlers, and only the page
// (through "closeApplication") or the warning alert ends the application.
class CloseManager {
 public:
  static CloseManager& shared();

  // Calls every close handler in order; nothing else happens. With no
  // handler the page cannot be asked, so noHandlerAnswer decides instead.
  void requestClose();

  bool reallyClose = false;
  std::map<int64_t, std::function<void()>> closeHandlers;
  std::function<void()> noHandlerAnswer;
};

}  // namespace atelier
