// In-process bridge round trips: a posted message body (JSON text, as the
// web view hands it over) is parsed, dispatched to a function that fulfils,
// and its callback and removal statements are evaluated in a counting page.
#include "bridge/message_handler.h"
#include "core/main_queue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace atelier;

namespace {

class CountingPage : public JSScriptHandler {
 public:
  void evaluateScript(const std::string& script, Completion) override {
    bytes += script.size();
    ++statements;
  }
  size_t statements = 0;
  size_t bytes = 0;
};

class EchoWebObject : public WebObject {
 public:
  EchoWebObject() : WebObject("general") {
    addFunction("echo", [](WebRequest request) { request.fulfill(request.decodeParameters<nlohmann::json>()); });
  }
};

}  // namespace

int main(int argc, char** argv) {
  MainQueue::adoptCurrentThread();
  const int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int runs = 7;

  auto page = std::make_shared<CountingPage>();
  MessageHandler handler({std::make_shared<EchoWebObject>()});
  handler.setWebview(page);

  std::vector<double> rates;
  for (int run = 0; run < runs; ++run) {
    page->statements = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < messages; ++i) {
      std::string posted = R"({"name":"general.echo","parameters":"{\"id\":)" + std::to_string(i) +
                           R"(,\"path\":\"a/b.jpg\"}","success":"cb)" + std::to_string(i) +
                           R"(","failure":"cf)" + std::to_string(i) + R"("})";
      handler.userContentController(nlohmann::json::parse(posted));
      if (i % 1000 == 999) MainQueue::runUntilIdle();
    }
    MainQueue::runUntilIdle();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (page->statements != static_cast<size_t>(messages) * 3) {
      std::fprintf(stderr, "expected %d statements, saw %zu\n", messages * 3, page->statements);
      return 1;
    }
    rates.push_back(messages / seconds);
  }
  std::sort(rates.begin(), rates.end());
  std::printf("bridge round trips: %d messages x %d runs, median %.0f round trips/s (min %.0f, max %.0f)\n",
              messages, runs, rates[runs / 2], rates.front(), rates.back());
  return 0;
}
