#include "gtk/gtk_application_services.h"

#include "core/logging.h"
#include "gtk/gtk_modal_window.h"

#include <gtk/gtk.h>

namespace atelier::gtk {

void GtkApplicationServices::terminate() { gtk_main_quit(); }

void GtkApplicationServices::openURL(const std::string& url) {
  GError* error = nullptr;
  if (!g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error)) {
    logError("General/Application", "openURL(_:)", std::string("Could not open ") + url + ": " + error->message);
    g_error_free(error);
  }
}

void GtkApplicationServices::setMainMenu(std::shared_ptr<platform::Menu> menu) {
  mainWindow_->setMainMenu(std::move(menu));
}

std::shared_ptr<platform::ModalWindow> GtkApplicationServices::makeModalWindow() {
  return std::make_shared<GtkModalWindow>(mainWindow_->window());
}

}  // namespace atelier::gtk
