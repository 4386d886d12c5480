#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "model/model.h"

namespace sc {

// Little-endian, no padding, no header: the byte forms the simulator reads.
//
// Each record is described once, as its fields in file order; the writer and
// the reader both walk that description, so they cannot disagree. A field's
// width is its member's type: 1, 2 or 4 bytes, or for a std::string a 16-bit
// length followed by that many bytes.
template <typename Record, typename T>
struct Field {
  using Value = T;
  std::string_view name;  // the model's name, also used by dumps
  T Record::*member;
};

inline constexpr std::tuple kCellLayout{
    Field<Cell, uint8_t>{"type_code", &Cell::type_code},
    Field<Cell, int16_t>{"info1", &Cell::info1},
    Field<Cell, int16_t>{"info2", &Cell::info2},
    Field<Cell, int16_t>{"info3", &Cell::info3},
    Field<Cell, int16_t>{"info4", &Cell::info4},
    Field<Cell, uint8_t>{"signal_time", &Cell::signal_time},
    Field<Cell, uint8_t>{"mark", &Cell::mark},
    Field<Cell, uint8_t>{"tunnel_type", &Cell::tunnel_type},
    Field<Cell, uint8_t>{"speed_limit", &Cell::speed_limit},
    Field<Cell, uint8_t>{"gradient", &Cell::gradient},
    Field<Cell, uint8_t>{"adhesion", &Cell::adhesion},
};

inline constexpr std::tuple kTableEntryLayout{
    Field<TableEntry, uint8_t>{"type_code", &TableEntry::type_code},
    Field<TableEntry, int32_t>{"value1", &TableEntry::value1},
    Field<TableEntry, int32_t>{"value2", &TableEntry::value2},
    Field<TableEntry, int32_t>{"value3", &TableEntry::value3},
    Field<TableEntry, uint8_t>{"flag", &TableEntry::flag},
    Field<TableEntry, std::string>{"text", &TableEntry::text},
    Field<TableEntry, int16_t>{"int1", &TableEntry::int1},
    Field<TableEntry, int16_t>{"int2", &TableEntry::int2},
    Field<TableEntry, int16_t>{"int3", &TableEntry::int3},
    Field<TableEntry, int16_t>{"int4", &TableEntry::int4},
    Field<TableEntry, int16_t>{"int5", &TableEntry::int5},
    Field<TableEntry, uint8_t>{"byte1", &TableEntry::byte1},
    Field<TableEntry, uint8_t>{"byte2", &TableEntry::byte2},
    Field<TableEntry, uint8_t>{"byte3", &TableEntry::byte3},
    Field<TableEntry, uint8_t>{"byte4", &TableEntry::byte4},
    Field<TableEntry, int32_t>{"value4", &TableEntry::value4},
};

// Calls `visit(field)` for every field of `layout`, in file order.
template <typename Layout, typename Visit>
constexpr void for_each_field(const Layout& layout, Visit&& visit) {
  std::apply([&visit](const auto&... field) { (visit(field), ...); }, layout);
}

// The bytes a field of type T takes, not counting a text's characters.
template <typename T>
constexpr size_t stored_width() {
  if constexpr (std::is_same_v<T, std::string>) {
    return sizeof(uint16_t);
  } else {
    return sizeof(T);
  }
}

// The bytes of a record whose texts are all empty.
template <typename Layout>
constexpr size_t fixed_bytes(const Layout& layout) {
  size_t total = 0;
  for_each_field(layout, [&total](const auto& field) {
    total += stored_width<typename std::remove_cvref_t<decltype(field)>::Value>();
  });
  return total;
}

inline constexpr size_t kCellBytes = fixed_bytes(kCellLayout);
static_assert(kCellBytes == 15);
static_assert(fixed_bytes(kTableEntryLayout) == 34);

// A profile element is a 16-bit tag followed by a value whose type the tag
// gives. Calls `visit(std::type_identity<T>{})` with that type (void for an
// empty element); returns false, without calling it, for an unknown tag.
template <typename Visit>
constexpr bool visit_profile_value(uint16_t tag, Visit&& visit) {
  switch (static_cast<Profile::Tag>(tag)) {
    case Profile::Tag::kEmpty:
      visit(std::type_identity<void>{});
      return true;
    case Profile::Tag::kInteger:
      visit(std::type_identity<int16_t>{});
      return true;
    case Profile::Tag::kDouble:
      visit(std::type_identity<double>{});
      return true;
  }
  return false;
}

void append_cell(std::string& out, const Cell& cell);            // 15 bytes
void append_table_entry(std::string& out, const TableEntry& e);  // 34 + text bytes

std::string serialize_cells(const std::vector<Cell>& cells);
std::string serialize_table(const ScenarioTable& table);
// Receives a file's bytes piece by piece, in order.
using ByteSink = std::function<void(std::string_view)>;

// All x values for m = 0 to P, then all y values, each a 16-bit tag and its
// value, handed to `sink` in pieces of at most 64 KiB: a long route's profile
// never has to be held whole in memory.
void write_profile(const Profile& profile, const ByteSink& sink);
std::string serialize_profile(const Profile& profile);

// Bytes that do not form what their reader expects; offset() is the byte at
// which they stop making sense.
class DecodeError : public std::runtime_error {
 public:
  DecodeError(size_t offset, const std::string& message)
      : std::runtime_error(message), offset_(offset) {}
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// Reads the byte forms back, value by value, keeping its place.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  size_t offset() const { return at_; }
  size_t remaining() const { return bytes_.size() - at_; }
  bool at_end() const { return at_ == bytes_.size(); }

  // The next little-endian value; throws DecodeError naming `what` when the
  // bytes end first.
  template <typename T>
  T read(std::string_view what) {
    need(sizeof(T), what);
    T value;
    std::memcpy(&value, bytes_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  // A 16-bit length and that many bytes.
  std::string read_text(std::string_view what);

 private:
  void need(size_t count, std::string_view what) const;

  std::string_view bytes_;
  size_t at_ = 0;
};

// One record; throws DecodeError when the bytes end inside it.
Cell read_cell(ByteReader& in);
TableEntry read_table_entry(ByteReader& in);
// Every cell of a cell file; its length must be a whole number of cells.
std::vector<Cell> read_cells(std::string_view bytes);
// The 87 entries of a scenario table file, with nothing after them.
ScenarioTable read_table(std::string_view bytes);
// A line profile file: x and y elements of every point, with known tags and
// as many y values as x values.
Profile read_profile(std::string_view bytes);

}  // namespace sc
