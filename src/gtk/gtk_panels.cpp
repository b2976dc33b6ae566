#include "gtk/gtk_panels.h"

#include "core/logging.h"

namespace atelier::gtk {

GtkWidget* GtkPanels::makeDialog(const platform::AlertSpec& alert) const {
  GtkWidget* dialog = gtk_message_dialog_new(parent_, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, "%s", alert.messageText.c_str());
  if (!alert.informativeText.empty()) {
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", alert.informativeText.c_str());
  }
  for (size_t i = 0; i < alert.buttons.size(); ++i) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), alert.buttons[i].c_str(), static_cast<int>(i));
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  return dialog;
}

int GtkPanels::runAlert(const platform::AlertSpec& alert) {
  GtkWidget* dialog = makeDialog(alert);
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return response >= 0 ? response : -1;
}

void GtkPanels::showAlertSheet(const platform::AlertSpec& alert, std::function<void(int)> completion) {
  if (!parent_ || !gtk_widget_get_visible(GTK_WIDGET(parent_))) return;
  GtkWidget* dialog = makeDialog(alert);
  auto* boxed = new std::function<void(int)>(std::move(completion));
  g_signal_connect_data(dialog, "response", G_CALLBACK(+[](GtkDialog* self, int response, gpointer data) {
                          auto* callback = static_cast<std::function<void(int)>*>(data);
                          gtk_widget_hide(GTK_WIDGET(self));
                          (*callback)(response >= 0 ? response : -1);
                          gtk_widget_destroy(GTK_WIDGET(self));
                        }),
                        boxed, [](gpointer data, GClosure*) { delete static_cast<std::function<void(int)>*>(data); },
                        static_cast<GConnectFlags>(0));
  gtk_widget_show(dialog);
}

std::optional<std::vector<std::string>> GtkPanels::runOpenPanel(const platform::OpenPanelOptions& options) {
  GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
      options.title.empty() ? nullptr : options.title.c_str(), parent_,
      options.allowsDirectories ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER : GTK_FILE_CHOOSER_ACTION_OPEN, nullptr,
      nullptr);
  gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), options.allowsMultipleSelection);
  if (!options.fileTypes.empty()) {
    GtkFileFilter* filter = gtk_file_filter_new();
    for (const auto& type : options.fileTypes) {
      std::string pattern = "*." + type;
      gtk_file_filter_add_pattern(filter, pattern.c_str());
      std::string upper = pattern;
      for (auto& c : upper) c = static_cast<char>(g_ascii_toupper(c));
      gtk_file_filter_add_pattern(filter, upper.c_str());
    }
    gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), filter);
  }
  std::optional<std::vector<std::string>> chosen;
  if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    chosen.emplace();
    GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
    for (GSList* item = files; item; item = item->next) {
      chosen->emplace_back(static_cast<char*>(item->data));
      g_free(item->data);
    }
    g_slist_free(files);
  }
  g_object_unref(chooser);
  return chosen;
}

}  // namespace atelier::gtk
