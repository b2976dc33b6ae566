#include "http/http_server.h"

#include "core/logging.h"
#include "http/response_preparation.h"
#include "http/static_directory.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <sys/sendfile.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <charconv>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace atelier {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

constexpr const char* kSource = "Webview Communication/HttpServer";

// A slice of an open file, read with pread while it is written out.
struct FileSliceBody {
  struct value_type {
    std::shared_ptr<const OpenFile> file;
    uint64_t offset = 0;
    uint64_t length = 0;
  };

  static uint64_t size(const value_type& body) { return body.length; }

  class writer {
   public:
    using const_buffers_type = asio::const_buffer;

    template <bool isRequest, class Fields>
    writer(const http::header<isRequest, Fields>&, const value_type& body)
        : body_(body), position_(body.offset), remaining_(body.length) {}

    void init(beast::error_code& ec) {
      buffer_.resize(static_cast<size_t>(std::min<uint64_t>(remaining_, 64 * 1024)));
      ec = {};
    }

    boost::optional<std::pair<const_buffers_type, bool>> get(beast::error_code& ec) {
      ec = {};
      if (remaining_ == 0) return boost::none;
      auto amount = static_cast<size_t>(std::min<uint64_t>(remaining_, buffer_.size()));
      ssize_t got = ::pread(body_.file->fd, buffer_.data(), amount, static_cast<off_t>(position_));
      if (got <= 0) {  // the file shrank or failed under us: end the connection
        ec = beast::errc::make_error_code(beast::errc::io_error);
        return boost::none;
      }
      position_ += static_cast<uint64_t>(got);
      remaining_ -= static_cast<uint64_t>(got);
      return {{const_buffers_type(buffer_.data(), static_cast<size_t>(got)), remaining_ > 0}};
    }

   private:
    const value_type& body_;
    uint64_t position_;
    uint64_t remaining_;
    std::vector<char> buffer_;
  };
};

struct Handler {
  HttpServer::Match match;
  HttpServer::Process process;
};

bool isLoopbackHost(std::string_view host, uint16_t port) {
  auto colon = host.rfind(':');
  if (colon == std::string_view::npos) return false;
  uint16_t given = 0;
  auto digits = host.substr(colon + 1);
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), given);
  if (error != std::errc() || end != digits.data() + digits.size() || given != port) return false;
  host = host.substr(0, colon);
  return host == "localhost" || host == "127.0.0.1" || host == "[::1]";
}

// Files up to this size go out with their header in one write; larger ones
// are handed to the kernel with sendfile.
constexpr uint64_t kInlineFileLimit = 16 * 1024;

}  // namespace

class Session;

struct HttpServer::Impl : std::enable_shared_from_this<HttpServer::Impl> {
  explicit Impl(HttpServerOptions serverOptions) : options(serverOptions) {
    for (unsigned i = 0; i < std::max(1u, options.threads); ++i) {
      // One context per thread: no scheduler lock shared between threads.
      contexts.push_back(std::make_unique<asio::io_context>(1));
    }
  }

  HttpServerOptions options;
  std::vector<Handler> handlers;  // tried last-added first
  std::vector<std::unique_ptr<asio::io_context>> contexts;
  std::vector<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::vector<std::thread> threads;
  std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
  std::atomic<uint16_t> port{0};
  std::atomic<bool> stopped{false};
  std::atomic<unsigned> nextContext{0};

  std::mutex sessionsMutex;
  std::set<std::weak_ptr<Session>, std::owner_less<std::weak_ptr<Session>>> sessions;

  void accept(tcp::acceptor& acceptor);
  asio::io_context& pickContext() { return *contexts[nextContext++ % contexts.size()]; }
};

