#include "core/logging.h"

#include "core/app_paths.h"
#include "core/log_formatter.h"

#include <spdlog/async.h>
#include <spdlog/async_logger.h>
#include <spdlog/sinks/daily_file_sink.h>
#include <spdlog/sinks/syslog_sink.h>
#include <spdlog/spdlog.h>

#include <syslog.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

namespace atelier {
namespace {

constexpr int kSupportedMask = kLogError | kLogWarning | kLogInfo | kLogDebug;

spdlog::level::level_enum spdLevel(int flag) {
  switch (flag) {
    case kLogError: return spdlog::level::err;
    case kLogWarning: return spdlog::level::warn;
    case kLogInfo: return spdlog::level::info;
    case kLogDebug: return spdlog::level::debug;
    default: return spdlog::level::trace;
  }
}

int flagOf(spdlog::level::level_enum level) {
  switch (level) {
    case spdlog::level::err: return kLogError;
    case spdlog::level::warn: return kLogWarning;
    case spdlog::level::info: return kLogInfo;
    case spdlog::level::debug: return kLogDebug;
    case spdlog::level::trace: return kLogVerbose;
    default: return 0;
  }
}

// The system log gets "<letter> | <text>" only; syslog adds its own stamp.
class SystemLogFormatter final : public spdlog::formatter {
 public:
  void format(const spdlog::details::log_msg& msg, spdlog::memory_buf_t& dest) override {
    auto line = LogFormatter::format(flagOf(msg.level), std::string_view(msg.payload.data(), msg.payload.size()));
    dest.append(line.data(), line.data() + line.size());
  }
  std::unique_ptr<spdlog::formatter> clone() const override { return std::make_unique<SystemLogFormatter>(); }
};

struct LogState {
  std::atomic<int> mask{kLogError | kLogWarning};
  std::mutex setupMutex;
  std::shared_ptr<spdlog::logger> syncLogger;   // errors: written before write() returns
  std::shared_ptr<spdlog::logger> asyncLogger;  // everything else
  std::optional<std::filesystem::path> logFile;

  std::shared_mutex observersMutex;
  std::vector<std::pair<int, Log::Observer>> observers;
  int nextToken = 1;
  std::atomic<bool> hasObservers{false};
};

LogState& state() {
  static auto* s = new LogState;  // outlives every static destructor that may log
  return *s;
}

void emit(int flag, std::string_view text, const char* source, const char* function, int line, bool synchronously);

int maskFromText(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  if (text == "error") return kLogError;
  if (text == "warning") return kLogError | kLogWarning;
  if (text == "info") return kLogError | kLogWarning | kLogInfo;
  if (text == "debug") return kSupportedMask;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  return (end && *end == '\0' && !text.empty()) ? static_cast<int>(value) : 0;
}

}  // namespace

bool Log::isTracedByDebugger() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) {
      return std::atoi(line.c_str() + 10) != 0;
    }
  }
  return false;
}

int Log::levelForProcess() {
  int mask = isTracedByDebugger() ? kSupportedMask : (kLogError | kLogWarning);
  if (const char* requested = std::getenv("ATELIER_LOG_LEVEL")) {
    mask |= maskFromText(requested);
  }
  return mask & kSupportedMask;
}

void Log::setup(const LogSetup& options) {
  auto& s = state();
  {
    std::lock_guard lock(s.setupMutex);
    std::vector<spdlog::sink_ptr> sinks;
    if (options.systemLog) {
      auto sink = std::make_shared<spdlog::sinks::syslog_sink_mt>("atelier", LOG_PID, LOG_USER, true);
      sink->set_formatter(std::make_unique<SystemLogFormatter>());
      sinks.push_back(sink);
    }
    s.logFile.reset();
    if (options.fileLog) {
      auto directory = options.fileDirectory.value_or(AppPaths::logDirectory());
      std::error_code ec;
      std::filesystem::create_directories(directory, ec);
      if (!ec) {
        auto base = directory / "atelier.log";
        auto sink = std::make_shared<spdlog::sinks::daily_file_sink_mt>(base.string(), 0, 0, false, 7);
        sink->set_pattern("%Y-%m-%d %H:%M:%S.%e %L [%t] %g %! | %v");
        s.logFile = sink->filename();
        sinks.push_back(sink);
      }
    }
    if (!spdlog::thread_pool()) spdlog::init_thread_pool(8192, 1);

    auto syncLogger = std::make_shared<spdlog::logger>("atelier", sinks.begin(), sinks.end());
    auto asyncLogger = std::make_shared<spdlog::async_logger>("atelier-async", sinks.begin(), sinks.end(),
                                                              spdlog::thread_pool(),
                                                              spdlog::async_overflow_policy::block);
    for (auto* logger : {static_cast<spdlog::logger*>(syncLogger.get()), static_cast<spdlog::logger*>(asyncLogger.get())}) {
      logger->set_level(spdlog::level::trace);
    }
    if (s.asyncLogger) s.asyncLogger->flush();
    std::atomic_store(&s.syncLogger, syncLogger);
    std::atomic_store(&s.asyncLogger, std::static_pointer_cast<spdlog::logger>(asyncLogger));
    s.mask = levelForProcess();
  }
  // Written synchronously so that it is the first line of the file too.
  emit(kLogWarning, "Logging On", "AppDelegate", "setupLogging()", __LINE__, /*synchronously=*/true);
}

void Log::write(int flag, std::string_view text, const char* source, const char* function, int line) {
  emit(flag, text, source, function, line, flag == kLogError);
}

namespace {
void emit(int flag, std::string_view text, const char* source, const char* function, int line, bool synchronously) {
  auto& s = state();
  if ((flag & s.mask.load(std::memory_order_relaxed)) == 0) return;

  if (s.hasObservers.load(std::memory_order_acquire)) {
    LogLine entry{flag, std::string(text), source, function, line};
    std::shared_lock lock(s.observersMutex);
    for (auto& [token, observer] : s.observers) observer(entry);
  }

  spdlog::source_loc where{source, line, function};
  auto logger = synchronously ? std::atomic_load(&s.syncLogger) : std::atomic_load(&s.asyncLogger);
  if (logger) logger->log(where, spdLevel(flag), text);
  if (synchronously && logger) logger->flush();
}
}  // namespace

int Log::level() { return state().mask.load(); }
void Log::setLevel(int mask) { state().mask = mask; }

void Log::flush() {
  auto& s = state();
  if (auto logger = std::atomic_load(&s.asyncLogger)) {
    logger->flush();  // queued behind the pending lines
    auto pool = spdlog::thread_pool();
    for (int i = 0; pool && pool->queue_size() > 0 && i < 2000; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  // The sinks are shared, so this also flushes what the async writer wrote.
  if (auto logger = std::atomic_load(&s.syncLogger)) logger->flush();
}

int Log::addObserver(Observer observer) {
  auto& s = state();
  std::unique_lock lock(s.observersMutex);
  int token = s.nextToken++;
  s.observers.emplace_back(token, std::move(observer));
  s.hasObservers = true;
  return token;
}

void Log::removeObserver(int token) {
  auto& s = state();
  std::unique_lock lock(s.observersMutex);
  std::erase_if(s.observers, [token](auto& entry) { return entry.first == token; });
  s.hasObservers = !s.observers.empty();
}

std::optional<std::filesystem::path> Log::currentLogFile() {
  auto& s = state();
  std::lock_guard lock(s.setupMutex);
  return s.logFile;
}

}  // namespace atelier
