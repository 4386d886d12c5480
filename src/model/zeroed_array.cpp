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

ZeroedStorage& ZeroedStorage::operator=(const ZeroedStorage& other) {
  ZeroedStorage copy(other);
  std::swap(data_, copy.data_);
  std::swap(bytes_, copy.bytes_);
  return *this;
}

ZeroedStorage::~ZeroedStorage() {
  std::free(data_);
}

}  // namespace sc
