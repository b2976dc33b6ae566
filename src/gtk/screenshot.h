#pragma once

#include <gtk/gtk.h>

#include <filesystem>

namespace atelier::gtk {

// Writes what the window shows, decorations included, as a PNG file.
bool saveWindowScreenshot(GtkWindow* window, const std::filesystem::path& file);

}  // namespace atelier::gtk
