// Page → native → page round trips in a real WebKitGTK web view: through
// Atelier's bridge (objects.js, the dispatcher, a function that fulfils at
// once, the answer evaluated from the main queue), and, in the same run,
// through a bare WebKitGTK echo (a message handler evaluating one statement:
// the platform's own limit). Run under a display (xvfb-run).
#include "app/cookie_manager.h"
#include "app/webview_manager.h"
#include "core/app_paths.h"
#include "core/device_storage_manager.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "gtk/gtk_main_window.h"
#include "gtk/gtk_panels.h"
#include "gtk/gtk_web_context.h"
#include "gtk/gtk_web_view.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace atelier;
namespace fs = std::filesystem;

namespace {

class BenchWebObject : public WebObject {
 public:
  BenchWebObject() : WebObject("bench") {
    addFunction("echo", [](WebRequest request) { request.fulfill(request.decodeParameters<int64_t>()); });
  }
};

double atelierRate = 0, anchorRate = 0;

void finishedOne(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer slot) {
  *static_cast<double*>(slot) = jsc_value_to_double(webkit_javascript_result_get_js_value(result));
  gtk_main_quit();
}

void echo(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer view) {
  auto script = "__echo(" + std::to_string(jsc_value_to_int32(webkit_javascript_result_get_js_value(result))) + ")";
  webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view), script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                      nullptr);
}

std::string pageText() {
  std::ifstream in(ATELIER_BENCH_PAGE);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void runAnchor() {
  WebKitUserContentManager* manager = webkit_user_content_manager_new();
  WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_user_content_manager(manager));
  g_signal_connect(manager, "script-message-received::echo", G_CALLBACK(echo), view);
  g_signal_connect(manager, "script-message-received::benchDone", G_CALLBACK(finishedOne), &anchorRate);
  webkit_user_content_manager_register_script_message_handler(manager, "echo");
  webkit_user_content_manager_register_script_message_handler(manager, "benchDone");
  GtkWidget* window = gtk_offscreen_window_new();
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  gtk_widget_show_all(window);
  webkit_web_view_load_html(view, pageText().c_str(), "http://localhost/");
  gtk_main();
  gtk_widget_destroy(window);
}

}  // namespace

int main(int argc, char** argv) {
  MainQueue::adoptCurrentThread();
  gtk_init(&argc, &argv);

  // A private home and a copy of the resources whose start page is the bench page.
  auto home = fs::temp_directory_path() / ("atelier-bench-" + std::to_string(::getpid()));
  for (auto [variable, leaf] : {std::pair{"XDG_DATA_HOME", "data"}, {"XDG_CONFIG_HOME", "config"},
                                {"XDG_CACHE_HOME", "cache"}, {"XDG_STATE_HOME", "state"}}) {
    fs::create_directories(home / leaf);
    ::setenv(variable, (home / leaf).c_str(), 1);
  }
  fs::copy(ATELIER_RESOURCES, home / "Resources", fs::copy_options::recursive);
  fs::copy_file(ATELIER_BENCH_PAGE, home / "Resources/sync/webapp/index.html", fs::copy_options::overwrite_existing);
  Resources::setDirectory(home / "Resources");

  {
    DeviceStorageManager storage(std::make_shared<UserDefaults>(UserDefaults::standardFile()));
    auto context = std::make_shared<gtk::GtkWebContext>(home / "data/WebKit", home / "cache/WebKit");
    CookieManager cookies(context);
    gtk::GtkMainWindow window;
    auto manager = std::make_shared<WebviewManager>(std::make_shared<gtk::GtkPanels>(window.window()), [] {
      return std::vector<std::shared_ptr<WebObject>>{std::make_shared<BenchWebObject>()};
    });
    auto view = std::dynamic_pointer_cast<gtk::GtkWebView>(manager->webview());
    auto* contentManager = webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(view->widget()));
    g_signal_connect(contentManager, "script-message-received::benchDone", G_CALLBACK(finishedOne), &atelierRate);
    webkit_user_content_manager_register_script_message_handler(contentManager, "benchDone");
    window.setContent(view);
    manager->load();
    gtk_main();
  }
  runAnchor();

  std::printf("bridge round trips in WebKitGTK (median of 5 runs of 3000 awaited calls)\n");
  std::printf("  atelier bridge: %10.0f round trips/s\n", atelierRate);
  std::printf("  bare WebKitGTK: %10.0f round trips/s\n", anchorRate);
  std::printf("  ratio atelier/bare: %.2f\n", anchorRate > 0 ? atelierRate / anchorRate : 0);
  std::error_code ec;
  fs::remove_all(home, ec);
  return 0;
}
