#pragma once

#include <cstddef>
#include <functional>

namespace sc {

// Runs work(0) to work(count - 1) on `jobs` threads (at least one), each
// index once, and returns when all have ended. When one throws, no further
// index is started, and the first exception is thrown again here once the
// others have ended.
void for_each_in_parallel(size_t count, unsigned jobs, const std::function<void(size_t)>& work);

}  // namespace sc
