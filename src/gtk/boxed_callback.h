#pragma once

#include <glib.h>

#include <functional>
#include <memory>

namespace atelier::gtk {

// A completion as a C callback's user data, taken back (and freed) once.
template <class... Args>
gpointer box(std::function<void(Args...)> completion) {
  return new std::function<void(Args...)>(std::move(completion));
}

template <class... Args>
std::unique_ptr<std::function<void(Args...)>> unbox(gpointer data) {
  return std::unique_ptr<std::function<void(Args...)>>(static_cast<std::function<void(Args...)>*>(data));
}

}  // namespace atelier::gtk
