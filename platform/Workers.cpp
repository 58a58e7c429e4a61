#include "platform/Workers.h"

#include <thread>

namespace vorne {
namespace {

std::optional<bool> g_forced[2];

}  // namespace

bool WorkerWanted(TWorker worker) {
  return g_forced[int(worker)].value_or(std::thread::hardware_concurrency() > 1);
}

void SetWorkerForTesting(TWorker worker, std::optional<bool> on) { g_forced[int(worker)] = on; }

}  // namespace vorne
