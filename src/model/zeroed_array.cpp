#include "model/zeroed_array.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sc {
namespace {

#if defined(__linux__)
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kPopulateFrom = size_t{64} << 10;

size_t round_up(size_t bytes, size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

// The length of the mapping that holds `bytes`: whole pages, and whole huge
// pages for a block of a huge page or more, since a partial one at its end
// would be served a small page at a time.
size_t mapped_length(size_t bytes) {
  if (bytes >= kHugePage) return round_up(bytes, kHugePage);
  return round_up(bytes, static_cast<size_t>(::sysconf(_SC_PAGESIZE)));
}

// An anonymous mapping of `bytes` aligned to a huge page, advised into huge
// pages; nullptr when the system refuses the mapping.
void* map_huge(size_t bytes) {
  bytes = mapped_length(bytes);
  const size_t length = bytes + kHugePage;
  void* mapping =
      ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(mapping);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  // Return the unaligned head and the unused tail.
  if (aligned > start) ::munmap(mapping, aligned - start);
  const uintptr_t end = aligned + bytes;
  if (start + length > end) ::munmap(reinterpret_cast<void*>(end), start + length - end);
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

// A mapping of `bytes` with every page already in place: one system call
// instead of a fault per page. nullptr when refused.
void* map_populated(size_t bytes) {
  void* mapping = ::mmap(nullptr, mapped_length(bytes), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return mapping == MAP_FAILED ? nullptr : mapping;
}
#endif

}  // namespace

ZeroedStorage::ZeroedStorage(size_t bytes) : data_(nullptr), bytes_(bytes), mapped_(false) {
#if defined(__linux__)
  if (bytes >= kHugePage) {
    data_ = map_huge(bytes);
  } else if (bytes >= kPopulateFrom) {
    data_ = map_populated(bytes);
  }
  mapped_ = data_ != nullptr;
#endif
  // calloc takes large blocks from fresh pages too, without filling them.
  if (data_ == nullptr) data_ = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (data_ == nullptr) throw std::bad_alloc();
}

ZeroedStorage::ZeroedStorage(const ZeroedStorage& other) : ZeroedStorage(other.bytes_) {
  std::memcpy(data_, other.data_, bytes_);
}

ZeroedStorage::~ZeroedStorage() {
#if defined(__linux__)
  if (mapped_) {
    ::munmap(data_, mapped_length(bytes_));
    return;
  }
#endif
  std::free(data_);
}

}  // namespace sc
