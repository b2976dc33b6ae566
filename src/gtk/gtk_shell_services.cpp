#include "gtk/gtk_shell_services.h"

#include "core/app_info.h"
#include "core/logging.h"
#include "core/main_queue.h"

#include <charconv>

namespace atelier::gtk {
namespace {
constexpr const char* kSource = "User Interface/HUDWindow";
}

GtkShellServices::GtkShellServices(GtkWindow* mainWindow, GtkOverlay* overlay) : mainWindow_(mainWindow) {
  headsUp_ = gtk_event_box_new();
  gtk_widget_set_name(headsUp_, "atelier-heads-up");
  headsUpLabel_ = gtk_label_new("");
  gtk_label_set_line_wrap(GTK_LABEL(headsUpLabel_), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(headsUpLabel_), 40);
  gtk_container_add(GTK_CONTAINER(headsUp_), headsUpLabel_);
  gtk_widget_set_halign(headsUp_, GTK_ALIGN_CENTER);
  gtk_widget_set_valign(headsUp_, GTK_ALIGN_CENTER);
  GtkCssProvider* style = gtk_css_provider_new();
  gtk_css_provider_load_from_data(style,
                                  "#atelier-heads-up { background-color: rgba(85, 85, 85, 0.85); border-radius: 6px;"
                                  " padding: 18px 28px; } #atelier-heads-up label { color: white; font-size: 15px; }",
                                  -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(style);
  gtk_overlay_add_overlay(overlay, headsUp_);
  gtk_overlay_set_overlay_pass_through(overlay, headsUp_, TRUE);
  gtk_widget_set_no_show_all(headsUp_, TRUE);

  auto id = AppInfo::bundleIdentifier();
  application_ = g_application_new(id.c_str(), G_APPLICATION_NON_UNIQUE);
  GError* error = nullptr;
  if (!g_application_register(application_, nullptr, &error)) {
    logDebug(kSource, "init", std::string("No desktop notifications: ") + (error ? error->message : "no session bus"));
    if (error) g_error_free(error);
    g_clear_object(&application_);
  }
}

GtkShellServices::~GtkShellServices() {
  hideProgress();
  g_clear_object(&application_);
}

void GtkShellServices::showHeadsUp(const std::string& message, double seconds) {
  gtk_label_set_text(GTK_LABEL(headsUpLabel_), message.c_str());
  gtk_widget_show(headsUpLabel_);
  gtk_widget_show(headsUp_);
  // Each show schedules its own hide, as the heads-up window always did.
  MainQueue::postAfter(seconds, [this] { gtk_widget_hide(headsUp_); });
}

void GtkShellServices::deliverNotification(const std::string& message) {
  if (!application_) return showHeadsUp(message, 3.0);
  GNotification* notification = g_notification_new(AppInfo::displayName().c_str());
  g_notification_set_body(notification, message.c_str());
  g_application_send_notification(application_, nullptr, notification);
  g_object_unref(notification);
}

void GtkShellServices::setBadge(const std::string& label) {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return;
  int64_t count = 0;
  auto [end, error] = std::from_chars(label.data(), label.data() + label.size(), count);
  bool numeric = error == std::errc() && end == label.data() + label.size() && !label.empty();
  GVariantBuilder properties;
  g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&properties, "{sv}", "count", g_variant_new_int64(count));
  g_variant_builder_add(&properties, "{sv}", "count-visible", g_variant_new_boolean(numeric));
  auto uri = "application://" + AppInfo::bundleIdentifier() + ".desktop";
  g_dbus_connection_emit_signal(bus, nullptr, "/org/atelier/Atelier", "com.canonical.Unity.LauncherEntry", "Update",
                                g_variant_new("(sa{sv})", uri.c_str(), &properties), nullptr);
  g_object_unref(bus);
}

void GtkShellServices::showProgress(const std::string& text) {
  hideProgress();
  progress_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_transient_for(GTK_WINDOW(progress_), mainWindow_);
  gtk_window_set_modal(GTK_WINDOW(progress_), TRUE);
  gtk_window_set_default_size(GTK_WINDOW(progress_), 500, 200);
  gtk_window_set_position(GTK_WINDOW(progress_), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_window_set_title(GTK_WINDOW(progress_), AppInfo::displayName().c_str());
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
  gtk_container_set_border_width(GTK_CONTAINER(box), 24);
  gtk_box_pack_start(GTK_BOX(box), gtk_image_new_from_icon_name("applications-graphics", GTK_ICON_SIZE_DIALOG), FALSE,
                     FALSE, 0);
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(progress_), box);
  gtk_widget_show_all(progress_);
}

void GtkShellServices::hideProgress() {
  if (!progress_) return;
  gtk_widget_destroy(progress_);
  progress_ = nullptr;
}

}  // namespace atelier::gtk