// One connection, on one context's thread: read a request, answer it, read
// the next. Answers may come from any thread; they are posted back here.
class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(std::shared_ptr<HttpServer::Impl> server, tcp::socket socket)
      : server_(std::move(server)), stream_(std::move(socket)), timer_(stream_.get_executor()) {}

  void run() {
    asio::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->read(); });
  }

  // Called on shutdown, from any thread.
  void close() {
    asio::post(stream_.get_executor(), [self = shared_from_this()] {
      beast::error_code ec;
      self->timer_.cancel();
      self->stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
      self->stream_.close();
    });
  }

 private:
  void read() {
    parser_.emplace();
    parser_->header_limit(static_cast<uint32_t>(server_->options.headerLimit));
    parser_->body_limit(server_->options.bodyLimit);
    stream_.expires_after(seconds(server_->options.idleTimeout));
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, size_t) { self->onRead(ec); });
  }

  static std::chrono::milliseconds seconds(double value) {
    return std::chrono::milliseconds(static_cast<int64_t>(value * 1000));
  }

  void onRead(beast::error_code ec) {
    if (ec == http::error::end_of_stream || ec == asio::error::operation_aborted || ec == beast::error::timeout ||
        ec == asio::error::connection_reset || ec == asio::error::eof) {
      return closeConnection();
    }
    if (ec) {
      unsigned status = ec == http::error::header_limit ? 431 : ec == http::error::body_limit ? 413 : 400;
      logWarning(kSource, "read()", "Rejected a malformed request: " + ec.message());
      keepAlive_ = false;
      return send(HttpResponse::text(std::string(http::obsolete_reason(static_cast<http::status>(status))), status),
                  HttpRequest{});
    }
    stream_.expires_never();
    auto message = parser_->release();
    keepAlive_ = message.keep_alive();

    auto request = std::make_shared<HttpRequest>();
    request->method = std::string(message.method_string());
    request->target = std::string(message.target());
    for (const auto& field : message) {
      auto [entry, added] = request->headers.try_emplace(std::string(field.name_string()), std::string(field.value()));
      if (!added) entry->second += ", " + std::string(field.value());
    }
    auto question = request->target.find('?');
    auto decodedPath = decodeURLPath(std::string_view(request->target).substr(0, question));
    if (question != std::string::npos) request->query = request->target.substr(question + 1);
    if (HttpRequest::isBodyCarrying(request->headers)) request->body = std::move(message.body());

    auto host = request->header("Host");
    if (!host || !isLoopbackHost(*host, server_->port.load())) {
      logWarning(kSource, "read()", "Refused a request for host: " + host.value_or("(none)"));
      return send(HttpResponse::text("Forbidden", 403), *request);
    }
    if (!decodedPath || !request->target.starts_with("/")) {
      return send(HttpResponse::text("Bad Request", 400), *request);
    }
    request->path = std::move(*decodedPath);
    dispatch(std::move(request));
  }

  void dispatch(std::shared_ptr<HttpRequest> request) {
    const auto& handlers = server_->handlers;
    auto handler = std::find_if(handlers.rbegin(), handlers.rend(), [&](const Handler& h) { return h.match(*request); });
    if (handler == handlers.rend()) return send(HttpResponse::text("Not Found", 404), *request);

    pending_ = request;
    auto generation = ++generation_;
    processing_ = true;
    handler->process(request, [weak = weak_from_this(), weakServer = std::weak_ptr(server_), generation,
                               thread = std::this_thread::get_id()](std::optional<HttpResponse> response) {
      auto server = weakServer.lock();
      auto self = weak.lock();
      if (!server || !self || server->stopped) return;
      if (!response) response = HttpResponse::text("Internal Server Error", 500);
      if (std::this_thread::get_id() == thread && self->processing_ && generation == self->generation_) {
        self->immediate_ = std::move(response);  // answered inside process(): no hop needed
        return;
      }
      asio::post(self->stream_.get_executor(), [self, generation, response = std::move(*response)]() mutable {
        self->finish(generation, std::move(response));
      });
    });
    processing_ = false;
    if (immediate_) {
      auto response = std::move(*immediate_);
      immediate_.reset();
      return finish(generation, std::move(response));
    }
    timer_.expires_after(seconds(server_->options.handlerTimeout));
    timer_.async_wait([self = shared_from_this(), generation](beast::error_code ec) {
      if (ec || generation != self->generation_ || !self->pending_) return;
      logError(kSource, "process()", "No answer in time for " + self->pending_->method + " " + self->pending_->target);
      self->finish(generation, HttpResponse::text("Gateway Timeout", 504));
    });
  }

  // On the session's thread: the first answer for the current request wins.
  void finish(uint64_t generation, HttpResponse response) {
    if (generation != generation_ || !pending_) return;
    timer_.cancel();
    auto request = std::move(pending_);
    send(std::move(response), *request);
  }

  void send(HttpResponse response, const HttpRequest& request) {
    auto prepared = prepareResponse(request, response);
    bool headOnly = request.method == "HEAD";
    if (prepared.file && !headOnly && prepared.fileLength > kInlineFileLimit) {
      return sendWithSendfile(std::move(prepared));
    }
    if (prepared.file && !headOnly) {
      http::response<FileSliceBody> message{static_cast<http::status>(prepared.status), 11};
      message.body() = {prepared.file, prepared.fileOffset, prepared.fileLength};
      write(std::move(message), prepared, headOnly);
    } else {
      http::response<http::string_body> message{static_cast<http::status>(prepared.status), 11};
      if (!headOnly) message.body() = std::move(prepared.bytes);
      write(std::move(message), prepared, headOnly);
    }
  }

  template <class Body>
  void fillHeader(http::response<Body>& message, const PreparedResponse& prepared) {
    for (const auto& [name, value] : prepared.headers) message.insert(name, value);
    message.set(http::field::server, "Atelier");
    message.keep_alive(keepAlive_);
  }

  template <class Body>
  void write(http::response<Body>&& message, const PreparedResponse& prepared, bool headOnly) {
    fillHeader(message, prepared);
    if (prepared.status == 304 || prepared.status == 204 || prepared.status < 200) {
      message.content_length(boost::none);
    } else if (headOnly) {
      message.content_length(prepared.file ? prepared.fileLength : prepared.bytes.size());
    } else {
      message.prepare_payload();
    }
    auto held = std::make_shared<http::response<Body>>(std::move(message));
    http::async_write(stream_, *held, [self = shared_from_this(), held](beast::error_code ec, size_t) {
      self->afterWrite(ec);
    });
  }

  void afterWrite(beast::error_code ec) {
    if (ec || !keepAlive_) return closeConnection();
    read();
  }

  // The header through Beast, then the file straight from the page cache.
  void sendWithSendfile(PreparedResponse prepared) {
    http::response<http::empty_body> message{static_cast<http::status>(prepared.status), 11};
    fillHeader(message, prepared);
    message.content_length(prepared.fileLength);
    auto held = std::make_shared<http::response<http::empty_body>>(std::move(message));
    auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*held);
    sendfileFile_ = prepared.file;
    sendfileOffset_ = static_cast<off_t>(prepared.fileOffset);
    sendfileRemaining_ = prepared.fileLength;
    stream_.expires_after(seconds(server_->options.idleTimeout));
    http::async_write_header(stream_, *serializer,
                             [self = shared_from_this(), held, serializer](beast::error_code ec, size_t) {
                               if (ec) return self->closeConnection();
                               self->continueSendfile();
                             });
  }

  void continueSendfile() {
    auto& socket = stream_.socket();
    beast::error_code ec;
    socket.native_non_blocking(true, ec);
    while (sendfileRemaining_ > 0 && !ec) {
      auto chunk = static_cast<size_t>(std::min<uint64_t>(sendfileRemaining_, 4 * 1024 * 1024));
      ssize_t sent = ::sendfile(socket.native_handle(), sendfileFile_->fd, &sendfileOffset_, chunk);
      if (sent > 0) {
        sendfileRemaining_ -= static_cast<uint64_t>(sent);
        continue;
      }
      if (sent < 0 && errno == EAGAIN) {
        // Wait until the client takes more; the stream's deadline guards a stalled one.
        stream_.expires_after(seconds(server_->options.idleTimeout));
        timer_.expires_after(seconds(server_->options.idleTimeout));
        timer_.async_wait([weak = weak_from_this()](beast::error_code timerError) {
          if (auto self = weak.lock(); self && !timerError) self->closeConnection();
        });
        socket.async_wait(tcp::socket::wait_write, [self = shared_from_this()](beast::error_code waitError) {
          self->timer_.cancel();
          if (waitError) return self->closeConnection();
          self->continueSendfile();
        });
        return;
      }
      ec = beast::errc::make_error_code(beast::errc::io_error);  // the file shrank or the peer went away
    }
    sendfileFile_.reset();
    stream_.expires_never();
    afterWrite(ec);
  }

  void closeConnection() {
    beast::error_code ec;
    timer_.cancel();
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    stream_.close();
  }

  std::shared_ptr<HttpServer::Impl> server_;
  beast::tcp_stream stream_;
  asio::steady_timer timer_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::shared_ptr<HttpRequest> pending_;
  uint64_t generation_ = 0;
  bool processing_ = false;
  std::optional<HttpResponse> immediate_;
  bool keepAlive_ = true;
  std::shared_ptr<const OpenFile> sendfileFile_;
  off_t sendfileOffset_ = 0;
  uint64_t sendfileRemaining_ = 0;
};

