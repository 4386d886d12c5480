#include "inspect/describe.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <string_view>

#include "inspect/record_values.h"
#include "model/object_rules.h"
#include "model/serialize.h"
#include "objects/route_objects.h"
#include "textio/codepage.h"

namespace sc {
namespace {

using objects::clock_time;
using objects::EntryRole;

std::string str(int64_t value) {
  return std::to_string(value);
}

std::string kmh(int64_t value) {
  return str(value) + " km/h";
}

std::string signed_str(int64_t value) {
  return (value > 0 ? "+" : "") + str(value);
}

std::string quoted(const std::string& text_1252) {
  return "\"" + cp1252_to_utf8(text_1252) + "\"";
}

// The left side's speeds and stripes, then the right side's, as the row
// gives them.
std::string speed_board(const objects::SpeedBoard& b) {
  return "speed board: vas " + kmh(b.vas) + ", vbs " + kmh(b.vbs) + ", vcs " + kmh(b.vcs) +
         ", strisces " + str(b.strisces) + "; vad " + kmh(b.vad) + ", vbd " + kmh(b.vbd) +
         ", vcd " + kmh(b.vcd) + ", strisced " + str(b.strisced);
}

// "name = value, ..." in the order given.
std::string named(const std::vector<NamedValue>& values) {
  std::string text;
  for (const NamedValue& v : values) {
    text += (text.empty() ? "" : ", ") + std::string(v.name) + " = " + str(v.value);
  }
  return text;
}

std::string signal(const std::vector<Cell>& cells, int32_t index) {
  const Cell& c = cells[static_cast<size_t>(index)];
  return "signal: " + named(signal_values(objects::decode_signal(cells, index))) + " (stored " +
         str(c.*cell_slot::kSignalPairs[0]) + ", " + str(c.*cell_slot::kSignalPairs[1]) + ", " +
         str(c.*cell_slot::kSignalPairs[2]) + ", " + str(c.*cell_slot::kSignalRappCode) +
         "), time byte " + str(c.signal_time);
}

std::string slowdown(std::string_view what, const Cell& c) {
  std::string text = std::string(what) + ": speed " + kmh(c.*cell_slot::kSlowdownSpeed) + ", d_v " +
                     str(c.*cell_slot::kSlowdownDv);
  if (c.type_code != cell_type::kSlowdownWarning)
    text += ", f_tt " + str(c.*cell_slot::kSlowdownFtt);
  return text;
}

// A cell's four values under their names in the cell layout.
std::string values_by_name(const Cell& c) {
  std::string text;
  for_each_field(kCellLayout, [&](const auto& field) {
    if constexpr (std::is_same_v<typename std::remove_cvref_t<decltype(field)>::Value, int16_t>) {
      text += (text.empty() ? "" : ", ") + std::string(field.name) + " " + str(c.*field.member);
    }
  });
  return text;
}

std::string occupant(const std::vector<Cell>& cells, int32_t index) {
  const Cell& c = cells[static_cast<size_t>(index)];
  switch (c.type_code) {
    case cell_type::kEmpty:
      return "empty";
    case cell_type::kSignal:
      return signal(cells, index);
    case cell_type::kSlowdownEnd:
      return slowdown("slowdown end", c);
    case cell_type::kSlowdownStart:
      return slowdown("slowdown start", c);
    case cell_type::kSlowdownWarning:
      return slowdown("slowdown warning", c);
    case cell_type::kCountdown:
      return "slowdown countdown " + str(c.*cell_slot::kCountdownNumber) + ", d_v " +
             str(c.*cell_slot::kCountdownDv);
    case cell_type::kSpeedBoard:
      return speed_board(objects::decode_speed_board(c, index));
    case cell_type::kStationStop:
      return "station stop of station " + str(stop_station(c));
    case cell_type::kTunnelMarker:
      return "tunnel marker";
    case cell_type::kCodeChange:
      return "code change to " + str(c.*cell_slot::kCode);
    case cell_type::kAbbattimento:
      return "abbattimento point without a value";
    case cell_type::kTextBoard:
      return "text board, its text in entry " + str(c.*cell_slot::kTextEntry);
    default:
      return "unknown occupant " + str(c.type_code) + ": " + values_by_name(c);
  }
}

// Names the entry fields that the role's words leave out but that hold
// something, so that the text form hides nothing.
std::string other_fields(const TableEntry& e, std::set<std::string_view> described) {
  std::string text;
  for_each_field(kTableEntryLayout, [&](const auto& field) {
    const auto& value = e.*field.member;
    if (described.contains(field.name)) return;
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
      if (!value.empty()) text += std::string(text.empty() ? "" : ", ") + "text " + quoted(value);
    } else {
      if (value != 0) {
        text += std::string(text.empty() ? "" : ", ") + std::string(field.name) + " " + str(value);
      }
    }
  });
  return text.empty() ? text : "; also " + text;
}

std::string reference_slot(int index) {
  if (index == entry::kReferenceTre) return "tre";
  if (index == entry::kReferenceDue) return "due";
  return "uno";
}

std::string station(const ScenarioTable& table, int index) {
  const objects::Station s = objects::decode_station(table, index);
  return "station " + str(index) + " " + quoted(s.name) + ": type " + str(s.type) + ", position " +
         str(s.position) + " m, from " + str(s.start) + " m to " + str(s.end) + " m, time " +
         clock_time(s.time) + "; " +
         named(stored_station_values(table[static_cast<size_t>(index)]));
}

std::string role_words(const ScenarioTable& table, int index, EntryRole role) {
  const TableEntry& e = table[static_cast<size_t>(index)];
  switch (role) {
    case EntryRole::kUnused:
      return "empty" + other_fields(e, {});
    case EntryRole::kStation:
      return station(table, index);
    case EntryRole::kTextBoard:
      return "text board " + quoted(e.text);
    case EntryRole::kReference:
      return "km reference \"" + reference_slot(index) + "\": A " + str(e.*slot::kReferenceA) +
             ", B " + str(e.*slot::kReferenceB) + ", C " + str(e.*slot::kReferenceC) +
             other_fields(e, {"value1", "value2", "value3"});
    case EntryRole::kFigures:
      return "braked mass " + str(e.*slot::kBrakedMass) + " %, route length " +
             str(e.*slot::kRouteLength) + " m, cars " + str(e.*slot::kCars) +
             other_fields(e, {"value1", "value2", "value3"});
    case EntryRole::kLineHeader:
      return "line " + quoted(e.text) + ": background uno " + str(e.*slot::kBackgroundUno) +
             ", tre " + str(e.*slot::kBackgroundTre) + ", due " + str(e.*slot::kBackgroundDue) +
             "; format marker " + str(e.*slot::kFormatMarker) + ", check code " +
             str(e.*slot::kCheckCode) +
             other_fields(e, {"text", "value1", "value2", "value3", "int1", "value4"});
    case EntryRole::kTrainHeader:
      return "train " + quoted(e.text) + ": signal repetition " + str(e.*slot::kRepetitionFirst) +
             " m and " + str(e.*slot::kRepetitionSecond) + " m, code " +
             str(e.*slot::kRepetitionCode) + "; sand " + str(e.*slot::kSand) + "; clock " +
             clock_time(e.*slot::kClockHour, e.*slot::kClockMinute, e.*slot::kClockSecond) +
             other_fields(e,
                          {"text", "value1", "value2", "value3", "int1", "int3", "int4", "int5"});
  }
  return {};
}

std::string coordinate(const Profile& profile, int32_t m, int k) {
  switch (profile.tag(m, k)) {
    case Profile::Tag::kEmpty:
      return "empty";
    case Profile::Tag::kInteger:
      return str(static_cast<int64_t>(profile.value(m, k))) + " m (integer)";
    case Profile::Tag::kDouble:
      break;
  }
  // Metres to the millimetre; a value no route reaches in exponent form.
  const double value = profile.value(m, k);
  char text[64];
  std::snprintf(text, sizeof text, std::fabs(value) < 1e9 ? "%.3f m" : "%.6e m", value);
  return text;
}

int64_t cell_metre(int64_t index) {
  return index * kCellMetres;
}

// What a cell holds and carries, after its index.
std::string cell_contents(const std::vector<Cell>& cells, int32_t index) {
  const Cell& cell = cells[static_cast<size_t>(index)];
  std::string text = occupant(cells, index);
  if (index == kMarkerCell) {
    text += "; format marker " + str(cell.*cell_slot::kCellFormatMarker) + ", check code " +
            str(cell.*cell_slot::kCellCheckCode);
  }
  if (cell.mark != 0) {
    const MarkDigits digits = mark_digits(cell.mark);
    text += "; approach mark " + str(cell.mark) + " (code " + str(digits.code) + ", step " +
            str(digits.step) + ")";
  }
  if (cell.tunnel_type != 0) text += "; tunnel type " + str(cell.tunnel_type);
  if (cell.type_code != cell_type::kSignal && cell.signal_time != 0) {
    text += "; time byte " + str(cell.signal_time);
  }
  return text + "; limit " + kmh(line_speed_kmh(cell.speed_limit)) + ", gradient " +
         signed_str(gradient_per_mille(cell.gradient)) + " \u2030, adhesion " + str(cell.adhesion);
}

// A run holds empty cells alike in every field; cell 1 stands alone, as its
// line also shows the format marker and check code it carries.
bool same_empty_cell(const std::vector<Cell>& cells, int32_t first, int32_t next) {
  const Cell& c = cells[static_cast<size_t>(first)];
  return c.type_code == cell_type::kEmpty && first != kMarkerCell && next != kMarkerCell &&
         cells[static_cast<size_t>(next)] == c;
}

bool empty_entry(const ScenarioTable& table, int index) {
  return objects::entry_role(table, index) == EntryRole::kUnused &&
         table[static_cast<size_t>(index)] == TableEntry{};
}

// The last index from `first` to `last` that `joins(first, i)` lets into a
// run with `first`.
template <typename Joins>
int64_t run_end(int64_t first, int64_t last, Joins joins) {
  int64_t end = first;
  while (end < last && joins(first, end + 1)) ++end;
  return end;
}

std::string index_range(int64_t first, int64_t last) {
  return str(first) + "\u2013" + str(last);
}

}  // namespace

