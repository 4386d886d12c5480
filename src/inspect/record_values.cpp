#include "inspect/record_values.h"

#include <tuple>

#include "format/row_kinds.h"
#include "inspect/describe.h"
#include "model/object_rules.h"
#include "objects/route_objects.h"

namespace sc {
namespace {

// The row kind's name for its value `number`, counted from 1 as the docs count
// a row's values.
std::string_view value_name(RowKind kind, size_t number) {
  return row_kind(kind).values[number - 1].name;
}

void add_named(std::vector<DecodedValue>& out, const std::vector<NamedValue>& values) {
  for (const NamedValue& v : values) out.push_back({std::string(v.name), v.value});
}

// Objects whose row gives their position: that position and their landing.
void add_object_metres(std::vector<DecodedValue>& out, int32_t index) {
  out.push_back({"row_position_m", object_position(index)});
  out.push_back({"lands_at_m", object_landing(index)});
}

void add_speed_board(std::vector<DecodedValue>& out, const objects::SpeedBoard& b) {
  out.push_back({"vas_kmh", int64_t{b.vas}});
  out.push_back({"vbs_kmh", int64_t{b.vbs}});
  out.push_back({"vcs_kmh", int64_t{b.vcs}});
  out.push_back({"vad_kmh", int64_t{b.vad}});
  out.push_back({"vbd_kmh", int64_t{b.vbd}});
  out.push_back({"vcd_kmh", int64_t{b.vcd}});
  out.push_back({"strisces", int64_t{b.strisces}});
  out.push_back({"strisced", int64_t{b.strisced}});
}

void add_occupant(std::vector<DecodedValue>& out, const std::vector<Cell>& cells, int32_t index) {
  const Cell& c = cells[static_cast<size_t>(index)];
  switch (c.type_code) {
    case cell_type::kSignal:
      add_object_metres(out, index);
      add_named(out, signal_values(objects::decode_signal(cells, index)));
      break;
    case cell_type::kSpeedBoard:
      add_object_metres(out, index);
      add_speed_board(out, objects::decode_speed_board(c, index));
      break;
    case cell_type::kSlowdownWarning:
    case cell_type::kSlowdownStart:
    case cell_type::kSlowdownEnd:
      add_object_metres(out, index);
      out.push_back({"speed_kmh", int64_t{c.*cell_slot::kSlowdownSpeed}});
      break;
    case cell_type::kTextBoard:
      add_object_metres(out, index);
      break;
    default:
      break;
  }
}

void add_station(std::vector<DecodedValue>& out, const ScenarioTable& table, int index) {
  const objects::Station s = objects::decode_station(table, index);
  out.push_back({"position_m", int64_t{s.position}});
  out.push_back({"first_m", int64_t{s.start}});
  out.push_back({"last_m", int64_t{s.end}});
  out.push_back({"time", objects::clock_time(s.time)});
  add_named(out, stored_station_values(table[static_cast<size_t>(index)]));
}

}  // namespace

std::vector<NamedValue> signal_values(const objects::Signal& signal) {
  const int64_t in_row_order[] = {signal.sx, signal.s1, signal.s2, signal.s3, signal.rapp,
                                  signal.dx, signal.d1, signal.d2, signal.d3};
  std::vector<NamedValue> values;
  for (size_t i = 0; i < std::size(in_row_order); ++i) {
    values.push_back({value_name(RowKind::kSignal, i + 2), in_row_order[i]});
  }
  return values;
}

std::vector<NamedValue> stored_station_values(const TableEntry& station) {
  std::vector<NamedValue> values;
  size_t number = kFirstStoredStationValue;
  std::apply(
      [&](auto... field) {
        ((values.push_back({value_name(RowKind::kStation, number++), station.*field})), ...);
      },
      kStoredStationValues);
  return values;
}

std::vector<DecodedValue> decoded_cell(const std::vector<Cell>& cells, int32_t index) {
  const Cell& cell = cells[static_cast<size_t>(index)];
  std::vector<DecodedValue> out = {
      {"start_m", int64_t{index} * kCellMetres},
      {"speed_limit_kmh", int64_t{line_speed_kmh(cell.speed_limit)}},
      {"gradient_per_mille", int64_t{gradient_per_mille(cell.gradient)}}};
  add_occupant(out, cells, index);
  return out;
}

std::vector<DecodedValue> decoded_entry(const ScenarioTable& table, int index) {
  const TableEntry& e = table[static_cast<size_t>(index)];
  std::vector<DecodedValue> out;
  switch (objects::entry_role(table, index)) {
    case objects::EntryRole::kStation:
      add_station(out, table, index);
      break;
    case objects::EntryRole::kFigures:
      out.push_back({"braked_mass_percent", int64_t{e.*slot::kBrakedMass}});
      out.push_back({"route_length_m", int64_t{e.*slot::kRouteLength}});
      break;
    case objects::EntryRole::kTrainHeader:
      out.push_back({"repetition_first_m", int64_t{e.*slot::kRepetitionFirst}});
      out.push_back({"repetition_second_m", int64_t{e.*slot::kRepetitionSecond}});
      out.push_back({"clock", objects::clock_time(e.*slot::kClockHour, e.*slot::kClockMinute,
                                                  e.*slot::kClockSecond)});
      break;
    default:
      break;
  }
  return out;
}

}  // namespace sc
