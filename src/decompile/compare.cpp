#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "decompile/decompile.h"

namespace sc {
namespace {

template <typename Record>
struct Field {
  const char* name;
  std::function<int64_t(const Record&)> value;
};

template <typename Record, typename T>
Field<Record> field(const char* name, T Record::*member) {
  return {name, [member](const Record& r) { return static_cast<int64_t>(r.*member); }};
}

const std::vector<Field<Cell>>& cell_fields() {
  static const std::vector<Field<Cell>> fields = {field("type_code", &Cell::type_code),
                                                  field("info1", &Cell::info1),
                                                  field("info2", &Cell::info2),
                                                  field("info3", &Cell::info3),
                                                  field("info4", &Cell::info4),
                                                  field("signal_time", &Cell::signal_time),
                                                  field("mark", &Cell::mark),
                                                  field("tunnel_type", &Cell::tunnel_type),
                                                  field("speed_limit", &Cell::speed_limit),
                                                  field("gradient", &Cell::gradient),
                                                  field("adhesion", &Cell::adhesion)};
  return fields;
}

const std::vector<Field<TableEntry>>& entry_fields() {
  static const std::vector<Field<TableEntry>> fields = {
      field("type_code", &TableEntry::type_code), field("value1", &TableEntry::value1),
      field("value2", &TableEntry::value2),       field("value3", &TableEntry::value3),
      field("flag", &TableEntry::flag),           field("int1", &TableEntry::int1),
      field("int2", &TableEntry::int2),           field("int3", &TableEntry::int3),
      field("int4", &TableEntry::int4),           field("int5", &TableEntry::int5),
      field("byte1", &TableEntry::byte1),         field("byte2", &TableEntry::byte2),
      field("byte3", &TableEntry::byte3),         field("byte4", &TableEntry::byte4),
      field("value4", &TableEntry::value4)};
  return fields;
}

std::string differs(const std::string& place, const std::string& expected,
                    const std::string& produced) {
  return place + ": " + expected + " expected, " + produced + " produced";
}

template <typename Record>
std::optional<std::string> first_field_difference(const std::string& place, const Record& expected,
                                                  const Record& produced,
                                                  const std::vector<Field<Record>>& fields) {
  for (const Field<Record>& f : fields) {
    const int64_t e = f.value(expected);
    const int64_t p = f.value(produced);
    if (e != p) return differs(place + " " + f.name, std::to_string(e), std::to_string(p));
  }
  return std::nullopt;
}

std::string point_value(const Profile& profile, int32_t m, int k) {
  switch (profile.tag(m, k)) {
    case Profile::Tag::kEmpty:
      return "empty";
    case Profile::Tag::kInteger:
      return std::to_string(static_cast<int64_t>(profile.value(m, k)));
    case Profile::Tag::kDouble:
      break;
  }
  std::ostringstream out;
  out.precision(17);
  out << profile.value(m, k);
  return out.str();
}

bool same_point(const Profile& a, const Profile& b, int32_t m, int k) {
  if (a.tag(m, k) != b.tag(m, k)) return false;
  if (a.tag(m, k) == Profile::Tag::kEmpty) return true;
  const double x = a.value(m, k);
  const double y = b.value(m, k);
  return std::memcmp(&x, &y, sizeof x) == 0;
}

std::optional<std::string> first_profile_difference(const Profile& expected,
                                                    const Profile& produced) {
  if (expected.last_point() != produced.last_point()) {
    return differs("line profile last point", std::to_string(expected.last_point()),
                   std::to_string(produced.last_point()));
  }
  for (int k : {Profile::kX, Profile::kY}) {
    for (int32_t m = 0; m <= expected.last_point(); ++m) {
      if (same_point(expected, produced, m, k)) continue;
      return differs("line profile point " + std::to_string(m) + (k == Profile::kX ? " x" : " y"),
                     point_value(expected, m, k), point_value(produced, m, k));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> first_difference(const Scenario& expected, const Scenario& produced) {
  if (expected.profile) {
    if (!produced.profile) return "line profile: a profile expected, none produced";
    if (auto d = first_profile_difference(*expected.profile, *produced.profile)) return d;
  }
  for (int i = 0; i < kTableEntries; ++i) {
    const TableEntry& e = expected.table[static_cast<size_t>(i)];
    const TableEntry& p = produced.table[static_cast<size_t>(i)];
    const std::string place = "entry " + std::to_string(i);
    if (auto d = first_field_difference(place, e, p, entry_fields())) return d;
    if (e.text != p.text) return differs(place + " text", '"' + e.text + '"', '"' + p.text + '"');
  }
  if (expected.cells.size() != produced.cells.size()) {
    return differs("number of cells", std::to_string(expected.cells.size()),
                   std::to_string(produced.cells.size()));
  }
  for (size_t i = 0; i < expected.cells.size(); ++i) {
    if (auto d = first_field_difference("cell " + std::to_string(i), expected.cells[i],
                                        produced.cells[i], cell_fields())) {
      return d;
    }
  }
  return std::nullopt;
}

}  // namespace sc
