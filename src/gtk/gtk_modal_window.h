#pragma once

#include "platform/modal_window.h"

#include <gtk/gtk.h>

#include <memory>

namespace atelier::gtk {

// A modal dialog window over the main window, holding one web view.
class GtkModalWindow : public platform::ModalWindow {
 public:
  explicit GtkModalWindow(GtkWindow* parent);
  ~GtkModalWindow() override;

  void setDelegate(platform::ModalWindowDelegate* delegate) override { delegate_ = delegate; }
  void setContentSize(int width, int height) override;
  void setContent(const std::shared_ptr<platform::WebView>& webView) override;
  void show() override;
  void close() override;

 private:
  static gboolean deleteEvent(GtkWidget* widget, GdkEvent* event, GtkModalWindow* self);
  static void activeChanged(GObject* object, GParamSpec* property, GtkModalWindow* self);
  void checkFrontWindow();

  GtkWidget* window_ = nullptr;
  std::shared_ptr<platform::WebView> content_;
  platform::ModalWindowDelegate* delegate_ = nullptr;
  bool closed_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for deferred checks
};

}  // namespace atelier::gtk
