#include "support/tls_test_server.h"

#include "support/test_environment.h"

#include <fstream>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include <sys/socket.h>

namespace atelier::test {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

void makeCertificates(const std::filesystem::path& directory) {
  auto run = [&](const std::string& command) {
    std::string full = "cd '" + directory.string() + "' && " + command + " > /dev/null 2>&1";
    if (std::system(full.c_str()) != 0) throw std::runtime_error("failed: " + command);
  };
  run("openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Atelier Test CA'");
  run("openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj '/CN=localhost'");
  // Written here: run() sends the command's output to /dev/null.
  std::ofstream(directory / "san.ext") << "subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n";
  run("openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 "
      "-extfile san.ext");
}

}  // namespace

struct TlsTestServer::Impl {
  asio::io_context context;
  asio::ssl::context tls{asio::ssl::context::tls_server};
  tcp::acceptor acceptor{context};
  Handler handler;
  std::thread thread;
  mutable std::mutex mutex;
  std::vector<SeenRequest> seen;
  std::atomic<bool> stopping{false};
  std::vector<std::thread> connections;
  std::vector<int> descriptors;

  void serve(tcp::socket socket) {
    try {
      asio::ssl::stream<tcp::socket> stream(std::move(socket), tls);
      stream.handshake(asio::ssl::stream_base::server);
      beast::flat_buffer buffer;
      while (!stopping) {
        http::request<http::string_body> request;
        beast::error_code ec;
        http::read(stream, buffer, request, ec);
        if (ec) break;
        SeenRequest entry{std::string(request.method_string()), std::string(request.target()), {}, request.body()};
        for (const auto& field : request) {
          std::string name(field.name_string());
          std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
          entry.headers[name] = std::string(field.value());
        }
        {
          std::lock_guard lock(mutex);
          seen.push_back(entry);
        }
        auto reply = handler(entry);
        http::response<http::string_body> response{static_cast<http::status>(reply.status), 11};
        for (const auto& [name, value] : reply.headers) response.insert(name, value);
        response.body() = reply.body;
        response.content_length(reply.body.size());
        response.keep_alive(request.keep_alive());
        http::write(stream, response, ec);
        if (ec || !request.keep_alive()) break;
      }
    } catch (const std::exception&) {
      // a client that went away
    }
  }
};

TlsTestServer::TlsTestServer(Handler handler) : impl_(std::make_unique<Impl>()) {
  auto directory = freshDirectory("tls");
  makeCertificates(directory);
  caFile_ = directory / "ca.pem";
  impl_->handler = std::move(handler);
  impl_->tls.use_certificate_chain_file((directory / "server.pem").string());
  impl_->tls.use_private_key_file((directory / "server.key").string(), asio::ssl::context::pem);
  impl_->acceptor.open(tcp::v4());
  impl_->acceptor.bind({asio::ip::address_v4::loopback(), 0});
  impl_->acceptor.listen();
  impl_->thread = std::thread([impl = impl_.get()] {
    while (!impl->stopping) {
      beast::error_code ec;
      tcp::socket socket(impl->context);
      impl->acceptor.accept(socket, ec);
      if (ec || impl->stopping) break;
      std::lock_guard lock(impl->mutex);
      impl->descriptors.push_back(socket.native_handle());
      impl->connections.emplace_back([impl, s = std::move(socket)]() mutable { impl->serve(std::move(s)); });
    }
  });
}

TlsTestServer::~TlsTestServer() {
  impl_->stopping = true;
  beast::error_code ec;
  // Wake the accepting thread with one last connection.
  tcp::socket poke(impl_->context);
  poke.connect({asio::ip::address_v4::loopback(), port()}, ec);
  impl_->thread.join();
  {
    std::lock_guard lock(impl_->mutex);
    for (int fd : impl_->descriptors) ::shutdown(fd, SHUT_RDWR);  // wakes blocked reads
  }
  for (auto& connection : impl_->connections) connection.join();
}

uint16_t TlsTestServer::port() const { return impl_->acceptor.local_endpoint().port(); }

std::vector<SeenRequest> TlsTestServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->seen;
}

}  // namespace atelier::test
