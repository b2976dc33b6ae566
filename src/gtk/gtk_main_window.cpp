#include "gtk/gtk_main_window.h"

#include "core/app_info.h"
#include "gtk/gtk_web_view.h"

#include <cmath>
#include <string>

namespace atelier::gtk {

GtkMainWindow::GtkMainWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_default_size(GTK_WINDOW(window_), 1280, 800);

  headerBar_ = gtk_header_bar_new();
  gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(headerBar_), TRUE);
  gtk_window_set_titlebar(GTK_WINDOW(window_), headerBar_);
  titleBarStyle_ = gtk_css_provider_new();
  gtk_style_context_add_provider(gtk_widget_get_style_context(headerBar_), GTK_STYLE_PROVIDER(titleBarStyle_),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

  layout_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window_), layout_);
  overlay_ = gtk_overlay_new();
  gtk_box_pack_end(GTK_BOX(layout_), overlay_, TRUE, TRUE, 0);
  menuAccelerators_ = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window_), menuAccelerators_);

  // An event box above the content: while visible it takes every click.
  dimmer_ = gtk_event_box_new();
  gtk_widget_set_name(dimmer_, "atelier-dimmer");
  GtkCssProvider* dim = gtk_css_provider_new();
  gtk_css_provider_load_from_data(dim, "#atelier-dimmer { background-color: rgba(0, 0, 0, 0.3); }", -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(dimmer_), GTK_STYLE_PROVIDER(dim),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(dim);
  gtk_overlay_add_overlay(GTK_OVERLAY(overlay_), dimmer_);
  gtk_widget_set_no_show_all(dimmer_, TRUE);

  g_signal_connect(window_, "delete-event", G_CALLBACK(deleteEvent), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(windowStateEvent), this);

  GtkAccelGroup* accelerators = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window_), accelerators);
  gtk_accel_group_connect(accelerators, GDK_KEY_q, GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE,
                          g_cclosure_new_swap(G_CALLBACK(+[](GtkMainWindow* self) -> gboolean {
                                                if (self->quitRequest_) self->quitRequest_();
                                                return TRUE;
                                              }),
                                              this, nullptr));
  gtk_accel_group_connect(accelerators, GDK_KEY_F11, static_cast<GdkModifierType>(0), GTK_ACCEL_VISIBLE,
                          g_cclosure_new_swap(G_CALLBACK(+[](GtkMainWindow* self) -> gboolean {
                                                auto state = gdk_window_get_state(gtk_widget_get_window(self->window_));
                                                if (state & GDK_WINDOW_STATE_FULLSCREEN) {
                                                  gtk_window_unfullscreen(GTK_WINDOW(self->window_));
                                                } else {
                                                  gtk_window_fullscreen(GTK_WINDOW(self->window_));
                                                }
                                                return TRUE;
                                              }),
                                              this, nullptr));
  g_object_unref(accelerators);
}

GtkMainWindow::~GtkMainWindow() {
  g_signal_handlers_disconnect_by_data(window_, this);
  menuBar_.reset();
  gtk_widget_destroy(window_);
  g_object_unref(window_);
  g_object_unref(menuAccelerators_);
  g_object_unref(titleBarStyle_);
}

void GtkMainWindow::setDelegate(platform::MainWindowDelegate* delegate) { delegate_ = delegate; }

void GtkMainWindow::setContent(const std::shared_ptr<platform::WebView>& webView) {
  content_ = webView;
  if (auto* view = dynamic_cast<GtkWebView*>(webView.get())) {
    gtk_container_add(GTK_CONTAINER(overlay_), view->widget());
  }
  gtk_widget_show_all(window_);
}

void GtkMainWindow::setTitle(const std::string& title) {
  gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
  gtk_header_bar_set_title(GTK_HEADER_BAR(headerBar_), title.c_str());
}

