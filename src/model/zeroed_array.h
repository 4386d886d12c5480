#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace sc {

// Zero-filled bytes that come from fresh pages rather than from a fill: a
// 20 MB profile is not written twice, once with zeros and once by the compile.
class ZeroedStorage {
 public:
  explicit ZeroedStorage(size_t bytes);
  ZeroedStorage(const ZeroedStorage& other);
  ZeroedStorage& operator=(const ZeroedStorage& other);
  // A move hands the block over: a 20 MB profile is never copied by a move.
  ZeroedStorage(ZeroedStorage&& other) noexcept;
  ZeroedStorage& operator=(ZeroedStorage&& other) noexcept;
  ~ZeroedStorage();

  void* data() const { return data_; }

 private:
  void* data_;
  size_t bytes_;
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
