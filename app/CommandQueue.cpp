#include "app/CommandQueue.h"

namespace mailvane {

CommandQueue::CommandQueue() : thread_([this] { Run(); }) {}

CommandQueue::~CommandQueue() { Stop(); }

void CommandQueue::Post(std::function<void()> command) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    pending_.push_back(std::move(command));
  }
  wake_.notify_one();
}

void CommandQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pending_.clear();
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void CommandQueue::Run() {
  for (;;) {
    std::function<void()> command;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
      if (stopping_) return;
      command = std::move(pending_.front());
      pending_.pop_front();
    }
    command();
  }
}

WorkerThreads::~WorkerThreads() { JoinAll(); }

void WorkerThreads::Start(std::function<void()> work) {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->finished->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([work = std::move(work), finished] {
    work();
    finished->store(true);
  });
  workers_.push_back({std::move(thread), std::move(finished)});
}

void WorkerThreads::JoinAll() {
  for (Worker& worker : workers_)
    if (worker.thread.joinable()) worker.thread.join();
  workers_.clear();
}

bool StopSignal::SleepFor(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return stopped_; });
}

void StopSignal::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  wake_.notify_all();
}

bool StopSignal::Stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

void ReadyGate::Hold() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void ReadyGate::Release() {
  {
    std::lock_guard lock(mutex_);
    held_ = false;
  }
  changed_.notify_all();
}

void ReadyGate::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

bool ReadyGate::WaitReleased() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !held_ || stopped_; });
  return !stopped_;
}

}  // namespace mailvane
