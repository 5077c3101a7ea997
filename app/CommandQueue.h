#pragma once
// The window's worker threads. Service operations that go to the network
// block on it, so they never run on the window's thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace mailvane {

// One thread running commands one after another, in the order posted: the
// user's commands keep their order and wait for the start-up fetch.
class CommandQueue {
 public:
  CommandQueue();
  ~CommandQueue();  // Stop()
  CommandQueue(const CommandQueue&) = delete;
  CommandQueue& operator=(const CommandQueue&) = delete;

  void Post(std::function<void()> command);  // dropped once stopped
  // Drops the commands not yet started, waits for the running one and ends
  // the thread.
  void Stop();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> pending_;
  bool stopping_ = false;
  std::thread thread_;
};

// Threads started one per command and joined at the end; finished ones are
// joined whenever another starts.
class WorkerThreads {
 public:
  WorkerThreads() = default;
  ~WorkerThreads();  // JoinAll()
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  void Start(std::function<void()> work);
  void JoinAll();

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  std::list<Worker> workers_;
};

// Sleeps that end early once the owner stops.
class StopSignal {
 public:
  // False when stopped before or during the sleep.
  bool SleepFor(std::chrono::milliseconds duration);
  void Stop();
  bool Stopped() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopped_ = false;
};

// Holds back work until something it needs is there (the first mailbox),
// or until the window stops.
class ReadyGate {
 public:
  void Hold();
  void Release();
  void Stop();
  // True once released; false when stopped first.
  bool WaitReleased();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool stopped_ = false;
};

}  // namespace mailvane