std::string describe_cell(const std::vector<Cell>& cells, int32_t index) {
  return "cell " + str(index) + " at " + str(cell_metre(index)) +
         " m: " + cell_contents(cells, index);
}

std::vector<std::string> describe_cells(const std::vector<Cell>& cells, int32_t first,
                                        int32_t last) {
  std::vector<std::string> lines;
  for (int32_t i = first; i <= last; ++i) {
    const auto end = static_cast<int32_t>(run_end(i, last, [&](int64_t a, int64_t b) {
      return same_empty_cell(cells, static_cast<int32_t>(a), static_cast<int32_t>(b));
    }));
    if (end == i) {
      lines.push_back(describe_cell(cells, i));
    } else {
      lines.push_back("cells " + index_range(i, end) + " from " + str(cell_metre(i)) + " m to " +
                      str(cell_metre(end + 1)) + " m: " + cell_contents(cells, i));
    }
    i = end;
  }
  return lines;
}

std::vector<std::string> describe_entries(const ScenarioTable& table, int first, int last) {
  std::vector<std::string> lines;
  for (int i = first; i <= last; ++i) {
    const auto end = static_cast<int>(run_end(i, last, [&](int64_t a, int64_t b) {
      return empty_entry(table, static_cast<int>(a)) && empty_entry(table, static_cast<int>(b));
    }));
    lines.push_back(end == i ? describe_entry(table, i)
                             : "entries " + index_range(i, end) + ": empty");
    i = end;
  }
  return lines;
}

std::string describe_entry(const ScenarioTable& table, int index) {
  return "entry " + str(index) + ": " + role_words(table, index, objects::entry_role(table, index));
}

std::string describe_point(const Profile& profile, int32_t m) {
  return "point " + str(m) + " m: x " + coordinate(profile, m, Profile::kX) + ", y " +
         coordinate(profile, m, Profile::kY);
}

}  // namespace sc
