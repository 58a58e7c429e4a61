#include "platform/Workers.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace vorne {
namespace {

std::optional<bool> g_forced[3];
std::optional<int> g_threads;

int ThreadsFromMachine() {
  if (const char* v = std::getenv("VORNE_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    if (end != v && *end == '\0' && n >= 1 && n <= 256) return int(n);
  }
  return std::max(1, int(std::thread::hardware_concurrency()));
}

}  // namespace

int WorkerThreads() {
  static const int machine = ThreadsFromMachine();
  return g_threads.value_or(machine);
}

void SetWorkerThreadsForTesting(std::optional<int> threads) { g_threads = threads; }

bool WorkerWanted(TWorker worker) { return g_forced[int(worker)].value_or(WorkerThreads() > 1); }

void SetWorkerForTesting(TWorker worker, std::optional<bool> on) { g_forced[int(worker)] = on; }

TWorkPool::TWorkPool(int threads) {
  for (int i = 0; i < std::max(1, threads); ++i) threads_.emplace_back([this] { Work(); });
}

TWorkPool::~TWorkPool() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  queued_.notify_all();
  for (std::thread& t : threads_) t.join();
}

std::future<void> TWorkPool::Run(std::packaged_task<void()> job) {
  std::future<void> done = job.get_future();
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  queued_.notify_one();
  return done;
}

void TWorkPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and nothing left to run
    std::packaged_task<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();  // a throw lands in the job's future
    lock.lock();
  }
}

TWorkPool& TWorkPool::Shared() {
  // At least two threads, so that tests forcing the workers on a one-processor
  // machine still run them beside the caller.
  static TWorkPool pool(std::max(2, WorkerThreads()));
  return pool;
}

}  // namespace vorne
