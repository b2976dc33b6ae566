#pragma once

#include <mutex>
#include <string>

namespace atelier {

enum class ReachabilityStatus {
  unknown = -1,
  notReachable = 0,
  reachableViaWWAN = 1,  // a metered link, as cellular ones are
  reachableViaWiFi = 2,  // any other full connection
};

// Watches the network (GNetworkMonitor) and posts kReachabilityDidChange,
// with the new ReachabilityStatus as the object, on the main queue.
class ReachabilityCompat {
 public:
  static constexpr const char* kReachabilityDidChange = "org.atelier.networking.reachability.change";

  static ReachabilityCompat& shared();

  // Begins monitoring; the status stays unknown until then.
  void start();
  bool hasMonitor() const;
  ReachabilityStatus status() const;
  // Records a new status and posts the notification on the main queue.
  void update(ReachabilityStatus status);

  // "WIFI", "CELL", "NONE" or "UNKNOWN".
  static std::string connectionType(ReachabilityStatus status, bool hasMonitor);
  static bool isReachable(ReachabilityStatus status);
  // available: a default route exists; fullConnectivity: the internet answers.
  static ReachabilityStatus statusFor(bool available, bool fullConnectivity, bool metered);

 private:
  ReachabilityCompat();
  mutable std::mutex mutex_;
  void* monitor_ = nullptr;  // GNetworkMonitor, owned by GIO
  bool started_ = false;
  ReachabilityStatus status_ = ReachabilityStatus::unknown;
};

}  // namespace atelier
