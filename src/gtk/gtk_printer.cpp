#include "gtk/gtk_printer.h"

namespace atelier::gtk {
namespace {

// One print job: the offscreen web view lives until printing has finished.
struct PrintJob {
  GtkWidget* window = nullptr;
  WebKitWebView* view = nullptr;
  GtkWindow* parent = nullptr;
  std::optional<std::filesystem::path> pdfOutput;
  std::function<void(const std::string&)> loadFailed;
  bool started = false;

  void finish() {
    gtk_widget_destroy(window);
    delete this;
  }
};

void startPrinting(PrintJob* job) {
  job->started = true;
  WebKitPrintOperation* operation = webkit_print_operation_new(job->view);
  g_signal_connect_swapped(operation, "finished", G_CALLBACK(+[](PrintJob* finished) { finished->finish(); }), job);
  if (job->pdfOutput) {
    GtkPrintSettings* settings = gtk_print_settings_new();
    gtk_print_settings_set_printer(settings, "Print to File");
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    auto uri = "file://" + job->pdfOutput->string();
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri.c_str());
    webkit_print_operation_set_print_settings(operation, settings);
    g_object_unref(settings);
    webkit_print_operation_print(operation);
  } else {
    webkit_print_operation_run_dialog(operation, job->parent);
  }
  g_object_unref(operation);
}

}  // namespace

GtkPrinter::GtkPrinter(WebKitWebContext* context, GtkWindow* parent, std::optional<std::filesystem::path> pdfOutput)
    : context_(context), parent_(parent), pdfOutput_(std::move(pdfOutput)) {}

void GtkPrinter::printHTML(const std::string& html, const std::string& baseURL,
                           std::function<void(const std::string& error)> loadFailed) {
  auto* job = new PrintJob{gtk_offscreen_window_new(), WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context_)),
                           parent_, pdfOutput_, std::move(loadFailed)};
  gtk_container_add(GTK_CONTAINER(job->window), GTK_WIDGET(job->view));
  gtk_widget_show_all(job->window);
  g_signal_connect(job->view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, PrintJob* self) {
                     if (event == WEBKIT_LOAD_FINISHED && !self->started) startPrinting(self);
                   }),
                   job);
  g_signal_connect(job->view, "load-failed",
                   G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, PrintJob* self) -> gboolean {
                     if (self->loadFailed) self->loadFailed(error ? error->message : "load failed");
                     self->started = true;
                     self->finish();
                     return TRUE;
                   }),
                   job);
  webkit_web_view_load_html(job->view, html.c_str(), baseURL.c_str());
}

}  // namespace atelier::gtk
