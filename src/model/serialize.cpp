#include "model/serialize.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace sc {
namespace {

static_assert(std::endian::native == std::endian::little, "little-endian host expected");

// Stores a value at `at` and returns the position after it.
template <typename T>
char* put_le(char* at, T value) {
  std::memcpy(at, &value, sizeof(T));
  return at + sizeof(T);
}

template <typename T>
void append_value(std::string& out, const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    // The field reader caps texts at 65535 bytes, so the length always fits.
    append_value(out, static_cast<uint16_t>(value.size()));
    out += value;
  } else {
    char bytes[sizeof(T)];
    put_le(bytes, value);
    out.append(bytes, sizeof(T));
  }
}

template <typename Record, typename Layout>
void append_record(std::string& out, const Record& record, const Layout& layout) {
  for_each_field(layout,
                 [&out, &record](const auto& field) { append_value(out, record.*field.member); });
}

template <typename Record, typename Layout>
Record read_record(ByteReader& in, const Layout& layout) {
  Record record;
  for_each_field(layout, [&in, &record](const auto& field) {
    auto& value = record.*field.member;
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
      value = in.read_text(field.name);
    } else {
      value = in.read<std::remove_cvref_t<decltype(value)>>(field.name);
    }
  });
  return record;
}

}  // namespace

void append_cell(std::string& out, const Cell& cell) {
  append_record(out, cell, kCellLayout);
}

void append_table_entry(std::string& out, const TableEntry& e) {
  append_record(out, e, kTableEntryLayout);
}

std::string serialize_cells(const std::vector<Cell>& cells) {
  std::string out;
  out.reserve(cells.size() * kCellBytes);
  for (const Cell& c : cells) append_cell(out, c);
  return out;
}

std::string serialize_table(const ScenarioTable& table) {
  std::string out;
  for (const TableEntry& e : table) append_table_entry(out, e);
  return out;
}

namespace {

// A long route has millions of small values: they go through a local buffer
// that is handed on whole. Each stretch of elements is cut to what surely
// fits, so the loops over the points check no room.
class ProfileBuffer {
 public:
  static constexpr size_t kLargestElement = sizeof(uint16_t) + sizeof(double);

  explicit ProfileBuffer(const ByteSink& sink) : sink_(sink) {}
  // Room for at least one element, and how many fit.
  size_t room() {
    size_t elements = static_cast<size_t>(buffer_ + sizeof buffer_ - at_) / kLargestElement;
    if (elements == 0) {
      flush();
      elements = sizeof buffer_ / kLargestElement;
    }
    return elements;
  }
  void put(Profile::Tag tag) { at_ = put_le(at_, static_cast<uint16_t>(tag)); }
  template <typename T>
  void put(Profile::Tag tag, T value) {
    at_ = put_le(put_le(at_, static_cast<uint16_t>(tag)), value);
  }
  void flush() {
    sink_(std::string_view(buffer_, static_cast<size_t>(at_ - buffer_)));
    at_ = buffer_;
  }

 private:
  const ByteSink& sink_;
  char buffer_[1 << 16];
  char* at_ = buffer_;
};

void write_point_values(const Profile& profile, int k, ProfileBuffer& out) {
  const Profile::Tag* tags = profile.tags(k);
  const double* values = profile.values(k);
  const size_t points = static_cast<size_t>(profile.last_point()) + 1;
  for (size_t m = 0; m < points;) {
    for (const size_t stop = std::min(points, m + out.room()); m < stop; ++m) {
      // Nearly every point of a route is a double.
      if (tags[m] == Profile::Tag::kDouble) {
        out.put(tags[m], values[m]);
        continue;
      }
      visit_profile_value(static_cast<uint16_t>(tags[m]), [&](auto type) {
        using T = typename decltype(type)::type;
        if constexpr (std::is_void_v<T>) {
          out.put(tags[m]);
        } else {
          out.put(tags[m], static_cast<T>(values[m]));
        }
      });
    }
  }
}

// One coordinate of a profile held as runs: its points are computed here,
// block by block, so that no more than a block of them is ever held.
void write_run_values(const Profile& profile, int k, ProfileBuffer& out) {
  const int16_t* seeds = k == Profile::kX ? Profile::kSeedX : Profile::kSeedY;
  int32_t m = 0;
  for (; m < 2 && m <= profile.last_point(); ++m) {
    out.room();
    if (profile.seeded()) {
      out.put(Profile::Tag::kInteger, seeds[m]);
    } else {
      out.put(Profile::Tag::kEmpty);
    }
  }
  for (ProfileBlocks blocks(profile); blocks.next();) {
    const double* values = k == Profile::kX ? blocks.x() : blocks.y();
    for (int32_t i = 0; i < blocks.count();) {
      const auto room = static_cast<int32_t>(
          std::min<size_t>(out.room(), static_cast<size_t>(blocks.count() - i)));
      for (const int32_t stop = i + room; i < stop; ++i) out.put(Profile::Tag::kDouble, values[i]);
    }
    m = blocks.first() + blocks.count();
  }
  for (; m <= profile.last_point(); ++m) {
    out.room();
    out.put(Profile::Tag::kEmpty);
  }
}

}  // namespace

