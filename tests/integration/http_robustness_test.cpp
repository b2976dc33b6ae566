#include "core/main_queue.h"
#include "integration/proxy_fixture.h"

#include <atomic>
#include <future>
#include <thread>

namespace atelier::test {
namespace {

TEST_F(ProxyTest, BadRequestsGetAClearStatusAndTheServerGoesOn) {
  start();
  const auto p = port();
  struct Case {
    std::string name;
    std::string bytes;
    int status;
  };
  const std::vector<Case> cases = {
      {"garbage request line", "HELLO\r\n\r\n", 400},
      {"no version", "GET /_webapp/index.html\r\n\r\n", 400},
      {"oversized header", requestText("GET", "/_webapp/index.html", p, "X-Big: " + std::string(64 * 1024, 'a') + "\r\n"), 431},
      {"parent reference", requestText("GET", "/_webapp/../../etc/passwd", p), 403},
      {"encoded parent reference", requestText("GET", "/_webapp/%2e%2e/%2e%2e/etc/passwd", p), 403},
      {"encoded separator", requestText("GET", "/_webapp/css%2Fsite.css", p), 200},
      {"encoded NUL", requestText("GET", "/_webapp/index.html%00.png", p), 400},
      {"broken escape", requestText("GET", "/_webapp/%zz", p), 400},
      {"absolute-form target", "GET http://evil.example/ HTTP/1.1\r\nHost: localhost:" + std::to_string(p) + "\r\n\r\n", 400},
      {"bad content length", requestText("POST", "/_webapp/x", p, "Content-Length: abc\r\n"), 400},
  };
  for (const auto& c : cases) {
    auto response = exchange(p, c.bytes);
    ASSERT_TRUE(response) << c.name;
    EXPECT_EQ(response->status, c.status) << c.name;
  }

  // A body that never arrives in full: the client gives up, the server stays.
  {
    RawConnection connection(p);
    connection.send(requestText("POST", "/_webapp/x", p, "Content-Type: text/plain\r\nContent-Length: 100\r\n") + "0123");
    connection.shutdownWrite();
  }
  EXPECT_EQ(get("/_webapp/index.html")->status, 200);

  // Clients that hang up in the middle of a large file.
  for (int i = 0; i < 20; ++i) {
    RawConnection connection(p);
    connection.send(requestText("GET", "/_webapp/data.bin", p));
  }
  EXPECT_EQ(get("/_webapp/data.bin")->body.size(), 100000u);
}

TEST_F(ProxyTest, OversizedBodiesAreRefused) {
  HttpServerOptions options;
  options.bodyLimit = 1024;
  start(options);
  auto response = exchange(port(), requestText("POST", "/_webapp/x", port(), "Content-Type: text/plain\r\n",
                                               std::string(4096, 'b')));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 413);
}

TEST_F(ProxyTest, HandlerThatNeverAnswersTimesOutWith504) {
  HttpServerOptions options;
  options.handlerTimeout = 0.3;
  auto& server = start(options);
  std::shared_ptr<ResponseHandler> forgotten;
  server.registerRoute("_slow", [&](auto, auto, auto, std::shared_ptr<ResponseHandler> handler) { forgotten = handler; });
  LogCapture log;
  auto response = get("/_slow/x");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 504);
  EXPECT_EQ(log.texts(), (std::vector<std::string>{"No answer in time for GET /_slow/x"}));
  // A late answer is ignored and harms nothing.
  forgotten->complete(HttpResponse::text("late"));
  EXPECT_EQ(get("/_webapp/index.html")->status, 200);
}

TEST_F(ProxyTest, ManyKeepAliveConnectionsAndPipelinedRequests) {
  start();
  const auto p = port();
  auto future = std::async(std::launch::async, [p] {
    std::vector<std::thread> clients;
    std::atomic<int> ok{0};
    for (int c = 0; c < 32; ++c) {
      clients.emplace_back([&, p] {
        RawConnection connection(p);
        // Three requests in one write: answered in order on one connection.
        for (int round = 0; round < 5; ++round) {
          connection.send(requestText("GET", "/_webapp/index.html", p) + requestText("GET", "/_webapp/css/site.css", p) +
                          requestText("GET", "/_webapp/data.bin", p, "Range: bytes=0-9\r\n"));
          auto first = connection.readResponse();
          auto second = connection.readResponse();
          auto third = connection.readResponse();
          if (first && first->status == 200 && first->header("content-type") == "text/html" && second &&
              second->header("content-type") == "text/css" && third && third->status == 206 &&
              third->body.size() == 10) {
            ++ok;
          }
        }
      });
    }
    for (auto& client : clients) client.join();
    return ok.load();
  });
  EXPECT_EQ(future.get(), 32 * 5);
}

}  // namespace
}  // namespace atelier::test
