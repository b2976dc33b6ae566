#include "core/dispatch_group.h"
#include "core/main_queue.h"
#include "core/work_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace atelier {
namespace {

TEST(MainQueue, RunsTasksFromAnyThreadInOrderOnTheMainThread) {
  std::vector<int> order;
  std::atomic<bool> offMain{false};
  MainQueue::post([&] { order.push_back(0); });
  std::thread other([&] {
    for (int i = 1; i <= 100; ++i) {
      MainQueue::post([&, i] {
        if (!MainQueue::isMainThread()) offMain = true;
        order.push_back(i);
      });
    }
  });
  other.join();
  EXPECT_TRUE(order.empty()) << "post() never runs the task itself";
  ASSERT_TRUE(MainQueue::runUntil([&] { return order.size() == 101; }, 5));
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_FALSE(offMain);
}

TEST(MainQueue, PostAfterWaitsAtLeastTheDelay) {
  auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point ranAt;
  bool ran = false;
  MainQueue::postAfter(0.05, [&] {
    ranAt = std::chrono::steady_clock::now();
    ran = true;
  });
  ASSERT_TRUE(MainQueue::runUntil([&] { return ran; }, 5));
  EXPECT_GE(ranAt - start, std::chrono::milliseconds(50));
}

TEST(SerialQueue, RunsOneTaskAtATimeInOrder) {
  SerialQueue queue("org.atelier.test.serial");
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  DispatchGroup group;
  for (int i = 0; i < 200; ++i) {
    group.enter();
    queue.async([&, i] {
      if (running.fetch_add(1) != 0) overlapped = true;
      EXPECT_TRUE(queue.isCurrent());
      EXPECT_TRUE(WorkPool::isPoolThread());
      {
        std::lock_guard lock(mutex);
        order.push_back(i);
      }
      running.fetch_sub(1);
      group.leave();
    });
  }
  ASSERT_TRUE(group.waitFor(10));
  EXPECT_FALSE(overlapped);
  ASSERT_EQ(order.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
  EXPECT_FALSE(queue.isCurrent());
}

TEST(DispatchGroup, NotifiesOnceAllWorkLeft) {
  DispatchGroup group;
  std::atomic<int> finished{0};
  std::atomic<bool> notified{false};
  for (int i = 0; i < 16; ++i) {
    group.enter();
    WorkPool::post([&, group] {
      finished++;
      group.leave();
    });
  }
  group.notify([&] {
    EXPECT_EQ(finished.load(), 16);
    notified = true;
  });
  ASSERT_TRUE(group.waitFor(10));
  ASSERT_TRUE(MainQueue::runUntil([&] { return notified.load(); }, 5));

  bool immediately = false;
  DispatchGroup().notify([&] { immediately = true; });
  EXPECT_TRUE(immediately);
}

TEST(DispatchGroupDeathTest, WaitingOnAPoolThreadStopsTheProcess) {
  EXPECT_DEATH(
      {
        std::atomic<bool> done{false};
        WorkPool::post([&] {
          DispatchGroup group;
          group.enter();
          group.wait();
        });
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      },
      "pool thread");
}

}  // namespace
}  // namespace atelier
