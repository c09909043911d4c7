#include "session_output.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace zorbel::ctl {

struct SessionOutput::Queue {
  // The main thread waits while this much is queued: enough to keep the
  // writer busy, little enough that the link's own bounded queue holds the
  // transfer back when the reader stops.
  static constexpr std::size_t kLimit = 16 * 1024;

  struct Chunk {
    int fd;
    std::string bytes;
  };

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Chunk> chunks;
  std::size_t queued = 0;  // bytes in chunks and in the write under way
  bool abandoned = false;
  bool stopping = false;
  int errors[3] = {0, 0, 0};  // per descriptor, the first write failure's errno

  // Queues bytes for `fd`; waits while the queue is full. Dropped when
  // abandoned or when `fd` has failed.
  void append(int fd, std::string bytes) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return queued < kLimit || abandoned; });
    if (abandoned || errors[fd] != 0 || bytes.empty()) return;
    queued += bytes.size();
    chunks.push_back({fd, std::move(bytes)});
    changed.notify_all();
  }

  bool drain() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return queued == 0 || abandoned; });
    return !abandoned;
  }

  // The writer thread's loop; it holds the queue alive itself.
  static void write(const std::shared_ptr<Queue>& queue) {
    std::unique_lock lock(queue->mutex);
    for (;;) {
      queue->changed.wait(
          lock, [&] { return !queue->chunks.empty() || queue->stopping || queue->abandoned; });
      if (queue->abandoned || queue->chunks.empty()) return;
      Chunk chunk = std::move(queue->chunks.front());
      queue->chunks.pop_front();
      int error = queue->errors[chunk.fd];
      lock.unlock();
      if (error == 0) error = writeAll(chunk.fd, chunk.bytes);
      lock.lock();
      queue->errors[chunk.fd] = error;
      queue->queued -= chunk.bytes.size();
      queue->changed.notify_all();
    }
  }

  // 0, or the errno of the failure.
  static int writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n < 0 ? errno : EIO;
      done += static_cast<std::size_t>(n);
    }
    return 0;
  }
};

// A stream buffer that hands what it holds to the queue on each flush (every
// std::endl, every write to the unit-buffered std::cerr) and when it is full.
class SessionOutput::Buffer : public std::streambuf {
 public:
  Buffer(int fd, std::shared_ptr<Queue> queue) : fd_(fd), queue_(std::move(queue)) {
    setp(space_, space_ + sizeof space_);
  }

 protected:
  int overflow(int c) override {
    handOver();
    if (c != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    handOver();
    return 0;
  }

 private:
  void handOver() {
    queue_->append(fd_, std::string(pbase(), pptr()));
    setp(space_, space_ + sizeof space_);
  }

  int fd_;
  std::shared_ptr<Queue> queue_;
  char space_[1024];
};

SessionOutput::SessionOutput() : queue_(std::make_shared<Queue>()) {
  std::cout.flush();
  std::cerr.flush();
  out_ = std::make_unique<Buffer>(STDOUT_FILENO, queue_);
  err_ = std::make_unique<Buffer>(STDERR_FILENO, queue_);
  // The writer takes no signal: they are the main thread's to handle.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    std::thread(Queue::write, queue_).detach();
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    throw;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  previousOut_ = std::cout.rdbuf(out_.get());
  previousErr_ = std::cerr.rdbuf(err_.get());
}

SessionOutput::~SessionOutput() {
  std::cout.flush();
  std::cerr.flush();
  drain();
  std::cout.rdbuf(previousOut_);
  std::cerr.rdbuf(previousErr_);
  std::lock_guard lock(queue_->mutex);
  queue_->stopping = true;
  queue_->changed.notify_all();
}

void SessionOutput::abandon() {
  std::lock_guard lock(queue_->mutex);
  queue_->abandoned = true;
  queue_->chunks.clear();
  queue_->changed.notify_all();
}

bool SessionOutput::drain() {
  std::cout.flush();
  std::cerr.flush();
  return queue_->drain();
}

int SessionOutput::outputError() const {
  std::lock_guard lock(queue_->mutex);
  return queue_->errors[STDOUT_FILENO];
}

}  // namespace zorbel::ctl
