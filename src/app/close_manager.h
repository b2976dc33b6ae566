#pragma once

#include <cstdint>
#include <functional>
#include <cstdint>
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
  // Runs when the page has not closed the application this long after its
  // handlers were asked (it may have declined, or hang: the watchdog finds out).
  std::function<void()> watchdog;
  double answerSeconds = 10;

 private:
  uint64_t round_ = 0;
};

}  // namespace atelier
