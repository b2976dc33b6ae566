#include "gtk/gtk_modal_window.h"

#include "core/main_queue.h"
#include "gtk/gtk_web_view.h"

#include <algorithm>
#include <cstring>

namespace atelier::gtk {

GtkModalWindow::GtkModalWindow(GtkWindow* parent) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_transient_for(GTK_WINDOW(window_), parent);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(window_), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ON_PARENT);
  g_signal_connect(window_, "delete-event", G_CALLBACK(deleteEvent), this);
  g_signal_connect(window_, "notify::is-active", G_CALLBACK(activeChanged), this);
}

GtkModalWindow::~GtkModalWindow() {
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);
  g_object_unref(window_);
}

void GtkModalWindow::setContentSize(int width, int height) {
  // Never larger than the screen, or it could neither fit nor shrink.
  GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(window_));
  GdkDisplay* display = gtk_widget_get_display(window_);
  GdkWindow* parentWindow = parent ? gtk_widget_get_window(GTK_WIDGET(parent)) : nullptr;
  GdkMonitor* monitor = parentWindow ? gdk_display_get_monitor_at_window(display, parentWindow)
                                     : gdk_display_get_primary_monitor(display);
  if (monitor) {
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    width = std::min(width, area.width);
    height = std::min(height, area.height);
  }
  gtk_window_set_default_size(GTK_WINDOW(window_), width, height);
  GdkGeometry minimum{};
  minimum.min_width = width;
  minimum.min_height = height;
  gtk_window_set_geometry_hints(GTK_WINDOW(window_), nullptr, &minimum, GDK_HINT_MIN_SIZE);
}

void GtkModalWindow::setContent(const std::shared_ptr<platform::WebView>& webView) {
  if (content_) return;
  content_ = webView;
  if (auto* view = dynamic_cast<GtkWebView*>(webView.get())) {
    gtk_container_add(GTK_CONTAINER(window_), view->widget());
    gtk_widget_show(view->widget());
  }
}

void GtkModalWindow::show() {
  if (closed_) return;
  gtk_widget_show_all(window_);
  gtk_window_present(GTK_WINDOW(window_));
}

void GtkModalWindow::close() {
  if (closed_) return;
  closed_ = true;
  if (delegate_) delegate_->windowWillClose();
  gtk_widget_hide(window_);
}

gboolean GtkModalWindow::deleteEvent(GtkWidget*, GdkEvent*, GtkModalWindow* self) {
  self->close();
  return TRUE;  // hidden, not destroyed: the controller still owns it
}

void GtkModalWindow::activeChanged(GObject*, GParamSpec*, GtkModalWindow* self) {
  if (self->closed_ || gtk_window_is_active(GTK_WINDOW(self->window_))) return;
  // The window taking the focus becomes active just after this one let go.
  MainQueue::postAfter(0.1, [self, alive = std::weak_ptr<bool>(self->alive_)] {
    if (alive.lock()) self->checkFrontWindow();
  });
}

// Another of this application's windows became active while this one shows.
void GtkModalWindow::checkFrontWindow() {
  if (closed_ || !delegate_ || gtk_window_is_active(GTK_WINDOW(window_))) return;
  GList* toplevels = gtk_window_list_toplevels();
  GtkWindow* front = nullptr;
  for (GList* node = toplevels; node; node = node->next) {
    auto* candidate = GTK_WINDOW(node->data);
    if (candidate != GTK_WINDOW(window_) && gtk_window_is_active(candidate)) front = candidate;
  }
  g_list_free(toplevels);
  // Other applications' windows are the user's business.
  if (!front) return;
  bool inspector = std::strcmp(G_OBJECT_TYPE_NAME(front), "WebKitInspectorWindow") == 0;
  delegate_->otherWindowCameToFront(inspector);
}

}  // namespace atelier::gtk
