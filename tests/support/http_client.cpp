#include "support/http_client.h"

#include "core/main_queue.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <future>

namespace atelier::test {

std::optional<std::string> ClientResponse::header(const std::string& lowerName) const {
  auto found = headers.find(lowerName);
  if (found == headers.end()) return std::nullopt;
  return found->second;
}

RawConnection::RawConnection(uint16_t port, bool ipv6) {
  fd_ = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  int result;
  if (ipv6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_loopback;
    result = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  } else {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    result = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  if (result != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

RawConnection::~RawConnection() {
  if (fd_ >= 0) ::close(fd_);
}

void RawConnection::send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    auto n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

void RawConnection::shutdownWrite() { ::shutdown(fd_, SHUT_WR); }

bool RawConnection::fill(std::chrono::steady_clock::time_point deadline) {
  if (eof_) return false;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return false;
  pollfd waiting{fd_, POLLIN, 0};
  if (::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return false;
  char chunk[65536];
  auto n = ::recv(fd_, chunk, sizeof chunk, 0);
  if (n <= 0) {
    eof_ = true;
    return false;
  }
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

std::optional<ClientResponse> RawConnection::readResponse(bool headRequest, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  size_t headerEnd;
  while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!fill(deadline)) return std::nullopt;
  }
  ClientResponse response;
  std::string head = buffer_.substr(0, headerEnd);
  buffer_.erase(0, headerEnd + 4);
  auto lineEnd = head.find("\r\n");
  auto statusLine = head.substr(0, lineEnd);
  if (statusLine.size() < 12) return std::nullopt;
  response.status = std::stoi(statusLine.substr(9, 3));
  size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (position < head.size()) {
    auto end = head.find("\r\n", position);
    if (end == std::string::npos) end = head.size();
    auto line = head.substr(position, end - position);
    auto colon = line.find(':');
    if (colon != std::string::npos) {
      auto name = line.substr(0, colon);
      std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
      auto value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      auto [entry, added] = response.headers.try_emplace(name, value);
      if (!added) entry->second += ", " + value;
    }
    position = end + 2;
  }
  bool noBody = headRequest || response.status == 304 || response.status == 204;
  if (auto length = response.header("content-length"); length && !noBody) {
    auto size = std::stoull(*length);
    while (buffer_.size() < size) {
      if (!fill(deadline)) return std::nullopt;
    }
    response.body = buffer_.substr(0, size);
    buffer_.erase(0, size);
  } else if (!noBody) {
    while (fill(deadline)) {
    }
    response.body = std::move(buffer_);
    buffer_.clear();
  }
  auto connection = response.header("connection");
  response.closed = connection && *connection == "close";
  return response;
}

std::string requestText(const std::string& method, const std::string& target, uint16_t port,
                        const std::string& extraHeaders, const std::string& body) {
  std::string text = method + " " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port) + "\r\n";
  text += extraHeaders;
  if (!body.empty()) text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  text += "\r\n";
  text += body;
  return text;
}

std::optional<ClientResponse> exchange(uint16_t port, const std::string& request, bool ipv6) {
  auto future = std::async(std::launch::async, [=] {
    RawConnection connection(port, ipv6);
    if (!connection.connected()) return std::optional<ClientResponse>();
    connection.send(request);
    return connection.readResponse(request.starts_with("HEAD "));
  });
  MainQueue::runUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30);
  return future.get();
}

}  // namespace atelier::test
