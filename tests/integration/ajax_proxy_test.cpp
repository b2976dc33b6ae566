#include "core/main_queue.h"
#include "integration/proxy_fixture.h"
#include "serving/ajax_proxy.h"
#include "serving/load_save_module_web_object.h"
#include "support/tls_test_server.h"

#include <gmock/gmock.h>
#include <zlib.h>

#include <cstdlib>

namespace atelier::test {
namespace {

using ::testing::ElementsAre;

std::string gzipped(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(text.size() + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

class AjaxProxyTest : public ProxyTest {
 protected:
  void SetUp() override {
    ProxyTest::SetUp();
    ::setenv("ATELIER_CA_BUNDLE", target.caFile().c_str(), 1);
    auto& server = start();
    auto custom = std::make_shared<CustomURLHandler>();
    custom->handlers["container.projects"] = std::make_shared<LoadSaveModuleWebObject>(projects);
    ajax = AjaxProxy::create(server, client, custom);
  }
  void TearDown() override {
    ::unsetenv("ATELIER_CA_BUNDLE");
    ProxyTest::TearDown();
  }
  std::string proxied(const std::string& rest) const {
    return "/__tzr_proxy/localhost:" + std::to_string(target.port()) + rest;
  }

  TlsTestServer target{[](const SeenRequest& request) -> TestReply {
    if (request.target.starts_with("/fail")) return {500, {{"Content-Type", "text/plain"}}, "it broke"};
    return {201,
            {{"Content-Type", "application/json; charset=utf-8"},
             {"Content-Encoding", "gzip"},
             {"X-Target", "yes"},
             {"Set-Cookie", "sid=abc; Domain=localhost; Path=/api; Secure; HttpOnly; Expires=Wed, 21 Oct 2037 07:28:00 GMT"},
             {"Set-Cookie", "plain=1"}},
            gzipped(R"({"ok":true})")};
  }};
  HttpClient client{std::nullopt};
  std::filesystem::path projects = freshDirectory("ajax-projects");
  std::shared_ptr<AjaxProxy> ajax;
};

TEST_F(AjaxProxyTest, ForwardsOverHttpsAndRewritesTheAnswer) {
  auto response = exchange(port(), requestText("POST", proxied("/v1/items?x=1"), port(),
                                               "Content-Type: application/json\r\nX-Test: t\r\n"
                                               "User-Agent: PageAgent\r\n__tzr_proxy: 1\r\n",
                                               R"({"name":"a"})"));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 201);
  EXPECT_EQ(response->body, R"({"ok":true})") << "decoded";
  EXPECT_FALSE(response->header("content-encoding"));
  EXPECT_EQ(response->header("x-target"), "yes");
  EXPECT_EQ(response->header("content-type"), "application/json; charset=utf-8");
  EXPECT_EQ(response->header("access-control-allow-origin"), "http://localhost:8080");
  EXPECT_EQ(response->header("set-cookie"),
            "sid=abc; Path=/; HttpOnly; Expires=Wed, 21 Oct 2037 07:28:00 UTC, plain=1; Path=/");

  auto seen = target.requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].target, "/v1/items?x=1");
  EXPECT_EQ(seen[0].body, R"({"name":"a"})");
  EXPECT_EQ(seen[0].headers["x-test"], "t");
  EXPECT_EQ(seen[0].headers["user-agent"], "PageAgent " + AppInfo::userAgent());
  EXPECT_FALSE(seen[0].headers.contains("__tzr_proxy"));
  EXPECT_EQ(seen[0].headers["host"], "localhost:" + std::to_string(target.port()));
}

TEST_F(AjaxProxyTest, UserAgentRuleErrorsAndUnreachableTargets) {
  exchange(port(), requestText("GET", proxied("/a"), port(), "User-Agent: X " + AppInfo::userAgent() + "\r\n"));
  exchange(port(), requestText("GET", proxied("/b"), port()));
  auto seen = target.requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].headers["user-agent"], "X " + AppInfo::userAgent()) << "already ends with it";
  EXPECT_EQ(seen[1].headers["user-agent"], AppInfo::userAgent()) << "a blank and the agent (trimmed on the wire)";

  auto failed = exchange(port(), requestText("GET", proxied("/fail"), port()));
  EXPECT_EQ(failed->status, 500);
  EXPECT_EQ(failed->body, "it broke");

  LogCapture log;
  auto closed = exchange(port(), requestText("GET", "/__tzr_proxy/127.0.0.1:1/x", port()));
  EXPECT_EQ(closed->status, 502);
  EXPECT_TRUE(log.contains("Invlaid headers"));
  EXPECT_EQ(exchange(port(), requestText("GET", "/__tzr_proxy", port()))->body, "Missing Original URL");
  EXPECT_EQ(exchange(port(), requestText("GET", "/__tzr_proxy/", port()))->status, 404);
}

TEST_F(AjaxProxyTest, CookiesOfNativeRequestsAreSharedAndKept) {
  auto jar = freshDirectory("jar") / "cookies.txt";
  auto fetch = [&](HttpClient& native, const std::string& path) {
    bool done = false;
    native.perform({"GET", "https://localhost:" + std::to_string(target.port()) + path, {}, std::nullopt, 10},
                   [&](auto) { done = true; });
    ASSERT_TRUE(MainQueue::runUntil([&] { return done; }, 20));
  };
  {
    HttpClient first(jar);
    fetch(first, "/sets-cookies");
    fetch(first, "/same-client");
  }
  EXPECT_TRUE(std::filesystem::exists(jar));
  HttpClient second(jar);
  fetch(second, "/next-run");
  auto seen = target.requests();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen[0].headers.contains("cookie"));
  EXPECT_EQ(seen[1].headers["cookie"], "plain=1");
  EXPECT_EQ(seen[2].headers["cookie"], "plain=1") << "read back from the jar";
  second.removeCookies("localhost");
  fetch(second, "/after-removal");
  EXPECT_FALSE(target.requests()[3].headers.contains("cookie"));
}

TEST_F(AjaxProxyTest, ReservedHostsNeverLeaveTheMachine) {
  auto saved = exchange(port(), requestText("POST", "/__tzr_proxy/container.projects/p/one.tzp", port(),
                                            "Content-Type: application/octet-stream\r\n", "project"));
  EXPECT_EQ(saved->status, 200);
  EXPECT_EQ(saved->body, "/p/one.tzp");
  auto listing = exchange(port(), requestText("GET", "/__tzr_proxy/container.projects/p/", port()));
  EXPECT_EQ(listing->body, R"({"files":["one.tzp"]})");
  auto withoutBody = exchange(port(), requestText("POST", "/__tzr_proxy/container.projects/p/two.tzp", port()));
  EXPECT_EQ(withoutBody->body, "Body empty") << "a request without body headers carries no body";
  EXPECT_TRUE(target.requests().empty());
}

}  // namespace
}  // namespace atelier::test
