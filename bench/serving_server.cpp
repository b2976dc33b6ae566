// Starts the request proxy on the resources given with --resources and
// serves until it is stopped; prints the port first.
#include "core/device_storage_manager.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
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
  auto port = RequestProxy::shared().port();
  std::printf("port %u\n", port);
  std::fflush(stdout);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop);
  return 0;
}
