#include "core/app_paths.h"
#include "core/main_queue.h"
#include "http/file_access_policy.h"
#include "http/local_url.h"
#include "integration/proxy_fixture.h"
#include "serving/local_storage_controller.h"
#include "storage/file_system_storage.h"

#include <gmock/gmock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;

std::string fixture(const std::string& relative) {
  std::ifstream in(fs::path(ATELIER_TEST_FIXTURES_DIR) / "testFiles/webapp" / relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(ProxyTest, ServesTheWebApplicationWithoutCrossOriginHeaders) {
  start();
  auto response = get("/_webapp/index.html");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body, fixture("index.html"));
  EXPECT_EQ(response->header("content-type"), "text/html");
  EXPECT_EQ(response->header("cache-control"), "no-cache");
  EXPECT_FALSE(response->header("access-control-allow-origin"));

  EXPECT_EQ(get("/_webapp/css/site.css")->header("content-type"), "text/css");
  EXPECT_EQ(get("/_webapp/")->status, 404) << "no index file, no listing";
  EXPECT_EQ(get("/_webapp/missing.js")->status, 404);
  EXPECT_EQ(exchange(port(), requestText("POST", "/_webapp/index.html", port(), "", "x"))->status, 404);
  // HEAD is not GET: no handler takes it.
  EXPECT_EQ(exchange(port(), requestText("HEAD", "/_webapp/index.html", port()))->status, 404);
}

TEST_F(ProxyTest, AnswersSingleByteRangesAndConditionalRequests) {
  start();
  const auto data = fixture("data.bin");
  const auto size = std::to_string(data.size());
  struct Case {
    std::string range;
    int status;
    std::string body;
    std::optional<std::string> contentRange;
  };
  const std::vector<Case> cases = {
      {"bytes=0-4", 206, data.substr(0, 5), "bytes 0-4/" + size},
      {"bytes=99990-", 206, data.substr(99990), "bytes 99990-99999/" + size},
      {"bytes=-3", 206, data.substr(data.size() - 3), "bytes 99997-99999/" + size},
      {"bytes=10-5000000", 206, data.substr(10), "bytes 10-99999/" + size},
      {"bytes=100000-", 416, "", "bytes */" + size},
      {"bytes=99999999999999999999-", 200, data, std::nullopt},  // not a number: ignored
      {"bytes=0-1,5-6", 200, data, std::nullopt},
      {"lines=1-2", 200, data, std::nullopt},
      {"bytes=5-1", 200, data, std::nullopt},
  };
  for (const auto& c : cases) {
    auto response = get("/_webapp/data.bin", "Range: " + c.range + "\r\n");
    ASSERT_TRUE(response) << c.range;
    EXPECT_EQ(response->status, c.status) << c.range;
    EXPECT_EQ(response->body == c.body, true) << c.range;
    EXPECT_EQ(response->header("content-range"), c.contentRange) << c.range;
  }

  auto first = get("/_webapp/data.bin");
  auto etag = first->header("etag").value();
  auto modified = first->header("last-modified").value();
  auto unchanged = get("/_webapp/data.bin", "If-None-Match: " + etag + "\r\n");
  EXPECT_EQ(unchanged->status, 304);
  EXPECT_TRUE(unchanged->body.empty());
  EXPECT_EQ(get("/_webapp/data.bin", "If-Modified-Since: " + modified + "\r\n")->status, 304);
  EXPECT_EQ(get("/_webapp/data.bin", "If-None-Match: \"other\"\r\n")->status, 200);
  EXPECT_EQ(get("/_webapp/data.bin", "If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT\r\n")->status, 200);
}

TEST_F(ProxyTest, RoutesGoToTheirHandlerOnTheMainThreadWithTheRemainingPath) {
  auto& server = start();
  struct Seen {
    std::string path;
    bool onMain;
    std::optional<std::string> body;
    std::string header;
  };
  std::vector<Seen> seen;
  server.registerRoute("_data", [&](std::shared_ptr<HttpRequest> request, std::string remaining, HeaderTable headers,
                                   std::shared_ptr<ResponseHandler> responseHandler) {
    seen.push_back({remaining, MainQueue::isMainThread(), request->body, headers["X-Probe"]});
    responseHandler->addHeader("X-Added", "one");
    responseHandler->addHeader("X-Added", "two");
    // Completed later, from another thread.
    std::thread([responseHandler] { responseHandler->complete(HttpResponse::text("ok")); }).detach();
  });

  auto response = get("/_data/a/b%20c.json?x=1", "X-Probe: p\r\n");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body, "ok");
  EXPECT_EQ(response->header("x-added"), "one, two");
  EXPECT_EQ(response->header("access-control-allow-credentials"), "true");
  EXPECT_EQ(response->header("access-control-allow-origin"), "http://localhost:8080");

  get("/_data");
  exchange(port(), requestText("POST", "/_data/post", port(), "Content-Type: application/json\r\n", "{\"a\":1}"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].path, "/a/b c.json");
  EXPECT_TRUE(seen[0].onMain);
  EXPECT_EQ(seen[0].header, "p");
  EXPECT_FALSE(seen[0].body.has_value()) << "a GET without body headers carries none";
  EXPECT_EQ(seen[1].path, "");
  EXPECT_EQ(seen[2].body, "{\"a\":1}");

  EXPECT_EQ(get("/_unknown/x")->status, 404);
  EXPECT_EQ(get("/")->status, 404);
}

