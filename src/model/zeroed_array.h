#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace sc {

// Zero-filled bytes that come from fresh pages rather than from a fill. On
// Linux, blocks of a huge page or more are aligned to it and advised into huge
// pages, which the kernel grants where it can: a 20 MB profile then takes a
// few dozen page faults instead of five thousand. Blocks from 64 KiB are
// mapped with their pages already in place, in one system call rather than a
// fault per page.
class ZeroedStorage {
 public:
  explicit ZeroedStorage(size_t bytes);
  ZeroedStorage(const ZeroedStorage& other);
  ZeroedStorage& operator=(const ZeroedStorage&) = delete;
  ~ZeroedStorage();

  void* data() const { return data_; }

 private:
  void* data_;
  size_t bytes_;
  bool mapped_;
};

// A fixed number of zero-initialised elements of a trivially copyable type
// whose all-zero bytes are the value wanted.
template <typename T>
class ZeroedArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  explicit ZeroedArray(size_t size) : storage_(size * sizeof(T)) {}
  T& operator[](size_t i) { return static_cast<T*>(storage_.data())[i]; }
  const T& operator[](size_t i) const { return static_cast<const T*>(storage_.data())[i]; }

 private:
  ZeroedStorage storage_;
};

}  // namespace sc
