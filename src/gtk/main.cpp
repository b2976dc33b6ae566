// Process entry: the desktop services, the application delegate, the main loop.
#include "app/app_delegate.h"
#include "core/app_paths.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "gtk/gtk_application_services.h"
#include "gtk/gtk_main_window.h"
#include "app/platform_services.h"
#include "app/print_manager.h"
#include "gtk/gtk_panels.h"
#include "gtk/gtk_printer.h"
#include "gtk/gtk_shell_services.h"
#include "gtk/gtk_web_context.h"
#include "gtk/gtk_web_view.h"
#include "gtk/screenshot.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

using namespace atelier;

namespace {

struct Options {
  std::optional<std::string> screenshot;
  std::optional<double> requestQuitAfter;  // a scripted Ctrl+Q, for headless runs
  bool printLoadTime = false;
};

Options readOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--screenshot" && i + 1 < argc) options.screenshot = argv[++i];
    if (argument == "--print-load-time") options.printLoadTime = true;
    if (argument == "--request-quit-after" && i + 1 < argc) options.requestQuitAfter = std::atof(argv[++i]);
  }
  return options;
}

gboolean quitOnSignal(gpointer) {
  logWarning("AppDelegate", "signal", "Terminated by signal");
  gtk_main_quit();
  return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  MainQueue::adoptCurrentThread();
  Resources::configure(argc, argv);
  const Options options = readOptions(argc, argv);
  gtk_init(&argc, &argv);

  auto window = std::make_shared<gtk::GtkMainWindow>();
  auto webDataDirectory = AppPaths::dataDirectory() / "WebKit";
  auto webContext = std::make_shared<gtk::GtkWebContext>(webDataDirectory, AppPaths::cacheDirectory() / "WebKit");
  DesktopServices services{window, std::make_shared<gtk::GtkPanels>(window->window()),
                           std::make_shared<gtk::GtkApplicationServices>(window), webContext};
  std::optional<std::filesystem::path> pdfOutput;
  if (const char* pdf = std::getenv("ATELIER_PRINT_TO_PDF"); pdf && *pdf) pdfOutput = pdf;
  PrintManager::shared().setPrinter(std::make_shared<gtk::GtkPrinter>(webContext->context(), window->window(), pdfOutput));
  auto application = services.application;
  PlatformServices::set(application, std::make_shared<gtk::GtkShellServices>(window->window(), window->overlay()));

  {
    AppDelegate delegate(std::move(services), std::make_shared<UserDefaults>(UserDefaults::standardFile()));
    auto quitRequest = [&delegate, application] {
      if (delegate.applicationShouldTerminate()) application->terminate();
    };
    window->onQuitRequest(quitRequest);
    g_unix_signal_add(SIGINT, quitOnSignal, nullptr);
    g_unix_signal_add(SIGTERM, quitOnSignal, nullptr);

    delegate.applicationDidFinishLaunching(argc, argv);

    if (auto view = std::dynamic_pointer_cast<gtk::GtkWebView>(delegate.webViewController()->webview())) {
      view->onLoadFinished([&options, started, window, application, quitRequest] {
        if (options.requestQuitAfter) MainQueue::postAfter(*options.requestQuitAfter, quitRequest);
        auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        logInfo("AppDelegate", "webView(_:didFinish:)", "Page loaded " + std::to_string(elapsed) + " ms after start");
        if (options.printLoadTime) std::printf("load finished after %.1f ms\n", elapsed);
        std::fflush(stdout);
        if (options.screenshot) {
          MainQueue::postAfter(1.0, [window, application, file = *options.screenshot] {
            bool saved = gtk::saveWindowScreenshot(window->window(), file);
            std::printf(saved ? "screenshot written to %s\n" : "could not write the screenshot %s\n", file.c_str());
            application->terminate();
          });
        }
      });
    }
    gtk_main();
  }
  PlatformServices::set(nullptr, nullptr);
  PrintManager::shared().setPrinter(nullptr);
  Log::flush();
  return 0;
}