TEST_F(ProxyTest, DataRouteReadsTheLayeredStorage) {
  auto& server = start();
  auto files = std::make_shared<FileSystemStorage>(FileSystemStorage::AtDirectory{freshDirectory("data-route")}, false);
  ASSERT_TRUE(files->createFile("font bytes", "fonts/a.woff", false));
  auto controller = LocalStorageController::create(
      server, std::make_shared<MultiLevelFileStorage>(std::vector<std::shared_ptr<FileStorageProtocol>>{files}));
  auto found = get("/_data/fonts/a.woff");
  EXPECT_EQ(found->status, 200);
  EXPECT_EQ(found->body, "font bytes");
  EXPECT_EQ(found->header("access-control-allow-origin"), "http://localhost:8080");
  auto missing = get("/_data/fonts/none.woff");
  EXPECT_EQ(missing->status, 404);
  EXPECT_EQ(missing->header("x-storage-error"), "100");
  EXPECT_EQ(get("/_data/a..b/x")->status, 400);
}

TEST_F(ProxyTest, FileRouteServesOnlyPermittedFiles) {
  start();
  FileAccessPolicy::resetForTesting();
  auto mine = AppPaths::temporaryDirectory() / "a b.png";
  std::ofstream(mine) << "rendition";
  auto address = LocalURL::fromPath(mine).encoded();
  EXPECT_EQ(address, "http://localhost:" + std::to_string(port()) + "/_file" +
                         LocalURL::fromPath(mine).url.substr(std::string("file://").size()));
  EXPECT_NE(address.find("a%20b.png"), std::string::npos);

  auto target = address.substr(address.find("/_file"));
  auto response = get(target);
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body, "rendition");
  EXPECT_EQ(response->header("content-type"), "image/png");
  EXPECT_EQ(response->header("access-control-allow-origin"), "http://localhost:8080");

  // Outside every permitted root, or escaping one through "..", or missing.
  auto elsewhere = freshDirectory("elsewhere") / "secret.txt";
  std::ofstream(elsewhere) << "secret";
  LogCapture log;
  const std::vector<std::string> refusedPaths = {
      elsewhere.string(), "/etc/passwd",
      (AppPaths::temporaryDirectory() / "../../../").string() + elsewhere.relative_path().string(),
      (AppPaths::temporaryDirectory() / "missing.png").string()};
  for (const auto& path : refusedPaths) {
    auto refused = get("/_file" + path);
    EXPECT_EQ(refused->status, 404) << path;
    EXPECT_EQ(refused->body, "Not Found");
  }
  EXPECT_EQ(log.texts().size(), 4u);

  // A folder the user chose becomes servable.
  FileAccessPolicy::allow(elsewhere.parent_path());
  EXPECT_EQ(get("/_file" + elsewhere.string())->body, "secret");
  FileAccessPolicy::resetForTesting();
}

TEST_F(ProxyTest, RequestsForOtherHostsAreRefused) {
  start();
  const auto p = std::to_string(port());
  struct Case {
    std::string host;
    int status;
  };
  for (const auto& c : std::vector<Case>{{"localhost:" + p, 200},
                                         {"127.0.0.1:" + p, 200},
                                         {"[::1]:" + p, 200},
                                         {"evil.example:" + p, 403},
                                         {"localhost", 403},
                                         {"localhost:1", 403},
                                         {"localhost.evil.example:" + p, 403}}) {
    auto request = "GET /_webapp/index.html HTTP/1.1\r\nHost: " + c.host + "\r\n\r\n";
    EXPECT_EQ(exchange(port(), request)->status, c.status) << c.host;
  }
  EXPECT_EQ(exchange(port(), "GET /_webapp/index.html HTTP/1.0\r\n\r\n")->status, 403);
  // ::1 listens on the same port.
  EXPECT_EQ(exchange(port(), requestText("GET", "/_webapp/index.html", port()), /*ipv6=*/true)->status, 200);
}

class RecordingCleaner : public WebsiteDataCleaner {
 public:
  void cleanWebviewCache() override { ++cacheCleanings; }
  void removeAllWebsiteData() override { ++removals; }
  int cacheCleanings = 0;
  int removals = 0;
};

TEST_F(ProxyTest, PortIsRememberedAndReplacedWhenTaken) {
  auto cleaner = std::make_shared<RecordingCleaner>();
  RequestProxy::setWebsiteDataCleaner(cleaner);

  auto first = start().port();
  ASSERT_NE(first, 0);
  EXPECT_EQ(settings->storage().integerForKey("TzProxyPort"), first);
  proxy.reset();
  EXPECT_EQ(start().port(), first) << "the next start asks for the same port";
  EXPECT_EQ(cleaner->removals, 0);
  proxy.reset();

  // Another program holds the remembered port now.
  int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(first);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::listen(blocker, 1);

  LogCapture log;
  auto second = start().port();
  ::close(blocker);
  EXPECT_NE(second, first);
  EXPECT_NE(second, 0);
  EXPECT_EQ(settings->storage().integerForKey("TzProxyPort"), second);
  EXPECT_EQ(cleaner->removals, 1);
  EXPECT_EQ(cleaner->cacheCleanings, 4);
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_THAT(log.texts()[0], ::testing::StartsWith("Could not start local webserver! "));
  EXPECT_STREQ(log.lines()[0].function, "createWebserver()");
  EXPECT_EQ(get("/_webapp/index.html")->status, 200);
  RequestProxy::setWebsiteDataCleaner(nullptr);
}

}  // namespace
}  // namespace atelier::test
