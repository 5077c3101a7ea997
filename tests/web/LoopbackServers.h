#pragma once
// Test servers on 127.0.0.1: a raw TCP server that records each request's
// bytes exactly as they arrive (header order included) and answers through a
// responder, and helpers around cpp-httplib. Every wait is bounded.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace mailvane::testing {

using namespace std::chrono_literals;

// Everything a test server may wait for is capped by this.
inline constexpr auto kServerWaitCap = 20s;

// A request as it came over the wire.
struct RawRequest {
  std::string head;  // request line and header lines, up to the blank line
  std::string body;

  std::string RequestLine() const { return head.substr(0, head.find("\r\n")); }
  std::string Method() const { return head.substr(0, head.find(' ')); }
  // The header lines in their order, without the request line.
  std::vector<std::string> HeaderLines() const {
    std::vector<std::string> lines;
    std::size_t start = head.find("\r\n");
    while (start != std::string::npos) {
      start += 2;
      std::size_t end = head.find("\r\n", start);
      if (end == std::string::npos || end == start) break;
      lines.push_back(head.substr(start, end - start));
      start = end;
    }
    return lines;
  }
  bool HasHeaderStartingWith(const std::string& prefix) const {
    for (const std::string& line : HeaderLines())
      if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
};

// Waits until fd is readable or stopFd fires or the deadline passes.
inline bool WaitReadable(int fd, int stopFd, std::chrono::steady_clock::time_point deadline) {
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    int n = ::poll(fds, 2, int(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || (fds[1].revents & POLLIN)) return false;
    return true;
  }
}

// Sleeps for wait; true when stopFd fired meanwhile.
inline bool StopsWithin(int stopFd, std::chrono::milliseconds wait) {
  pollfd fd = {stopFd, POLLIN, 0};
  return ::poll(&fd, 1, int(wait.count())) > 0;
}

inline bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    data.remove_prefix(std::size_t(n));
  }
  return true;
}

inline int ListenOnLoopback(int* port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 16) != 0)
    throw std::runtime_error("bind/listen");
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

inline int ConnectToLoopback(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(uint16_t(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A port on which nothing listens: bound once, then released.
inline int ClosedPort() {
  int port = 0;
  ::close(ListenOnLoopback(&port));
  return port;
}

// Serves one connection at a time. The responder gets the recorded request,
// the client socket and a stop descriptor to watch while it waits.
class RawServer {
 public:
  using Responder = std::function<void(const RawRequest&, int clientFd, int stopFd)>;

  explicit RawServer(Responder responder) : responder_(std::move(responder)) {
    listenFd_ = ListenOnLoopback(&port_);
    if (::pipe(stopPipe_) != 0) throw std::runtime_error("pipe");
    thread_ = std::thread([this] { Run(); });
  }
  ~RawServer() {
    (void)!::write(stopPipe_[1], "x", 1);
    thread_.join();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
  }
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

  std::vector<RawRequest> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // Waits (bounded) until at least count requests have arrived.
  bool WaitForRequests(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kServerWaitCap, [&] { return requests_.size() >= count; });
  }

  // A responder that sends a fixed answer and closes.
  static Responder Answer(std::string response) {
    return [response](const RawRequest&, int fd, int) { SendAll(fd, response); };
  }

 private:
  void Run() {
    auto deadline = std::chrono::steady_clock::now() + 5 * kServerWaitCap;
    while (WaitReadable(listenFd_, stopPipe_[0], deadline)) {
      int client = ::accept(listenFd_, nullptr, nullptr);
      if (client < 0) continue;
      RawRequest request;
      if (ReadRequest(client, &request)) {
        {
          std::lock_guard lock(mutex_);
          requests_.push_back(request);
        }
        arrived_.notify_all();
        responder_(request, client, stopPipe_[0]);
      }
      ::close(client);
    }
  }

  bool ReadRequest(int fd, RawRequest* request) {
    auto deadline = std::chrono::steady_clock::now() + kServerWaitCap;
    std::string data;
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
      if (!ReadSome(fd, &data, deadline)) return false;
    }
    request->head = data.substr(0, headEnd + 2);
    std::size_t length = 0;
    for (const std::string& line : request->HeaderLines())
      if (strncasecmp(line.c_str(), "Content-Length:", 15) == 0) length = std::stoul(line.substr(15));
    data.erase(0, headEnd + 4);
    while (data.size() < length)
      if (!ReadSome(fd, &data, deadline)) return false;
    request->body = data.substr(0, length);
    return true;
  }

  bool ReadSome(int fd, std::string* data, std::chrono::steady_clock::time_point deadline) {
    if (!WaitReadable(fd, stopPipe_[0], deadline)) return false;
    char buffer[16384];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    data->append(buffer, std::size_t(n));
    return true;
  }

  Responder responder_;
  int listenFd_ = -1;
  int port_ = 0;
  int stopPipe_[2] = {-1, -1};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<RawRequest> requests_;
  std::thread thread_;
};

// Copies bytes both ways between two sockets until one side closes.
inline void Pipe(int a, int b, int stopFd) {
  auto deadline = std::chrono::steady_clock::now() + kServerWaitCap;
  char buffer[16384];
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd fds[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (::poll(fds, 3, 1000) < 0 && errno != EINTR) return;
    if (fds[2].revents & POLLIN) return;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
      if (n <= 0 || !SendAll(fds[1 - i].fd, std::string_view(buffer, std::size_t(n)))) return;
    }
  }
}

// A loopback proxy: CONNECT opens a tunnel to the named loopback port; any
// other request is answered by the proxy itself with "via proxy".
inline RawServer::Responder ProxyResponder() {
  return [](const RawRequest& request, int fd, int stopFd) {
    if (request.Method() == "CONNECT") {
      std::string line = request.RequestLine();  // CONNECT 127.0.0.1:port HTTP/1.1
      std::size_t colon = line.find(':'), space = line.rfind(' ');
      int target = ConnectToLoopback(std::stoi(line.substr(colon + 1, space - colon - 1)));
      if (target < 0) {
        SendAll(fd, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
        return;
      }
      SendAll(fd, "HTTP/1.1 200 Connection established\r\n\r\n");
      Pipe(fd, target, stopFd);
      ::close(target);
      return;
    }
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nvia proxy");
  };
}

}  // namespace mailvane::testing

namespace mailvane::testing {

// A cpp-httplib server (plain or TLS) listening on a free loopback port.
class HttpServer {
 public:
  explicit HttpServer(std::unique_ptr<httplib::Server> server = std::make_unique<httplib::Server>())
      : server_(std::move(server)) {}
  ~HttpServer() { Stop(); }
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  httplib::Server& routes() { return *server_; }

  // Call after the routes are set.
  void Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("bind");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    auto deadline = std::chrono::steady_clock::now() + kServerWaitCap;
    while (!server_->is_running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(5ms);
  }
  void Stop() {
    if (!thread_.joinable()) return;
    server_->stop();
    thread_.join();
  }

  int port() const { return port_; }
  std::string Url(const std::string& path, const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace mailvane::testing
