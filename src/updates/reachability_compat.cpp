#include "updates/reachability_compat.h"

#include "core/main_queue.h"
#include "core/notification_center.h"

#include <gio/gio.h>

namespace atelier {
namespace {

ReachabilityStatus readMonitor(GNetworkMonitor* monitor) {
  return ReachabilityCompat::statusFor(g_network_monitor_get_network_available(monitor),
                                       g_network_monitor_get_connectivity(monitor) == G_NETWORK_CONNECTIVITY_FULL,
                                       g_network_monitor_get_network_metered(monitor));
}

void onNetworkChanged(GNetworkMonitor* monitor) { ReachabilityCompat::shared().update(readMonitor(monitor)); }

}  // namespace

ReachabilityCompat& ReachabilityCompat::shared() {
  static auto* instance = new ReachabilityCompat();
  return *instance;
}

ReachabilityCompat::ReachabilityCompat() : monitor_(g_network_monitor_get_default()) {}

void ReachabilityCompat::start() {
  {
    std::lock_guard lock(mutex_);
    if (!monitor_ || started_) return;
    started_ = true;
  }
  auto* monitor = static_cast<GNetworkMonitor*>(monitor_);
  auto handler = G_CALLBACK(+[](GNetworkMonitor* source, gboolean, gpointer) { onNetworkChanged(source); });
  g_signal_connect(monitor, "network-changed", handler, nullptr);
  auto property = G_CALLBACK(+[](GNetworkMonitor* source, GParamSpec*, gpointer) { onNetworkChanged(source); });
  g_signal_connect(monitor, "notify::connectivity", property, nullptr);
  g_signal_connect(monitor, "notify::network-metered", property, nullptr);
  update(readMonitor(monitor));
}

bool ReachabilityCompat::hasMonitor() const {
  std::lock_guard lock(mutex_);
  return monitor_ != nullptr;
}

ReachabilityStatus ReachabilityCompat::status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void ReachabilityCompat::update(ReachabilityStatus status) {
  {
    std::lock_guard lock(mutex_);
    status_ = status;
  }
  MainQueue::post([status] { NotificationCenter::defaultCenter().post(kReachabilityDidChange, status); });
}

std::string ReachabilityCompat::connectionType(ReachabilityStatus status, bool hasMonitor) {
  if (!hasMonitor) return "NONE";
  switch (status) {
    case ReachabilityStatus::reachableViaWiFi: return "WIFI";
    case ReachabilityStatus::reachableViaWWAN: return "CELL";
    case ReachabilityStatus::notReachable: return "NONE";
    case ReachabilityStatus::unknown: break;
  }
  return "UNKNOWN";
}

bool ReachabilityCompat::isReachable(ReachabilityStatus status) {
  return status == ReachabilityStatus::reachableViaWiFi || status == ReachabilityStatus::reachableViaWWAN;
}

ReachabilityStatus ReachabilityCompat::statusFor(bool available, bool fullConnectivity, bool metered) {
  if (!available) return ReachabilityStatus::notReachable;
  if (metered) return ReachabilityStatus::reachableViaWWAN;
  if (fullConnectivity) return ReachabilityStatus::reachableViaWiFi;
  return ReachabilityStatus::unknown;
}

}  // namespace atelier
