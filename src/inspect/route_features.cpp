#include "inspect/route_features.h"

#include <cstdio>

namespace sc {
namespace {

constexpr int kPackedSpeedFactor = 20;

bool is_cleared(const TableEntry& e) {
  return e == TableEntry{};
}

// A text board entry holds its text and nothing else.
bool holds_only_text(const TableEntry& e) {
  TableEntry without_text = e;
  without_text.text.clear();
  return !e.text.empty() && is_cleared(without_text);
}

Station station_of(const ScenarioTable& table, int index) {
  const TableEntry& e = table[static_cast<size_t>(index)];
  return {index, e.text, e.value3, e.value1, e.value2, e.value4};
}

std::string board_text(const ScenarioTable& table, int16_t entry) {
  if (entry < 0 || entry >= kTableEntries) return {};
  return table[static_cast<size_t>(entry)].text;
}

// The end of the slowdown that starts at `start`: the next end cell, or the
// start itself when another start comes first (a slowdown of length 0).
int32_t slowdown_end(const std::vector<Cell>& cells, int32_t start) {
  for (size_t i = static_cast<size_t>(start) + 1; i < cells.size(); ++i) {
    if (cells[i].type_code == cell_type::kSlowdownEnd) return static_cast<int32_t>(i);
    if (cells[i].type_code == cell_type::kSlowdownStart) break;
  }
  return start;
}

// The warning of a slowdown: the nearest warning cell before its start, unless
// an earlier slowdown's start lies between.
int32_t slowdown_warning(const std::vector<Cell>& cells, int32_t start) {
  for (int32_t i = start - 1; i >= 0; --i) {
    const uint8_t type = cells[static_cast<size_t>(i)].type_code;
    if (type == cell_type::kSlowdownWarning) return i;
    if (type == cell_type::kSlowdownStart) break;
  }
  return -1;
}

void add_tunnel_cell(std::vector<CellSpan>& tunnels, int32_t index, uint8_t type) {
  if (type == 0) return;
  if (!tunnels.empty() && tunnels.back().last == index - 1 && tunnels.back().type == type) {
    tunnels.back().last = index;
  } else {
    tunnels.push_back({index, index, type});
  }
}

void add_occupant(RouteFeatures& f, const Scenario& model, int32_t index) {
  const Cell& c = model.cells[static_cast<size_t>(index)];
  switch (c.type_code) {
    case cell_type::kSignal:
      f.signals.push_back(index);
      break;
    case cell_type::kSpeedBoard:
      f.speed_boards.push_back({index, packed_first_speed(c.info1), packed_first_speed(c.info2),
                                packed_first_speed(c.info3)});
      break;
    case cell_type::kTextBoard:
      f.text_boards.push_back({index, board_text(model.table, c.info1)});
      break;
    case cell_type::kSlowdownStart:
      f.slowdowns.push_back(
          {slowdown_warning(model.cells, index), index, slowdown_end(model.cells, index), c.info1});
      break;
    case cell_type::kCodeChange:
      f.code_changes.push_back(index);
      break;
    case cell_type::kAbbattimento:
      f.abbattimento_points.push_back(index);
      break;
    default:
      break;
  }
}

}  // namespace

EntryRole entry_role(const ScenarioTable& table, int index) {
  switch (index) {
    case entry::kReferenceTre:
    case entry::kReferenceDue:
    case entry::kReferenceUno:
      return EntryRole::kReference;
    case entry::kFigures:
      return EntryRole::kFigures;
    case entry::kLineHeader:
      return EntryRole::kLineHeader;
    case entry::kTrainHeader:
      return EntryRole::kTrainHeader;
    default:
      break;
  }
  const TableEntry& e = table[static_cast<size_t>(index)];
  if (index < entry::kFirstStation || index > entry::kFirstBoard || is_cleared(e)) {
    return EntryRole::kUnused;
  }
  return holds_only_text(e) ? EntryRole::kTextBoard : EntryRole::kStation;
}

RouteFeatures find_features(const Scenario& model) {
  RouteFeatures f;
  f.route_length = model.table[entry::kFigures].*slot::kRouteLength;
  for (int i = entry::kFirstStation; i <= entry::kFirstBoard; ++i) {
    if (entry_role(model.table, i) == EntryRole::kStation) {
      f.stations.push_back(station_of(model.table, i));
    }
  }
  for (int32_t i = 0; i <= model.last_cell(); ++i) {
    add_occupant(f, model, i);
    add_tunnel_cell(f.tunnels, i, model.cells[static_cast<size_t>(i)].tunnel_type);
  }
  return f;
}

int packed_first_speed(int16_t packed) {
  return packed / kPackedSpeedFactor;
}

int packed_second_speed(int16_t packed) {
  return packed % kPackedSpeedFactor * kSpeedStepKmh;
}

std::string clock_time(int32_t seconds) {
  const int64_t s = seconds;
  return clock_time(s / 3600, s / 60 % 60, s % 60);
}

std::string clock_time(int64_t hours, int64_t minutes, int64_t seconds) {
  char text[80];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds));
  return text;
}

}  // namespace sc
