#include "http/http_client.h"

#include "core/app_paths.h"
#include "core/logging.h"
#include "core/main_queue.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <strings.h>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace atelier {
namespace {

struct Transfer {
  uint64_t id = 0;
  HttpClientRequest request;
  HttpClient::Completion completion;
  HttpClient::Progress progress;
  CURL* easy = nullptr;
  curl_slist* headerList = nullptr;
  HttpClientResponse response;
  bool cancelled = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->response.body.append(data, size * count);
  return size * count;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto& response = static_cast<Transfer*>(user)->response;
  std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    response.headers.clear();  // a new response (redirect, 100-continue)
  } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
    auto value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) value.remove_suffix(1);
    response.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
  }
  return size * count;
}

int onProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->cancelled) return 1;
  if (transfer->progress) {
    MainQueue::post([progress = transfer->progress, received, total] { progress(received, total); });
  }
  return 0;
}

}  // namespace

struct HttpClient::Impl {
  CURLM* multi = nullptr;
  CURLSH* share = nullptr;
  std::mutex shareMutex;  // the cookie engine is shared across transfers
  std::optional<std::filesystem::path> cookieJar;
  bool cookiesLoaded = false;

  std::mutex mutex;
  std::vector<std::unique_ptr<Transfer>> incoming;
  std::vector<uint64_t> cancellations;
  std::vector<std::pair<std::string, std::optional<std::string>>> cookieRemovals;
  std::map<uint64_t, std::unique_ptr<Transfer>> running;
  std::atomic<uint64_t> nextId{1};
  std::atomic<bool> stopping{false};
  std::thread worker;

  void start(std::unique_ptr<Transfer> transfer);
  void writeCookieJar(CURL* easy);
  void removeCookies(const std::string& host, const std::optional<std::string>& name);
  void finish(CURL* easy, CURLcode result);
  void loop();
};

HttpClient& HttpClient::shared() {
  static auto* client = new HttpClient(AppPaths::dataDirectory() / "cookies.txt");
  return *client;
}

HttpClient::HttpClient(std::optional<std::filesystem::path> cookieJar) : impl_(std::make_unique<Impl>()) {
  static std::once_flag global;
  std::call_once(global, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  auto& impl = *impl_;
  impl.cookieJar = std::move(cookieJar);
  impl.multi = curl_multi_init();
  impl.share = curl_share_init();
  curl_share_setopt(impl.share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  curl_share_setopt(impl.share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  curl_share_setopt(impl.share, CURLSHOPT_USERDATA, &impl.shareMutex);
  curl_share_setopt(impl.share, CURLSHOPT_LOCKFUNC, +[](CURL*, curl_lock_data, curl_lock_access, void* mutex) {
    static_cast<std::mutex*>(mutex)->lock();
  });
  curl_share_setopt(impl.share, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data, void* mutex) {
    static_cast<std::mutex*>(mutex)->unlock();
  });
  impl.worker = std::thread([&impl] { impl.loop(); });
}

HttpClient::~HttpClient() {
  impl_->stopping = true;
  curl_multi_wakeup(impl_->multi);
  impl_->worker.join();
  curl_multi_cleanup(impl_->multi);
  curl_share_cleanup(impl_->share);
}

uint64_t HttpClient::perform(HttpClientRequest request, Completion completion, Progress progress) {
  auto transfer = std::make_unique<Transfer>();
  transfer->id = impl_->nextId++;
  transfer->request = std::move(request);
  transfer->completion = std::move(completion);
  transfer->progress = std::move(progress);
  auto id = transfer->id;
  {
    std::lock_guard lock(impl_->mutex);
    impl_->incoming.push_back(std::move(transfer));
  }
  curl_multi_wakeup(impl_->multi);
  return id;
}

void HttpClient::cancel(uint64_t id) {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->cancellations.push_back(id);
  }
  curl_multi_wakeup(impl_->multi);
}

void HttpClient::removeCookies(const std::string& host, std::optional<std::string> name) {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->cookieRemovals.emplace_back(host, std::move(name));
  }
  curl_multi_wakeup(impl_->multi);
}

void HttpClient::Impl::start(std::unique_ptr<Transfer> transfer) {
  CURL* easy = curl_easy_init();
  auto& request = transfer->request;
  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_SHARE, share);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");  // bodies arrive decoded
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutSeconds * 1000));
  curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  if (request.method == "HEAD") curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  if (request.body) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body->data());
  }
  if (const char* authorities = std::getenv("ATELIER_CA_BUNDLE"); authorities && *authorities) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, authorities);
  }
  if (cookieJar) {
    // Read the jar once; every later transfer sees the shared engine.
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, cookiesLoaded ? "" : cookieJar->c_str());
    cookiesLoaded = true;
  } else {
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
  }
  for (const auto& [name, value] : request.headers) {
    auto line = name + (value.empty() ? ";" : ": " + value);
    transfer->headerList = curl_slist_append(transfer->headerList, line.c_str());
  }
  if (!request.body) transfer->headerList = curl_slist_append(transfer->headerList, "Expect:");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headerList);
  transfer->easy = easy;
  curl_multi_add_handle(multi, easy);
  running.emplace(transfer->id, std::move(transfer));
}

