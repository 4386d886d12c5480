#include "objects/route_objects.h"

#include <cstdio>

#include "model/cell_fill.h"
#include "model/object_rules.h"

namespace sc::objects {
namespace {

bool is_cleared(const TableEntry& e) {
  return e == TableEntry{};
}

// A text board entry holds its text and nothing else.
bool holds_only_text(const TableEntry& e) {
  TableEntry without_text = e;
  without_text.text.clear();
  return !e.text.empty() && is_cleared(without_text);
}

int64_t cell_start(int32_t cell) {
  return int64_t{cell} * kCellMetres;
}

bool holds(const std::vector<Cell>& cells, int64_t i, uint8_t type) {
  return i >= 0 && i < static_cast<int64_t>(cells.size()) &&
         cells[static_cast<size_t>(i)].type_code == type;
}

class SlowdownPairing {
 public:
  explicit SlowdownPairing(const std::vector<Cell>& cells)
      : cells_(cells), paired_(cells.size(), false) {}

  std::vector<Slowdown> run() {
    std::vector<Slowdown> slowdowns;
    for (int32_t s = 0; s < static_cast<int32_t>(cells_.size()); ++s) {
      if (holds(cells_, s, cell_type::kSlowdownStart)) slowdowns.push_back(slowdown(s));
    }
    return slowdowns;
  }

 private:
  const Cell& cell(int64_t i) const { return cells_[static_cast<size_t>(i)]; }

  bool same_values(int64_t i, const Cell& start) const {
    const Cell& c = cell(i);
    return c.info1 == start.info1 && c.info2 == start.info2 && c.info3 == start.info3;
  }

  bool open_end(int64_t i, const Cell& start) const {
    return holds(cells_, i, cell_type::kSlowdownEnd) && !paired_[static_cast<size_t>(i)] &&
           same_values(i, start);
  }

  int32_t end_of(int32_t s) {
    const Cell& start = cell(s);
    const auto last = static_cast<int32_t>(cells_.size()) - 1;
    for (int32_t e = s + 1; e <= last; ++e) {
      if (open_end(e, start)) return pair(e);
    }
    for (int32_t e = s - 1; e >= 0; --e) {
      if (open_end(e, start)) return pair(e);
    }
    return s;
  }

  int32_t pair(int32_t e) {
    paired_[static_cast<size_t>(e)] = true;
    return e;
  }

  std::optional<int32_t> warning_of(int32_t s) const {
    if (s < kLastWarnableCell) return std::nullopt;
    const int64_t w = slowdown_warning_cell(s);
    if (!holds(cells_, w, cell_type::kSlowdownWarning) || cell(w).info1 != cell(s).info1 ||
        cell(w).info2 != cell(s).info2) {
      return std::nullopt;
    }
    return static_cast<int32_t>(w);
  }

  // The countdown numbered from 1 in `base` downwards.
  bool countdown_from(int64_t base) const {
    for (int j = 0; j < kCountdownCells; ++j) {
      const int64_t c = base - j;
      if (!holds(cells_, c, cell_type::kCountdown) || cell(c).info1 != j + 1) return false;
    }
    return true;
  }

  Slowdown slowdown(int32_t s) {
    const Cell& start = cell(s);
    Slowdown d;
    d.start_cell = s;
    d.end_cell = end_of(s);
    d.warning_cell = warning_of(s);
    d.start = slowdown_position(s, d.warning_cell.has_value());
    if (d.warning_cell) {
      for (const WarnedStart& warned : warned_starts(s)) {
        if (!countdown_from(warned.countdown)) continue;
        d.countdown = true;
        d.start = warned.position;
        break;
      }
    }
    d.end = object_position(d.end_cell);
    if (d.warning_cell) d.warning = object_position(*d.warning_cell);
    d.speed = start.info1;
    d.d_v = start.info2;
    d.f_tt = start.info3;
    return d;
  }

