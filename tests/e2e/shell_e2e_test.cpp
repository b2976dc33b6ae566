// Starts the real application (WebKitGTK under Xvfb) on a probe page that
// calls the bridge and posts what it saw to a loopback endpoint of this test.
#include "http/http_server.h"
#include "support/test_environment.h"
#include "support/tls_test_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

extern char** environ;

namespace atelier::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Collects the reports the probe page posts.
class ReportServer {
 public:
  ReportServer() {
    server_.addHandler([](const HttpRequest& request) { return request.path == "/report"; },
                       [this](std::shared_ptr<HttpRequest> request, HttpServer::Completion completion) {
                         {
                           std::lock_guard lock(mutex_);
                           reports_.push_back(nlohmann::json::parse(request->body.value_or("null"), nullptr, false));
                         }
                         arrived_.notify_all();
                         completion(HttpResponse::text("thanks"));
                       });
    port_ = server_.start(0).value();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/report"; }
  std::optional<nlohmann::json> wait(size_t count, std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [&] { return reports_.size() >= count; })) return std::nullopt;
    return reports_[count - 1];
  }

 private:
  HttpServer server_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<nlohmann::json> reports_;
};

class Application {
 public:
  Application(const fs::path& resources, const fs::path& pdf, std::optional<double> requestQuitAfter = std::nullopt,
              std::vector<std::string> extraEnvironment = {}) {
    std::string binary = ATELIER_BINARY;
    std::vector<std::string> arguments = {binary, "--resources=" + resources.string()};
    if (requestQuitAfter) {
      arguments.push_back("--request-quit-after");
      arguments.push_back(std::to_string(*requestQuitAfter));
    }
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // GTK, D-Bus and WebKit keep process-lifetime allocations: no leak report for the GUI.
    std::string sanitizer = "ASAN_OPTIONS=";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      std::string_view variable = *entry;
      if (variable.starts_with("ASAN_OPTIONS=")) {
        sanitizer = std::string(variable) + ":";
      } else {
        environment.emplace_back(variable);
      }
    }
    environment.push_back(sanitizer + "detect_leaks=0");
    environment.push_back("ATELIER_PRINT_TO_PDF=" + pdf.string());
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  }
  ~Application() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool running() const { return pid_ > 0; }
  // The exit status once it ended by itself (-1 when it did not in time).
  int waitForExit(std::chrono::seconds timeout) {
    for (auto deadline = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < deadline;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }
  // SIGTERM, then the exit status (-1 when it did not end in time).
  int terminate() {
    ::kill(pid_, SIGTERM);
    return waitForExit(std::chrono::seconds(10));
  }

 private:
  pid_t pid_ = -1;
};

// The application's resources with a probe page as the editor's start page.
fs::path probeResources(const std::string& reportURL, const std::string& page = "index.html",
                        const std::string& extraConfig = "") {
  auto resources = freshDirectory("e2e-resources");
  fs::copy(ATELIER_TEST_RESOURCES_DIR, resources, fs::copy_options::recursive);
  fs::copy_file(fs::path(ATELIER_E2E_PAGE_DIR) / page, resources / "sync/webapp/index.html",
                fs::copy_options::overwrite_existing);
  std::ofstream(resources / "sync/webapp/report-config.js")
      << "window.REPORT_URL = \"" << reportURL << "\";\n" << extraConfig;
  return resources;
}

