#include "core/work_pool.h"

#include "core/logging.h"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <algorithm>
#include <exception>
#include <thread>

namespace atelier {
namespace {

thread_local bool onPoolThread = false;

unsigned poolSize() { return std::max(4u, std::thread::hardware_concurrency()); }

boost::asio::thread_pool& pool() {
  static auto* instance = new boost::asio::thread_pool(poolSize());  // lives until exit
  return *instance;
}

auto guarded(WorkPool::Task task) {
  return [task = std::move(task)] {
    onPoolThread = true;
    try {
      task();
    } catch (const std::exception& error) {
      logError("General/WorkPool", "post(_:)", std::string("Uncaught error in queued task: ") + error.what());
    }
  };
}

}  // namespace

void WorkPool::post(Task task) { boost::asio::post(pool(), guarded(std::move(task))); }
bool WorkPool::isPoolThread() { return onPoolThread; }
unsigned WorkPool::threadCount() { return poolSize(); }

struct SerialQueue::Impl {
  std::string label;
  boost::asio::strand<boost::asio::thread_pool::executor_type> strand;
};

SerialQueue::SerialQueue(std::string label)
    : impl_(std::make_shared<Impl>(Impl{std::move(label), boost::asio::make_strand(pool().get_executor())})) {}

const std::string& SerialQueue::label() const { return impl_->label; }

void SerialQueue::async(WorkPool::Task task) const { boost::asio::post(impl_->strand, guarded(std::move(task))); }

bool SerialQueue::isCurrent() const { return impl_->strand.running_in_this_thread(); }

}  // namespace atelier
