#include "batch/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace sc {

void for_each_in_parallel(size_t count, unsigned jobs, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr first_failure;
  std::mutex failure_mutex;
  const auto worker = [&] {
    for (size_t i = next++; i < count && !failed; i = next++) {
      try {
        work(i);
      } catch (...) {
        const std::lock_guard lock(failure_mutex);
        if (!first_failure) first_failure = std::current_exception();
        failed = true;
      }
    }
  };
  const size_t threads = std::clamp<size_t>(jobs, 1, std::max<size_t>(count, 1));
  std::vector<std::thread> started;
  for (size_t t = 1; t < threads; ++t) started.emplace_back(worker);
  worker();
  for (std::thread& t : started) t.join();
  if (first_failure) std::rethrow_exception(first_failure);
}

}  // namespace sc
