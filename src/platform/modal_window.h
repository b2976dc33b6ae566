#pragma once

#include "platform/web_view.h"

#include <memory>

namespace atelier::platform {

// Events of a modal window, answered by its controller.
class ModalWindowDelegate {
 public:
  virtual ~ModalWindowDelegate() = default;
  virtual void windowWillClose() = 0;
  // Another window came in front of this one.
  virtual void otherWindowCameToFront(bool isWebInspector) = 0;
};

// A titled, closable window in front of the main window, showing one web view.
class ModalWindow {
 public:
  virtual ~ModalWindow() = default;
  virtual void setDelegate(ModalWindowDelegate* delegate) = 0;
  // Content size at the current origin, centred; also the minimum size.
  virtual void setContentSize(int width, int height) = 0;
  // Fills the content area with the web view, edge to edge.
  virtual void setContent(const std::shared_ptr<WebView>& webView) = 0;
  // Makes it the key window and orders it front.
  virtual void show() = 0;
  // Closes it; the delegate hears windowWillClose first (once).
  virtual void close() = 0;
};

}  // namespace atelier::platform