void HttpServer::Impl::accept(tcp::acceptor& acceptor) {
  acceptor.async_accept(pickContext(), [self = shared_from_this(), &acceptor](beast::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted || self->stopped) return;
    if (!ec) {
      beast::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      auto session = std::make_shared<Session>(self, std::move(socket));
      {
        std::lock_guard lock(self->sessionsMutex);
        std::erase_if(self->sessions, [](const auto& weak) { return weak.expired(); });
        self->sessions.insert(session);
      }
      session->run();
    }
    self->accept(acceptor);
  });
}

HttpServer::HttpServer(HttpServerOptions options) : impl_(std::make_shared<Impl>(options)) {}

HttpServer::~HttpServer() { stop(); }

void HttpServer::addHandler(Match match, Process process) {
  impl_->handlers.push_back({std::move(match), std::move(process)});
}

void HttpServer::addDirectoryHandler(std::string basePath, std::filesystem::path directory, unsigned cacheAge) {
  auto served = std::make_shared<StaticDirectory>(std::move(directory), cacheAge);
  addHandler(
      [basePath](const HttpRequest& request) { return request.method == "GET" && request.path.starts_with(basePath); },
      [basePath, served](std::shared_ptr<HttpRequest> request, Completion completion) {
        completion(served->respond(request->path.substr(basePath.size())));
      });
}

