// The switches of the two worker threads that serve speed only: reading
// compressed text ahead and writing uncompressed text behind. A worker helps
// only where a second processor can run it; tests force either choice.
#pragma once

#include <optional>

namespace vorne {

enum class TWorker { InflateAhead, WriteBehind };

// True when the worker may run: forced by a test, else a second processor.
bool WorkerWanted(TWorker worker);
// Forces the choice for a test; nullopt returns it to the processor check.
void SetWorkerForTesting(TWorker worker, std::optional<bool> on);

}  // namespace vorne
