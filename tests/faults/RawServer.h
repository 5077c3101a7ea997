#pragma once
// A raw TCP server on 127.0.0.1 that misbehaves on purpose: each connection
// gets one request read and is then handed to a script that writes whatever
// bytes it likes, pauses, trickles, or resets the connection. Everything it
// does is bounded: sends and sleeps end once the server stops.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace mailvane::faults {

class RawServer;

// One accepted connection, as its script sees it.
class Connection {
 public:
  Connection(RawServer& server, int fd, std::string request)
      : server_(server), fd_(fd), request_(std::move(request)) {}

  const std::string& request() const { return request_; }
  // The request line's target ("/loop/3").
  std::string Target() const;

  // False once the peer has gone or the server is stopping.
  bool Send(std::string_view bytes);
  // False when the server stopped during the sleep.
  bool Sleep(std::chrono::milliseconds duration);
  // Waits while the server holds its connections (see RawServer::Hold);
  // false when the server stopped meanwhile.
  bool Pause();
  // The connection then ends with a TCP reset instead of an orderly close,
  // once the script returns.
  void Reset();

 private:
  RawServer& server_;
  int fd_;
  std::string request_;
};

class RawServer {
 public:
  using Script = std::function<void(Connection&)>;

  explicit RawServer(Script script);
  ~RawServer();  // Stop()
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  bool listening() const { return listenFd_ >= 0; }
  int port() const { return port_; }
  std::string Url(std::string_view path = "/") const;

  // While held, a script's Pause() waits until Release() (at most 20 s).
  void Hold();
  void Release();
  int Paused() const;    // scripts waiting in Pause() right now
  int Requests() const;  // requests read so far
  int Open() const;      // connections whose script still runs

  void Stop();

 private:
  friend class Connection;
  void AcceptLoop();
  void Serve(int fd);
  bool Stopping() const { return stopping_.load(); }

  Script script_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> requests_{0};
  std::atomic<int> open_{0};

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool held_ = false;
  int paused_ = 0;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 that refuses every connection: bound, never listening,
// and kept bound so that nothing else takes it meanwhile.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  int port() const { return port_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// "HTTP/1.1 200 OK" with the given extra header lines, ready for a body.
std::string ResponseHead(std::string_view headerLines);

}  // namespace mailvane::faults