  const std::vector<Cell>& cells_;
  std::vector<bool> paired_;
};

}  // namespace

SpeedBoard decode_speed_board(const Cell& c, int32_t i) {
  return {.cell = i,
          .position = object_position(i),
          .vas = packed_left_speed(c.info1),
          .vbs = packed_left_speed(c.info2),
          .vcs = packed_left_speed(c.info3),
          .vad = packed_right_speed(c.info1),
          .vbd = packed_right_speed(c.info2),
          .vcd = packed_right_speed(c.info3),
          .strisces = packed_left_stripes(c.info4),
          .strisced = packed_right_stripes(c.info4)};
}

namespace {

std::string board_text(const ScenarioTable& table, int16_t entry) {
  if (entry < 0 || entry >= kTableEntries) return {};
  return table[static_cast<size_t>(entry)].text;
}

void add_tunnel_cell(std::vector<Tunnel>& tunnels, int32_t i, uint8_t type) {
  if (type == 0) return;
  if (!tunnels.empty() && tunnels.back().last_cell == i - 1 && tunnels.back().type == type) {
    tunnels.back().last_cell = i;
    tunnels.back().end = tunnel_end(i);
  } else {
    tunnels.push_back({i, i, tunnel_start(i), tunnel_end(i), type});
  }
}

void add_change(std::vector<ValueChange>& changes, int32_t i, int value) {
  if (!changes.empty() && changes.back().value == value) return;
  changes.push_back({cell_start(i), value});
}

void add_occupant(RouteObjects& f, const Scenario& model, int32_t i) {
  const Cell& c = model.cells[static_cast<size_t>(i)];
  switch (c.type_code) {
    case cell_type::kSignal:
      f.signals.push_back(decode_signal(model.cells, i));
      break;
    case cell_type::kSpeedBoard:
      f.speed_boards.push_back(decode_speed_board(c, i));
      break;
    case cell_type::kTextBoard:
      f.text_boards.push_back({i, object_position(i), c.info1, board_text(model.table, c.info1)});
      break;
    case cell_type::kCodeChange:
      f.code_points.push_back({i, cell_start(i), c.info1});
      break;
    case cell_type::kAbbattimento:
      f.code_points.push_back({i, cell_start(i), std::nullopt});
      break;
    default:
      break;
  }
}

void add_values(RouteObjects& f, const Scenario& model, int32_t i) {
  const Cell& c = model.cells[static_cast<size_t>(i)];
  add_change(f.gradients, i, gradient_per_mille(c.gradient));
  add_change(f.speed_limits, i, line_speed_kmh(c.speed_limit));
  add_change(f.adhesions, i, c.adhesion);
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

Signal decode_signal(const Cell& cell, int32_t index, std::optional<int64_t> code_from_marks) {
  std::optional<SignalRappCode> rapp_code;
  if (code_from_marks) rapp_code = signal_rapp_code(cell.info4, *code_from_marks);
  if (!rapp_code) rapp_code = signal_rapp_code(cell.info4);
  const SignalSides sides = signal_sides(rapp_code->code, cell.signal_time != 0);
  const SignalPair first = signal_pair_values(cell.info1);
  const SignalPair second = signal_pair_values(cell.info2);
  const SignalPair third = signal_pair_values(cell.info3);
  return {.cell = index,
          .position = object_position(index),
          .sx = sides.sx,
          .s1 = first.s,
          .s2 = second.s,
          .s3 = third.s,
          .rapp = rapp_code->rapp,
          .dx = sides.dx,
          .d1 = first.d,
          .d2 = second.d,
          .d3 = third.d,
          .tempo = sides.sx == kTimedSx ? signal_tempo(cell.signal_time) : 0};
}

std::optional<int64_t> code_from_marks(const std::vector<Cell>& cells, int32_t index) {
  std::optional<int64_t> code;
  for (int k = 1; k <= kApproachMarks; ++k) {
    const int64_t c = int64_t{index} - 2 * k;
    if (c < 0 || c >= static_cast<int64_t>(cells.size())) continue;
    const std::optional<int64_t> told = approach_mark_code(cells[static_cast<size_t>(c)].mark, k);
    if (!told || (code && *code != *told)) return std::nullopt;
    code = told;
  }
  return code;
}

Signal decode_signal(const std::vector<Cell>& cells, int32_t index) {
  return decode_signal(cells[static_cast<size_t>(index)], index, code_from_marks(cells, index));
}

Station decode_station(const ScenarioTable& table, int index) {
  const TableEntry& e = table[static_cast<size_t>(index)];
  const StationExtent extent{e.*slot::kStationFirst, e.*slot::kStationLast};
  const StationLength length = station_length(e.type_code, e.*slot::kStationPosition, extent);
  Station s{.entry = index,
            .name = e.text,
            .type = e.type_code,
            .position = e.*slot::kStationPosition,
            .start = e.*slot::kStationFirst,
            .end = e.*slot::kStationLast,
            .length = length.length,
            .end_extension = length.end_extension,
            .stop_cell = std::nullopt,
            .time = e.*slot::kStationTime};
  if (station_stops(e.type_code)) s.stop_cell = static_cast<int32_t>(station_stop_cell(s.end));
  return s;
}

std::vector<Slowdown> decode_slowdowns(const std::vector<Cell>& cells) {
  return SlowdownPairing(cells).run();
}

RouteObjects decode_objects(const Scenario& model) {
  RouteObjects f;
  f.route_length = model.table[entry::kFigures].*slot::kRouteLength;
  for (int i = entry::kFirstStation; i <= entry::kFirstBoard; ++i) {
    if (entry_role(model.table, i) == EntryRole::kStation) {
      f.stations.push_back(decode_station(model.table, i));
    }
  }
  for (int32_t i = 0; i <= model.last_cell(); ++i) {
    add_occupant(f, model, i);
    add_tunnel_cell(f.tunnels, i, model.cells[static_cast<size_t>(i)].tunnel_type);
    if (i <= last_tail_cell(model.last_cell())) add_values(f, model, i);
  }
  f.slowdowns = decode_slowdowns(model.cells);
  return f;
}

std::string clock_time(int32_t seconds) {
  const ClockTime clock = station_clock(seconds);
  return clock_time(clock.hours, clock.minutes, clock.seconds);
}

std::string clock_time(int64_t hours, int64_t minutes, int64_t seconds) {
  char text[80];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds));
  return text;
}

}  // namespace sc::objects
