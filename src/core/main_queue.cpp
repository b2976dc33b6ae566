#include "core/main_queue.h"

#include "core/logging.h"

#include <glib.h>

#include <chrono>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace atelier {
namespace {

struct QueueState {
  std::mutex mutex;
  std::deque<MainQueue::Task> tasks;
  bool drainScheduled = false;
  std::thread::id mainThread = std::this_thread::get_id();
};

QueueState& state() {
  static auto* s = new QueueState;  // never destroyed: other threads may post during exit
  return *s;
}

void runGuarded(MainQueue::Task& task) {
  try {
    task();
  } catch (const std::exception& error) {
    logError("General/MainQueue", "post(_:)", std::string("Uncaught error in main-queue task: ") + error.what());
  }
}

gboolean drain(gpointer) {
  auto& s = state();
  std::deque<MainQueue::Task> batch;
  {
    std::lock_guard lock(s.mutex);
    batch.swap(s.tasks);
    s.drainScheduled = false;
  }
  for (auto& task : batch) runGuarded(task);
  return G_SOURCE_REMOVE;
}

void attach(GSource* source, GSourceFunc callback, gpointer data, GDestroyNotify destroy) {
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(source, callback, data, destroy);
  g_source_attach(source, nullptr);  // the default context is the main thread's
  g_source_unref(source);
}

}  // namespace

void MainQueue::adoptCurrentThread() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.mainThread = std::this_thread::get_id();
}

bool MainQueue::isMainThread() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  return s.mainThread == std::this_thread::get_id();
}

void MainQueue::post(Task task) {
  auto& s = state();
  {
    std::lock_guard lock(s.mutex);
    s.tasks.push_back(std::move(task));
    if (s.drainScheduled) return;
    s.drainScheduled = true;
  }
  // One wake-up for a whole batch keeps strict order and costs little.
  attach(g_idle_source_new(), drain, nullptr, nullptr);
}

void MainQueue::postAfter(double seconds, Task task) {
  auto milliseconds = static_cast<guint>(seconds <= 0 ? 0 : seconds * 1000.0);
  auto* boxed = new Task(std::move(task));
  attach(
      g_timeout_source_new(milliseconds),
      [](gpointer data) -> gboolean {
        runGuarded(*static_cast<Task*>(data));
        return G_SOURCE_REMOVE;
      },
      boxed, [](gpointer data) { delete static_cast<Task*>(data); });
}

void MainQueue::runUntilIdle() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

bool MainQueue::runUntil(const std::function<bool()>& condition, double timeoutSeconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace atelier
