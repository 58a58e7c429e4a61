// Threads that serve speed only: the shared pool that compresses and inflates
// text blocks, and the switches of the workers that read compressed text ahead,
// compress it ahead and write uncompressed text behind. A worker helps only
// where a second processor can run it; tests force either choice.
#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vorne {

enum class TWorker { InflateAhead, WriteBehind, CompressAhead };

// How many threads speed work may use: the environment variable
// VORNE_THREADS when it holds a number from 1 to 256, else one per processor.
// One means none besides the caller's own.
int WorkerThreads();
// Overrides WorkerThreads for a test; nullopt returns it to the variable and
// the processors.
void SetWorkerThreadsForTesting(std::optional<int> threads);

// True when the worker may run: forced by a test, else more than one thread.
bool WorkerWanted(TWorker worker);
// Forces the choice for a test; nullopt returns it to the thread count.
void SetWorkerForTesting(TWorker worker, std::optional<bool> on);

// A fixed set of threads running jobs in the order they are queued. A job's
// future tells its owner when it is done and carries what it threw. The
// destructor runs the jobs still queued, then joins the threads.
class TWorkPool {
 public:
  explicit TWorkPool(int threads);
  ~TWorkPool();
  TWorkPool(const TWorkPool&) = delete;
  TWorkPool& operator=(const TWorkPool&) = delete;

  std::future<void> Run(std::packaged_task<void()> job);
  int Threads() const { return int(threads_.size()); }

  // The program's pool, made at first use with WorkerThreads() threads.
  static TWorkPool& Shared();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::packaged_task<void()>> jobs_;
  bool stop_ = false;
  std::vector<std::thread> threads_;  // last: they start once the rest is made
};

}  // namespace vorne