void write_profile(const Profile& profile, const ByteSink& sink) {
  ProfileBuffer out(sink);
  for (int k : {Profile::kX, Profile::kY}) {
    if (profile.held_as_runs()) {
      write_run_values(profile, k, out);
    } else {
      write_point_values(profile, k, out);
    }
  }
  out.flush();
}

std::string serialize_profile(const Profile& profile) {
  std::string out;
  write_profile(profile, [&out](std::string_view piece) { out += piece; });
  return out;
}

void ByteReader::need(size_t count, std::string_view what) const {
  if (count <= remaining()) return;
  throw DecodeError(at_, "the file ends inside `" + std::string(what) +
                             "`: " + std::to_string(count) + " bytes needed, " +
                             std::to_string(remaining()) + " left");
}

std::string ByteReader::read_text(std::string_view what) {
  const auto length = read<uint16_t>(what);
  need(length, what);
  std::string text(bytes_.substr(at_, length));
  at_ += length;
  return text;
}

Cell read_cell(ByteReader& in) {
  return read_record<Cell>(in, kCellLayout);
}

TableEntry read_table_entry(ByteReader& in) {
  return read_record<TableEntry>(in, kTableEntryLayout);
}

std::vector<Cell> read_cells(std::string_view bytes) {
  if (bytes.empty()) throw DecodeError(0, "the file is empty; a cell file holds at least one cell");
  const size_t whole = bytes.size() / kCellBytes;
  if (bytes.size() % kCellBytes != 0) {
    throw DecodeError(whole * kCellBytes, "cell " + std::to_string(whole) + " is cut short: " +
                                              std::to_string(bytes.size() % kCellBytes) +
                                              " bytes left where a cell takes 15");
  }
  ByteReader in(bytes);
  std::vector<Cell> cells;
  cells.reserve(whole);
  while (!in.at_end()) cells.push_back(read_cell(in));
  return cells;
}

ScenarioTable read_table(std::string_view bytes) {
  ByteReader in(bytes);
  ScenarioTable table;
  for (size_t i = 0; i < table.size(); ++i) {
    if (in.at_end()) {
      throw DecodeError(in.offset(), "the file ends before entry " + std::to_string(i) +
                                         "; a scenario table holds entries 0 to 86");
    }
    try {
      table[i] = read_table_entry(in);
    } catch (const DecodeError& e) {
      throw DecodeError(e.offset(), "entry " + std::to_string(i) + ": " + e.what());
    }
  }
  if (!in.at_end()) {
    throw DecodeError(in.offset(), "the 87 entries end here, but " +
                                       std::to_string(in.remaining()) + " more bytes follow");
  }
  return table;
}

Profile read_profile(std::string_view bytes) {
  std::vector<Profile::Tag> tags;
  std::vector<double> values;
  ByteReader in(bytes);
  while (!in.at_end()) {
    const size_t start = in.offset();
    const auto tag = in.read<uint16_t>("tag");
    double value = 0;
    const bool known = visit_profile_value(tag, [&in, &value](auto type) {
      using T = typename decltype(type)::type;
      if constexpr (!std::is_void_v<T>) value = in.read<T>("value");
    });
    if (!known) {
      throw DecodeError(start, "element " + std::to_string(tags.size()) + " has the unknown tag " +
                                   std::to_string(tag) +
                                   "; allowed are 0 (empty), 2 (16-bit integer) and 5 (double)");
    }
    tags.push_back(static_cast<Profile::Tag>(tag));
    values.push_back(value);
  }
  if (tags.empty())
    throw DecodeError(0, "the file is empty; a line profile holds at least one point");
  if (tags.size() % 2 != 0 ||
      tags.size() / 2 > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw DecodeError(bytes.size(), "the file holds " + std::to_string(tags.size()) +
                                        " elements; a profile holds an x and a y for every "
                                        "point, so their number must be even");
  }
  Profile profile(static_cast<int32_t>(tags.size() / 2 - 1));
  for (size_t i = 0; i < tags.size(); ++i) {
    const auto m = static_cast<int32_t>(i % (tags.size() / 2));
    const int k = i < tags.size() / 2 ? Profile::kX : Profile::kY;
    if (tags[i] == Profile::Tag::kInteger)
      profile.set_integer(m, k, static_cast<int16_t>(values[i]));
    if (tags[i] == Profile::Tag::kDouble) profile.set_double(m, k, values[i]);
  }
  return profile;
}

}  // namespace sc
