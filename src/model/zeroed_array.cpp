#include "model/zeroed_array.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace sc {

// calloc takes large blocks from fresh pages, which come zeroed, so nothing
// is filled before the compile writes them.
ZeroedStorage::ZeroedStorage(size_t bytes)
    : data_(std::calloc(bytes == 0 ? 1 : bytes, 1)), bytes_(bytes) {
  if (data_ == nullptr) throw std::bad_alloc();
}

ZeroedStorage::ZeroedStorage(const ZeroedStorage& other) : ZeroedStorage(other.bytes_) {
  std::memcpy(data_, other.data_, bytes_);
}

ZeroedStorage::ZeroedStorage(ZeroedStorage&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

ZeroedStorage& ZeroedStorage::operator=(const ZeroedStorage& other) {
  return *this = ZeroedStorage(other);
}

ZeroedStorage& ZeroedStorage::operator=(ZeroedStorage&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(bytes_, other.bytes_);
  return *this;
}

ZeroedStorage::~ZeroedStorage() {
  std::free(data_);
}

}  // namespace sc
