#pragma once

#include "platform/main_window.h"
#include "platform/panels.h"

#include <gtk/gtk.h>

namespace atelier::gtk {

// Message dialogs and the file chooser of GTK, attached to the main window.
class GtkPanels : public platform::Panels {
 public:
  explicit GtkPanels(GtkWindow* parent) : parent_(parent) {}

  int runAlert(const platform::AlertSpec& alert) override;
  void showAlertSheet(const platform::AlertSpec& alert, std::function<void(int)> completion) override;
  std::optional<std::vector<std::string>> runOpenPanel(const platform::OpenPanelOptions& options) override;

 private:
  GtkWidget* makeDialog(const platform::AlertSpec& alert) const;
  GtkWindow* parent_;
};

}  // namespace atelier::gtk
