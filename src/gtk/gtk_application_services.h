#pragma once

#include "gtk/gtk_main_window.h"
#include "platform/main_window.h"

#include <memory>

namespace atelier::gtk {

// Terminating, opening addresses with the desktop's default handler, the
// menu bar of the main window and modal windows in front of it.
class GtkApplicationServices : public platform::Application {
 public:
  explicit GtkApplicationServices(std::shared_ptr<GtkMainWindow> mainWindow) : mainWindow_(std::move(mainWindow)) {}

  void terminate() override;
  void openURL(const std::string& url) override;
  void setMainMenu(std::shared_ptr<platform::Menu> menu) override;
  std::shared_ptr<platform::ModalWindow> makeModalWindow() override;
  std::vector<std::shared_ptr<platform::MainWindow>> windows() override { return {mainWindow_}; }

 private:
  std::shared_ptr<GtkMainWindow> mainWindow_;
};

}  // namespace atelier::gtk
