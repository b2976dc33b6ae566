#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>

namespace atelier {

// Level flags; the process-wide level is a mask of them.
enum LogFlag : int {
  kLogError = 1,
  kLogWarning = 2,
  kLogInfo = 4,
  kLogDebug = 8,
  kLogVerbose = 16,
};

// One emitted line as observers see it.
struct LogLine {
  int flag;
  std::string text;
  const char* source;    // path-like source text, e.g. "Webview Communication/MessageHandler"
  const char* function;  // signature text, e.g. "userContentController(_:didReceive:)"
  int line;
};

struct LogSetup {
  bool systemLog = true;
  // Where the daily rolling files go; nothing means the user's state directory.
  std::optional<std::filesystem::path> fileDirectory;
  bool fileLog = true;
};

class Log {
 public:
  // Installs the outputs and the level rule, then writes "Logging On".
  static void setup(const LogSetup& options = {});
  // Source and function must be static texts (they are kept by the async writer).
  static void write(int flag, std::string_view text, const char* source, const char* function, int line);
  static int level();
  static void setLevel(int mask);
  // The mask the rule gives: 15 while a debugger traces us, else 3, raised by
  // ATELIER_LOG_LEVEL; verbose is never part of it.
  static int levelForProcess();
  static bool isTracedByDebugger();
  static void flush();

  using Observer = std::function<void(const LogLine&)>;
  static int addObserver(Observer observer);
  static void removeObserver(int token);

  static std::optional<std::filesystem::path> currentLogFile();
};

// logError(source, function, text): the call site's line is filled in.
template <int Flag>
struct LogAt {
  void operator()(const char* source, const char* function, std::string_view text,
                  std::source_location where = std::source_location::current()) const {
    Log::write(Flag, text, source, function, static_cast<int>(where.line()));
  }
};
inline constexpr LogAt<kLogError> logError;
inline constexpr LogAt<kLogWarning> logWarning;
inline constexpr LogAt<kLogInfo> logInfo;
inline constexpr LogAt<kLogDebug> logDebug;
inline constexpr LogAt<kLogVerbose> logVerbose;

}  // namespace atelier
