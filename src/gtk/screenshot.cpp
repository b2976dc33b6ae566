#include "gtk/screenshot.h"

namespace atelier::gtk {

bool saveWindowScreenshot(GtkWindow* window, const std::filesystem::path& file) {
  GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
  if (!surface) return false;
  int width = gdk_window_get_width(surface);
  int height = gdk_window_get_height(surface);
  GdkPixbuf* pixels = gdk_pixbuf_get_from_window(surface, 0, 0, width, height);
  if (!pixels) return false;
  bool saved = gdk_pixbuf_save(pixels, file.c_str(), "png", nullptr, nullptr);
  g_object_unref(pixels);
  return saved;
}

}  // namespace atelier::gtk
