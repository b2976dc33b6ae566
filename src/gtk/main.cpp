// Process entry: the singletons, testing mode, logging, then the main window.
#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "core/user_defaults.h"

#include <gtk/gtk.h>

#include <memory>

using namespace atelier;

int main(int argc, char** argv) {
  MainQueue::adoptCurrentThread();
  Resources::configure(argc, argv);
  DeviceStorageManager storage(std::make_shared<UserDefaults>(UserDefaults::standardFile()));

  TestingMode::setFromArguments(argc, argv);
  Log::setup();

  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), AppInfo::displayName().c_str());
  gtk_window_set_default_size(GTK_WINDOW(window), 1280, 800);
  GtkWidget* label = gtk_label_new("Atelier\n\nThe editor's web view arrives with the desktop shell.");
  gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  gtk_container_add(GTK_CONTAINER(window), label);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  Log::flush();
  return 0;
}