std::expected<uint16_t, std::string> HttpServer::start(uint16_t port) {
  // sendfile to a peer that went away raises SIGPIPE; the error code is enough.
  ::signal(SIGPIPE, SIG_IGN);
  auto& impl = *impl_;
  auto listen = [&](const tcp::endpoint& endpoint) -> std::expected<uint16_t, std::string> {
    auto acceptor = std::make_unique<tcp::acceptor>(*impl.contexts.front());
    beast::error_code ec;
    acceptor->open(endpoint.protocol(), ec);
    if (!ec) acceptor->set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec && endpoint.address().is_v6()) acceptor->set_option(asio::ip::v6_only(true), ec);
    if (!ec) acceptor->bind(endpoint, ec);
    if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
    if (ec) return std::unexpected(ec.message());
    auto bound = acceptor->local_endpoint().port();
    impl.acceptors.push_back(std::move(acceptor));
    return bound;
  };

  auto bound = listen({asio::ip::address_v4::loopback(), port});
  if (!bound) return bound;
  // Same port on ::1, so "localhost" connects at once whichever address is tried first.
  if (auto v6 = listen({asio::ip::address_v6::loopback(), *bound}); !v6) {
    logDebug(kSource, "start()", "No IPv6 loopback listener: " + v6.error());
  }
  impl.port = *bound;
  impl.stopped = false;
  for (auto& context : impl.contexts) {
    context->restart();
    impl.work.emplace_back(context->get_executor());
  }
  for (auto& acceptor : impl.acceptors) impl.accept(*acceptor);
  for (auto& context : impl.contexts) {
    impl.threads.emplace_back([&context = *context] { context.run(); });
  }
  return *bound;
}

void HttpServer::stop() {
  auto& impl = *impl_;
  if (impl.threads.empty()) {
    impl.acceptors.clear();
    return;
  }
  impl.stopped = true;
  asio::post(*impl.contexts.front(), [&impl] {
    for (auto& acceptor : impl.acceptors) {
      beast::error_code ec;
      acceptor->close(ec);
    }
  });
  {
    std::lock_guard lock(impl.sessionsMutex);
    for (auto& weak : impl.sessions) {
      if (auto session = weak.lock()) session->close();
    }
    impl.sessions.clear();
  }
  // Let every cancelled operation finish so no session outlives the server's threads.
  impl.work.clear();
  for (auto& thread : impl.threads) thread.join();
  impl.threads.clear();
  impl.acceptors.clear();
}

uint16_t HttpServer::port() const { return impl_->port; }

}  // namespace atelier