TEST(ShellEndToEnd, PageTalksToNativeCodeAndKeepsItsOriginAcrossARestart) {
  ReportServer reports;
  auto resources = probeResources(reports.url());
  // The projects folder lives in the pictures folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_TRUE(config);
  std::ofstream(fs::path(config) / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n";

  std::optional<nlohmann::json> first, second;
  auto pdf = freshDirectory("print") / "page.pdf";
  {
    Application app(resources, pdf);
    ASSERT_TRUE(app.running());
    first = reports.wait(1, std::chrono::seconds(60));
    ASSERT_TRUE(first) << "no report from the first run";
    // window.print() → the notification → the page's document → a print web view → the PDF.
    for (int i = 0; i < 600 && !(fs::exists(pdf) && fs::file_size(pdf) > 0); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(app.terminate(), 0) << "SIGTERM ends the application cleanly";
  }
  ASSERT_TRUE(fs::exists(pdf)) << "nothing was printed";
  auto text = freshDirectory("print-text") / "page.txt";
  ASSERT_EQ(std::system(("pdftotext '" + pdf.string() + "' '" + text.string() + "'").c_str()), 0);
  std::ifstream printed(text);
  std::string printedText((std::istreambuf_iterator<char>(printed)), {});
  EXPECT_NE(printedText.find("reported and printed"), std::string::npos) << printedText;
  ASSERT_FALSE(first->contains("error")) << first->dump();
  const auto& values = (*first)["values"];
  const std::string origin = (*first)["origin"];
  EXPECT_EQ(values["shortVersion"], "1.0.0");
  EXPECT_EQ(values["buildNumber"], "1");
  EXPECT_EQ(values["os"], "osx");
  EXPECT_TRUE(values["locale"].is_string());
  EXPECT_EQ(values["getProxyURL"], origin + "/__tzr_proxy/") << "escaped slashes read back as plain ones";
  EXPECT_EQ((*first)["proxyURL"], values["getProxyURL"]);
  EXPECT_TRUE(values["isNetworkReachable"].is_boolean());
  EXPECT_TRUE(values["connectionType"].is_string());
  EXPECT_EQ(values["currentTimeStamp"], 0);
  EXPECT_EQ(values["canReadWriteProjectExports"], true);
  EXPECT_EQ(values["canReadWriteTalvoProjectExports"], true);
  EXPECT_EQ((*first)["printReplaced"], true);
  EXPECT_EQ((*first)["userAgent"], "tzrosx.default.org.atelier.Atelier/1.0.0.1");
  EXPECT_THAT(origin, ::testing::StartsWith("http://localhost:"));

  // A failure answer with its payload, then the removal of both ids.
  const auto& lock = (*first)["lock"];
  const std::string success = lock["message"]["success"], failure = lock["message"]["failure"];
  EXPECT_EQ(lock["message"]["name"], "orientation.lock");
  EXPECT_EQ(lock["message"]["parameters"], "\"portrait\"");
  EXPECT_EQ(lock["events"], nlohmann::json::parse(R"([["callBackWithID",")" + failure + R"(",1],)"
                                                  R"(["removeCallBackWithID",")" + success + R"("],)"
                                                  R"(["removeCallBackWithID",")" + failure + R"("]])"));
  // The page's own requests through the native proxy and the data route.
  EXPECT_EQ((*first)["saved"], "/e2e/probe.tzp");
  EXPECT_EQ((*first)["listing"], R"({"files":["probe.tzp"]})");
  EXPECT_EQ((*first)["data"]["title"], "Demo photo book");
  EXPECT_EQ((*first)["notificationCallbacks"], 2);
  EXPECT_TRUE(fs::exists(fs::path(std::getenv("HOME")) / "Pictures/Atelier/e2e/probe.tzp"));

  // An unknown function: only the removals.
  const auto& unknown = (*first)["unknown"];
  EXPECT_EQ(unknown["events"].size(), 2u);
  for (const auto& event : unknown["events"]) EXPECT_EQ(event[0], "removeCallBackWithID");

  {
    Application app(resources, freshDirectory("print-again") / "page.pdf");
    second = reports.wait(2, std::chrono::seconds(60));
    ASSERT_TRUE(second) << "no report from the second run";
    EXPECT_EQ(app.terminate(), 0);
  }
  EXPECT_EQ((*second)["origin"], origin) << "the remembered port keeps the page's origin";

  // A quit request asks both close handlers; the application ends only when the page agrees.
  {
    Application app(resources, freshDirectory("print-third") / "page.pdf", /*requestQuitAfter=*/3.0);  // after the page registered its handlers
    ASSERT_TRUE(reports.wait(3, std::chrono::seconds(60))) << "no report from the third run";
    auto closing = reports.wait(4, std::chrono::seconds(30));
    ASSERT_TRUE(closing) << "the close handlers were not called";
    auto asked = (*closing)["closeHandlers"].get<std::vector<int>>();
    std::sort(asked.begin(), asked.end());  // the coordinator's table order, not registration order
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(app.waitForExit(std::chrono::seconds(30)), 0) << "closeApplication ends the application";
  }
  EXPECT_EQ((*second)["previousRun"], "stored by " + origin) << "and with it the page's local storage";
}

// The service's pages for modal web views, on 127.0.0.1: the cookie domain of
// the bundled preferences, which the editor's origin (localhost) is not.
class ServicePages {
 public:
  ServicePages() {
    server_.addHandler([](const HttpRequest&) { return true; },
                       [this](std::shared_ptr<HttpRequest> request, HttpServer::Completion completion) {
                         {
                           std::lock_guard lock(mutex_);
                           seen_.emplace_back(request->path, request->header("Cookie").value_or(""));
                         }
                         completion(answer(request->path));
                       });
    port_ = server_.start(0).value();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::vector<std::pair<std::string, std::string>> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  HttpResponse answer(const std::string& path) const {
    if (path == "/login") {
      auto redirect = HttpResponse::text("", 302);
      redirect.setHeader("Location", "/done?token=42");
      return redirect;
    }
    if (path == "/done") {
      // Never shown: the match cancels it, so this script never asks for /shown.
      auto page = HttpResponse::text("<script>fetch('/shown')</script>signed in");
      page.setContentType("text/html");
      return page;
    }
    if (path == "/missing") return HttpResponse::text("not here", 404);
    auto page = HttpResponse::text("<p>a page of the service</p>");
    page.setContentType("text/html");
    return page;
  }

  HttpServer server_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> seen_;
};

TEST(ShellEndToEnd, ModalWebViewsOnTheServicePages) {
  ReportServer reports;
  ServicePages service;
  TlsTestServer remote([](const SeenRequest&) {
    return TestReply{200, {{"Set-Cookie", "session=s3cr3t; Path=/account; Domain=127.0.0.1; Secure; HttpOnly"}}, "set"};
  });
  auto resources = probeResources(reports.url(), "modal.html",
                                  "window.SERVICE_URL = \"" + service.url() + "\";\nwindow.TLS_URL = \"https://127.0.0.1:" +
                                      std::to_string(remote.port()) + "/\";\n");
  Application app(resources, freshDirectory("modal-print") / "page.pdf", std::nullopt,
                  {"ATELIER_CA_BUNDLE=" + remote.caFile().string()});
  ASSERT_TRUE(app.running());
  auto report = reports.wait(1, std::chrono::seconds(90));
  ASSERT_TRUE(report) << "no report from the modal probe";
  ASSERT_FALSE(report->contains("error")) << report->dump();
  EXPECT_EQ((*report)["cookieSet"], "set");
  EXPECT_EQ((*report)["match"], nlohmann::json({{"value", service.url() + "done?token=42"}}))
      << "the matched final address, as a string";
  EXPECT_EQ((*report)["missing"], nlohmann::json({{"failure", 305}})) << "cancelled, open until closed";
  EXPECT_EQ((*report)["closed"], nlohmann::json({{"failure", 301}}));

  auto seen = service.seen();
  auto login = std::find_if(seen.begin(), seen.end(), [](const auto& entry) { return entry.first == "/login"; });
  ASSERT_NE(login, seen.end());
  EXPECT_THAT(login->second, ::testing::HasSubstr("session=s3cr3t"))
      << "the cookie the proxy stored for the editor's origin reached the service's domain";
  EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const auto& entry) { return entry.first == "/shown"; }))
      << "the matching page was never shown";
  EXPECT_EQ(app.terminate(), 0);
}

}  // namespace
}  // namespace atelier::test
