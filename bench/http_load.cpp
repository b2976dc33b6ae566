// A small load client on libcurl: CONNECTIONS transfers kept busy for SECONDS
// against one URL (keep-alive), printing requests/s and the 99th percentile.
//   bench_http_load URL CONNECTIONS SECONDS [CA_FILE]
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
size_t discard(char*, size_t size, size_t count, void*) { return size * count; }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s URL CONNECTIONS SECONDS [CA_FILE]\n", argv[0]);
    return 2;
  }
  const char* url = argv[1];
  int connections = std::atoi(argv[2]);
  double seconds = std::atof(argv[3]);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURLM* multi = curl_multi_init();
  std::vector<CURL*> handles;
  std::vector<Clock::time_point> started(static_cast<size_t>(connections));
  for (int i = 0; i < connections; ++i) {
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    if (argc > 4) curl_easy_setopt(easy, CURLOPT_CAINFO, argv[4]);
    handles.push_back(easy);
    started[static_cast<size_t>(i)] = Clock::now();
    curl_multi_add_handle(multi, easy);
  }
  std::vector<double> latencies;
  long failures = 0;
  auto end = Clock::now() + std::chrono::duration<double>(seconds);
  auto begin = Clock::now();
  int running = connections;
  while (running > 0) {
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* easy = message->easy_handle;
      void* slot = nullptr;
      curl_easy_getinfo(easy, CURLINFO_PRIVATE, &slot);
      auto index = static_cast<size_t>(reinterpret_cast<intptr_t>(slot));
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      if (message->data.result != CURLE_OK || status != 200) ++failures;
      auto now = Clock::now();
      latencies.push_back(std::chrono::duration<double, std::milli>(now - started[index]).count());
      curl_multi_remove_handle(multi, easy);
      if (now < end) {
        started[index] = now;
        curl_multi_add_handle(multi, easy);
        ++running;
      }
    }
    if (running > 0) curl_multi_poll(multi, nullptr, 0, 100, nullptr);
  }
  double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
  std::sort(latencies.begin(), latencies.end());
  double p99 = latencies.empty() ? 0 : latencies[static_cast<size_t>(latencies.size() * 0.99)];
  std::printf("%.0f %.2f %ld\n", latencies.size() / elapsed, p99, failures);
  for (CURL* easy : handles) curl_easy_cleanup(easy);
  curl_multi_cleanup(multi);
  return failures > 0 ? 1 : 0;
}
