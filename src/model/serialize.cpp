#include "model/serialize.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace sc {
namespace {

template <typename T>
void append_le(std::string& out, T value) {
  static_assert(std::endian::native == std::endian::little, "little-endian host expected");
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

// Stores a value at `at` and returns the position after it.
template <typename T>
char* put_le(char* at, T value) {
  std::memcpy(at, &value, sizeof(T));
  return at + sizeof(T);
}

}  // namespace

void append_cell(std::string& out, const Cell& c) {
  append_le(out, c.type_code);
  append_le(out, c.info1);
  append_le(out, c.info2);
  append_le(out, c.info3);
  append_le(out, c.info4);
  append_le(out, c.signal_time);
  append_le(out, c.mark);
  append_le(out, c.tunnel_type);
  append_le(out, c.speed_limit);
  append_le(out, c.gradient);
  append_le(out, c.adhesion);
}

void append_table_entry(std::string& out, const TableEntry& e) {
  append_le(out, e.type_code);
  append_le(out, e.value1);
  append_le(out, e.value2);
  append_le(out, e.value3);
  append_le(out, e.flag);
  // The reader caps texts at 65535 bytes, so the length always fits.
  append_le(out, static_cast<uint16_t>(e.text.size()));
  out += e.text;
  append_le(out, e.int1);
  append_le(out, e.int2);
  append_le(out, e.int3);
  append_le(out, e.int4);
  append_le(out, e.int5);
  append_le(out, e.byte1);
  append_le(out, e.byte2);
  append_le(out, e.byte3);
  append_le(out, e.byte4);
  append_le(out, e.value4);
}

std::string serialize_cells(const std::vector<Cell>& cells) {
  std::string out;
  out.reserve(cells.size() * 15);
  for (const Cell& c : cells) append_cell(out, c);
  return out;
}

std::string serialize_table(const ScenarioTable& table) {
  std::string out;
  for (const TableEntry& e : table) append_table_entry(out, e);
  return out;
}

void write_profile(const Profile& profile, const ByteSink& sink) {
  // A long route has millions of small values: they go through a local buffer
  // that is handed on whole, with the write position kept in a register.
  char buffer[1 << 16];
  constexpr size_t kLargestElement = sizeof(uint16_t) + sizeof(double);
  char* at = buffer;
  for (int k : {Profile::kX, Profile::kY}) {
    for (int32_t m = 0; m <= profile.last_point(); ++m) {
      if (static_cast<size_t>(buffer + sizeof buffer - at) < kLargestElement) {
        sink(std::string_view(buffer, static_cast<size_t>(at - buffer)));
        at = buffer;
      }
      const Profile::Tag tag = profile.tag(m, k);
      at = put_le(at, static_cast<uint16_t>(tag));
      if (tag == Profile::Tag::kInteger) {
        at = put_le(at, static_cast<int16_t>(profile.value(m, k)));
      } else if (tag == Profile::Tag::kDouble) {
        at = put_le(at, profile.value(m, k));
      }
    }
  }
  sink(std::string_view(buffer, static_cast<size_t>(at - buffer)));
}

std::string serialize_profile(const Profile& profile) {
  std::string out;
  write_profile(profile, [&out](std::string_view piece) { out += piece; });
  return out;
}

}  // namespace sc
