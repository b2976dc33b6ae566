#include "core/notification_center.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace atelier {
namespace {

TEST(NotificationCenter, DeliversByNameSynchronouslyUntilRemoved) {
  NotificationCenter center;
  std::vector<std::string> seen;
  auto first = center.addObserver("Changed", [&](const Notification& n) {
    seen.push_back("first:" + (n.object.has_value() ? std::to_string(std::any_cast<int>(n.object)) : "none"));
  });
  center.addObserver("Changed", [&](const Notification&) { seen.push_back("second"); });
  center.addObserver("Other", [&](const Notification&) { seen.push_back("other"); });

  center.post("Changed", 1);
  center.post("Changed");
  EXPECT_EQ(seen, (std::vector<std::string>{"first:1", "second", "first:none", "second"}));

  seen.clear();
  center.removeObserver(first);
  center.post("Changed");
  center.post("Nobody listens");
  EXPECT_EQ(seen, (std::vector<std::string>{"second"}));
}

TEST(NotificationCenter, ObserversMayRemoveThemselvesAndOthersWhileNotified) {
  NotificationCenter center;
  int calls = 0;
  NotificationCenter::Token second = 0;
  NotificationCenter::Token first = center.addObserver("Once", [&](const Notification&) {
    ++calls;
    center.removeObserver(first);
    center.removeObserver(second);
  });
  second = center.addObserver("Once", [&](const Notification&) { ++calls; });
  center.post("Once");
  center.post("Once");
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace atelier