void HttpClient::Impl::finish(CURL* easy, CURLcode result) {
  Transfer* raw = nullptr;
  curl_easy_getinfo(easy, CURLINFO_PRIVATE, &raw);
  auto node = running.extract(raw->id);
  auto transfer = std::move(node.mapped());
  curl_multi_remove_handle(multi, easy);
  // The jar is written only when an answer brought cookies.
  bool setsCookies = std::any_of(transfer->response.headers.begin(), transfer->response.headers.end(),
                                 [](const auto& header) { return ::strcasecmp(header.first.c_str(), "Set-Cookie") == 0; });
  if (setsCookies) writeCookieJar(easy);

  std::expected<HttpClientResponse, std::string> outcome;
  if (transfer->cancelled) {
    outcome = std::unexpected(std::string("cancelled"));
  } else if (result != CURLE_OK) {
    outcome = std::unexpected(std::string(curl_easy_strerror(result)));
  } else {
    auto& response = transfer->response;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.statusCode);
    char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    response.url = effective ? effective : transfer->request.url;
    char* type = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
    std::string mime = type ? type : "";
    response.mimeType = mime.substr(0, mime.find(';'));
    while (!response.mimeType.empty() && response.mimeType.back() == ' ') response.mimeType.pop_back();
    outcome = std::move(response);
  }
  curl_slist_free_all(transfer->headerList);
  curl_easy_cleanup(easy);
  MainQueue::post([completion = std::move(transfer->completion), outcome = std::move(outcome)]() mutable {
    if (completion) completion(std::move(outcome));
  });
}

void HttpClient::Impl::writeCookieJar(CURL* easy) {
  if (!cookieJar) return;
  // Named only for this write: libcurl would otherwise write the jar at every cleanup.
  curl_easy_setopt(easy, CURLOPT_COOKIEJAR, cookieJar->c_str());
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "FLUSH");
  curl_easy_setopt(easy, CURLOPT_COOKIEJAR, nullptr);
}

void HttpClient::Impl::removeCookies(const std::string& host, const std::optional<std::string>& name) {
  // The engine has no removal by host: every other cookie is put back.
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_SHARE, share);
  curl_slist* cookies = nullptr;
  curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &cookies);
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
  for (curl_slist* item = cookies; item; item = item->next) {
    // Netscape format: domain, subdomains flag, path, secure, expiry, name, value.
    std::string line = item->data;
    std::vector<std::string> fields;
    for (size_t start = 0, tab; start <= line.size(); start = tab + 1) {
      tab = line.find('\t', start);
      if (tab == std::string::npos) tab = line.size();
      fields.push_back(line.substr(start, tab - start));
    }
    std::string domain = fields[0];
    if (domain.starts_with("#HttpOnly_")) domain = domain.substr(10);
    while (domain.starts_with('.')) domain = domain.substr(1);
    bool sentToHost = host == domain || host.ends_with("." + domain);
    bool named = !name || (fields.size() > 5 && fields[5] == *name);
    if (!(sentToHost && named)) curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
  }
  curl_slist_free_all(cookies);
  writeCookieJar(easy);
  curl_easy_cleanup(easy);
}

void HttpClient::Impl::loop() {
  while (!stopping) {
    std::vector<std::unique_ptr<Transfer>> arrived;
    std::vector<uint64_t> cancelled;
    std::vector<std::pair<std::string, std::optional<std::string>>> removals;
    {
      std::lock_guard lock(mutex);
      arrived.swap(incoming);
      cancelled.swap(cancellations);
      removals.swap(cookieRemovals);
    }
    for (auto& transfer : arrived) start(std::move(transfer));
    for (auto id : cancelled) {
      if (auto found = running.find(id); found != running.end()) found->second->cancelled = true;
    }
    for (const auto& [host, name] : removals) removeCookies(host, name);
    int active = 0;
    curl_multi_perform(multi, &active);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE) finish(message->easy_handle, message->data.result);
    }
    curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  for (auto& [id, transfer] : running) {
    curl_multi_remove_handle(multi, transfer->easy);
    curl_slist_free_all(transfer->headerList);
    curl_easy_cleanup(transfer->easy);
  }
  running.clear();
}

}  // namespace atelier