void GtkMainWindow::setTitleBarColor(const Color& color) {
  auto channel = [](double value) { return std::lround(std::clamp(value, 0.0, 1.0) * 255); };
  double luminance = 0.2126 * color.red + 0.7152 * color.green + 0.0722 * color.blue;
  std::string css = "headerbar { background-image: none; background-color: rgba(" + std::to_string(channel(color.red)) +
                    "," + std::to_string(channel(color.green)) + "," + std::to_string(channel(color.blue)) + "," +
                    std::to_string(color.alpha) + "); color: " + (luminance < 0.5 ? "white" : "black") + "; }";
  gtk_css_provider_load_from_data(titleBarStyle_, css.c_str(), -1, nullptr);
}

void GtkMainWindow::setSimulateDeactivation(bool simulate) {
  simulateDeactivation_ = simulate;
  gtk_window_set_accept_focus(GTK_WINDOW(window_), !simulate);
  gtk_widget_set_visible(dimmer_, simulate);
}

void GtkMainWindow::setMinimizeEnabled(bool enabled) {
  gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(headerBar_), enabled ? nullptr : "menu:maximize,close");
}

bool GtkMainWindow::isKeyWindow() const { return gtk_window_is_active(GTK_WINDOW(window_)); }

gboolean GtkMainWindow::deleteEvent(GtkWidget*, GdkEvent*, GtkMainWindow* self) {
  // The close button never closes by itself: the page is asked.
  return self->delegate_ ? !self->delegate_->windowShouldClose() : FALSE;
}

gboolean GtkMainWindow::windowStateEvent(GtkWidget*, GdkEventWindowState* event, GtkMainWindow* self) {
  if (self->delegate_ && (event->changed_mask & GDK_WINDOW_STATE_FULLSCREEN)) {
    if (event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN) {
      self->delegate_->windowWillEnterFullScreen();
    } else {
      self->delegate_->windowWillExitFullScreen();
    }
  }
  return FALSE;
}

void GtkMainWindow::setMainMenu(std::shared_ptr<platform::Menu> menu) {
  if (menuBar_) gtk_container_remove(GTK_CONTAINER(layout_), menuBar_->widget());
  menuBar_ = std::make_unique<GtkMenuBar>(std::move(menu), this, menuAccelerators_);
  gtk_box_pack_start(GTK_BOX(layout_), menuBar_->widget(), FALSE, FALSE, 0);
  gtk_widget_show_all(menuBar_->widget());
}

bool GtkMainWindow::respondsTo(platform::MenuAction action) const {
  using platform::MenuAction;
  switch (action) {
    case MenuAction::orderFrontStandardAboutPanel:
    case MenuAction::terminate:
    case MenuAction::miniaturizeAll: return true;
    case MenuAction::cut:
    case MenuAction::copy:
    case MenuAction::paste:
    case MenuAction::selectAll: return dynamic_cast<GtkWebView*>(content_.get()) != nullptr;
    default: return false;  // hiding applications means nothing here
  }
}

void GtkMainWindow::perform(platform::MenuAction action, platform::MenuItem&) {
  using platform::MenuAction;
  auto editing = [this](const char* command) {
    if (auto* view = dynamic_cast<GtkWebView*>(content_.get())) {
      webkit_web_view_execute_editing_command(view->view(), command);
    }
  };
  switch (action) {
    case MenuAction::orderFrontStandardAboutPanel: {
      auto name = AppInfo::bundleName(), version = AppInfo::shortVersion() + " (" + AppInfo::buildNumber() + ")";
      gtk_show_about_dialog(GTK_WINDOW(window_), "program-name", name.c_str(), "version", version.c_str(),
                            "logo-icon-name", "applications-graphics", nullptr);
      break;
    }
    case MenuAction::terminate:
      if (quitRequest_) quitRequest_();
      break;
    case MenuAction::cut: editing(WEBKIT_EDITING_COMMAND_CUT); break;
    case MenuAction::copy: editing(WEBKIT_EDITING_COMMAND_COPY); break;
    case MenuAction::paste: editing(WEBKIT_EDITING_COMMAND_PASTE); break;
    case MenuAction::selectAll: editing(WEBKIT_EDITING_COMMAND_SELECT_ALL); break;
    case MenuAction::miniaturizeAll: gtk_window_iconify(GTK_WINDOW(window_)); break;
    default: break;
  }
}

}  // namespace atelier::gtk
