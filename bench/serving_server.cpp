// Starts the request proxy on the resources given with --resources and
// serves until it is stopped; prints the port first.
#include "core/device_storage_manager.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "serving/ajax_proxy.h"
#include "serving/local_storage_controller.h"
#include "serving/request_proxy.h"

#include <glib.h>

#include <csignal>
#include <cstdio>

using namespace atelier;

int main(int argc, char** argv) {
  MainQueue::adoptCurrentThread();
  Resources::configure(argc, argv);
  DeviceStorageManager storage(std::make_shared<UserDefaults>(UserDefaults::standardFile()));
  Log::setup({.systemLog = false});
  auto& proxy = RequestProxy::shared();
  // The page's data and proxy routes, as the application registers them.
  auto ajax = AjaxProxy::create(proxy, HttpClient::shared(), std::make_shared<CustomURLHandler>());
  auto data = LocalStorageController::create(proxy, std::make_shared<MultiLevelFileStorage>());
  auto port = proxy.port();
  std::printf("port %u\n", port);
  std::fflush(stdout);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop);
  return 0;
}
