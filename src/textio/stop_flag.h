#pragma once

#include <atomic>
#include <cstddef>

namespace sc {

// Thrown by work that was asked to stop before it finished; whoever asked
// knows why and what to do next.
struct WorkStopped {};

// A request to stop a long piece of work, set from elsewhere (a signal
// handler, another thread) and looked at by the work between its steps. A
// default StopFlag is never set.
class StopFlag {
 public:
  StopFlag() = default;
  explicit StopFlag(const std::atomic<int>& requested) : requested_(&requested) {}

  bool requested() const {
    return requested_ != nullptr && requested_->load(std::memory_order_relaxed) != 0;
  }
  void stop_if_requested() const {
    if (requested()) throw WorkStopped{};
  }

 private:
  const std::atomic<int>* requested_ = nullptr;
};

// How many bytes a pass over a text reads between two looks at its StopFlag:
// a pass over a file of tens of megabytes then stops within milliseconds.
constexpr size_t kBytesBetweenStopLooks = size_t{1} << 20;

}  // namespace sc
