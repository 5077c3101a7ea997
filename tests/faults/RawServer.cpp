#include "tests/faults/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace mailvane::faults {

namespace {

constexpr auto kLongestPause = std::chrono::seconds(20);

int BoundLoopbackSocket(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

void SetTimeouts(int fd, std::chrono::milliseconds limit) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(limit.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>((limit.count() % 1000) * 1000);
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// The head up to the blank line and as many body bytes as Content-Length
// says; whatever arrived when the peer stops sending.
std::string ReadRequest(int fd) {
  std::string request;
  char buffer[8192];
  std::size_t wanted = std::string::npos;
  while (request.size() < wanted && request.size() < (1u << 20)) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<std::size_t>(got));
    const std::size_t headEnd = request.find("\r\n\r\n");
    if (headEnd == std::string::npos || wanted != std::string::npos) continue;
    std::size_t bodyLength = 0;
    for (const char* name : {"Content-Length:", "content-length:"}) {
      const std::size_t at = request.find(name);
      if (at != std::string::npos && at < headEnd)
        bodyLength = std::strtoul(request.c_str() + at + 15, nullptr, 10);
    }
    wanted = headEnd + 4 + bodyLength;
  }
  return request;
}

}  // namespace

std::string Connection::Target() const {
  const std::size_t start = request_.find(' ');
  if (start == std::string::npos) return {};
  const std::size_t end = request_.find(' ', start + 1);
  return request_.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

bool Connection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    if (server_.Stopping()) return false;
    const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool Connection::Sleep(std::chrono::milliseconds duration) {
  std::unique_lock lock(server_.mutex_);
  return !server_.wake_.wait_for(lock, duration, [&] { return server_.Stopping(); });
}

bool Connection::Pause() {
  std::unique_lock lock(server_.mutex_);
  ++server_.paused_;
  server_.wake_.notify_all();
  server_.wake_.wait_for(lock, kLongestPause, [&] { return server_.Stopping() || !server_.held_; });
  --server_.paused_;
  return !server_.Stopping();
}

void Connection::Reset() {
  linger hard{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);  // the close that follows resets
}

RawServer::RawServer(Script script) : script_(std::move(script)) {
  listenFd_ = BoundLoopbackSocket(port_);
  if (listenFd_ < 0) return;
  if (listen(listenFd_, 16) != 0) {
    close(listenFd_);
    listenFd_ = -1;
    return;
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawServer::~RawServer() { Stop(); }

std::string RawServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void RawServer::Hold() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void RawServer::Release() {
  {
    std::lock_guard lock(mutex_);
    held_ = false;
  }
  wake_.notify_all();
}

int RawServer::Paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

int RawServer::Requests() const { return requests_.load(); }
int RawServer::Open() const { return open_.load(); }

void RawServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_.exchange(true)) return;
  }
  wake_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& connection : connections) connection.join();
  if (listenFd_ >= 0) close(listenFd_);
  listenFd_ = -1;
}

void RawServer::AcceptLoop() {
  while (!Stopping()) {
    pollfd waiting{listenFd_, POLLIN, 0};
    if (poll(&waiting, 1, 50) <= 0) continue;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    ++open_;
    connections_.emplace_back([this, fd] { Serve(fd); });
  }
}

void RawServer::Serve(int fd) {
  SetTimeouts(fd, std::chrono::seconds(2));
  std::string request = ReadRequest(fd);
  if (!request.empty()) {
    ++requests_;
    Connection connection(*this, fd, std::move(request));
    script_(connection);
  }
  close(fd);
  --open_;
}

RefusingPort::RefusingPort() { fd_ = BoundLoopbackSocket(port_); }

RefusingPort::~RefusingPort() {
  if (fd_ >= 0) close(fd_);
}

std::string ResponseHead(std::string_view headerLines) {
  return "HTTP/1.1 200 OK\r\nConnection: close\r\n" + std::string(headerLines) + "\r\n";
}

}  // namespace mailvane::faults
