#include "route_generator.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "format/row_kinds.h"
#include "format/row_writer.h"

namespace sc {
namespace {

constexpr int32_t kBlockCells = 80;  // 4 km

// The cells of one block, counted from its first cell. The slowdown fixes
// most of them: its warning stands 24 cells before its start and the four
// countdown cells just before the warning; the post-pass then marks the
// nearest cell of each window 5-7, 11-13 and 18-20 cells before the start,
// every 8th cell along a slowdown slower than 110, the cell before the first
// signal after its end and the cell before each signal within 20 cells before
// its warning. Every other object gets a cell none of these touch.
namespace block_slot {
constexpr int32_t kSignalBeforeWarning = 4;  // post-pass mark in 3
constexpr int32_t kSlowdownStart = 36;       // warning 12, countdown 8-11, marks 31, 25, 18
constexpr int32_t kSlowdownCells = 20;       // end 56; marks along it in 44 and 52
constexpr int32_t kSignalAfterEnd = 62;      // post-pass mark in 61
constexpr std::array<int32_t, 3> kSpeedBoards = {20, 40, 66};
constexpr int32_t kAbbattimentoWithoutCode = 27;
constexpr int32_t kAbbattimentoWithCode = 48;
constexpr int32_t kStationStop = 71;  // approach marks in 67-70
constexpr int32_t kTextBoard = 74;
// A slowdown whose start the stop cell takes: its end before its start, its
// warning 24 cells before, without a countdown (the post-pass marks 44).
constexpr int32_t kCoveredSlowdownEnd = 69;  // warning 47
}  // namespace block_slot

// Stations and text boards share table entries 1 to 80, and the entry after
// the last station must stay below the boards' entries.
constexpr int32_t kTextBoards = 18;
constexpr int32_t kStations = 78 - kTextBoards;
constexpr int32_t kStationLength = 200;
constexpr std::array<int32_t, 4> kStationTypes = {12, 22, 28, 27};
constexpr int32_t kFirstUnmarkedStationType = 25;

// Signals, slowdowns and boards stand in the cell position / 50 + 1.
int32_t metres_before(int32_t cell) {
  return (cell - 1) * kCellMetres;
}
// Code-change points stand in the cell position / 50.
int32_t metres_at(int32_t cell) {
  return cell * kCellMetres;
}

int32_t block_count(int32_t length) {
  return length / (kBlockCells * kCellMetres);
}
int32_t first_cell(int32_t block) {
  return block * kBlockCells;
}

// `count` blocks out of `blocks`, spread evenly, in route order.
std::vector<int32_t> spread(int32_t count, int32_t blocks) {
  std::vector<int32_t> chosen;
  for (int64_t k = 0; k < count; ++k) chosen.push_back(static_cast<int32_t>(k * blocks / count));
  return chosen;
}

// Calls `write(k, position)` for the positions 0, 50, 100, ... before `length`.
template <typename Write>
void every_cell(int32_t length, Write write) {
  for (int32_t k = 0; k * kCellMetres < length; ++k) write(k, k * kCellMetres);
}

void write_line_header(TextRows& f, int32_t length) {
  f.line(section_name(Section::kGeneral));
  f.row(keyword_of(RowKind::kRouteLength), length);
  // Distinct ordering keys put the references in order as they stand.
  const int32_t half = length / 100 * kCellMetres;
  f.row(keyword_of(RowKind::kReferenceUno), 0, 0, 0);
  f.row(keyword_of(RowKind::kReferenceDue), half, 1000, 0);
  f.row(keyword_of(RowKind::kReferenceTre), 2 * half, 2000, 1);
  f.row(keyword_of(RowKind::kBackgroundUno), 0);
  f.row(keyword_of(RowKind::kBackgroundDue), 1);
  f.row(keyword_of(RowKind::kBackgroundTre), 2);
  f.row(keyword_of(RowKind::kSignalRepetition), 1000, 50);
}

void write_gradients(TextRows& f, int32_t length) {
  f.line(section_name(Section::kGradients));
  every_cell(length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kGradient), p, k * 7 % 21 - 10);
  });
}

constexpr int32_t kShortArc = 20;

// Short arcs that alternate right and left with the same class, so the track
// wiggles but keeps its heading; each ends 30 m before the next starts, and
// the last at the route's end at the latest.
void write_curves(TextRows& f, int32_t length) {
  f.line(section_name(Section::kCurves));
  every_cell(length, [&](int32_t k, int32_t p) {
    const auto class_digit = static_cast<char>('1' + k / 2 % 6);
    f.row(curve_keyword(CurveKeyword{class_digit, k % 2 != 0}), p, std::min(kShortArc, length - p));
  });
}

// An arc after the short ones, from the route's end (or, on the longest
// routes, a little before it) to the last point an arc may reach, so that the
// run-out bends up to its last points. No row may start beyond the route's
// end, and no arc may reach point 1000000.
void write_run_out_curve(TextRows& f, int32_t length) {
  const int32_t last_arc_point = std::min(length + kRunOut, kLongestRoute - 1);
  // The point the short arcs lay the track to.
  const int32_t last_short = (length - 1) / kCellMetres * kCellMetres;
  const int32_t laid = length > 0 ? std::min(last_short + kShortArc, length) : 0;
  const int32_t start = std::max(laid, std::min(length, last_arc_point - 140));
  if (start < last_arc_point)
    f.row(curve_keyword(CurveKeyword{'1', true}), start, last_arc_point - start);
}

// Overlapping 200 m tunnels with markers, so most cells hold a marker that
// the objects placed later replace.
void write_tunnels(TextRows& f, int32_t length) {
  f.line(section_name(Section::kTunnels));
  every_cell(length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kTunnel), p, p + 200, 11 + k % 3);
  });
}

// The train's speed limit from the row at the start of cell k on.
int32_t speed_limit(int32_t k) {
  return 60 + 5 * (k * 3 % 19);
}

// Each board shows the limit that holds from its position as its second and
// third speed, 5 km/h less as its first.
void write_speed_boards(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kSpeedBoards));
  for (int32_t b = 0; b < blocks; ++b) {
    for (const int32_t cell : block_slot::kSpeedBoards) {
      const int32_t position = metres_before(first_cell(b) + cell);
      const int32_t limit = speed_limit(position / kCellMetres);
      f.row(keyword_of(RowKind::kSpeedBoard), position, limit - 5, limit, limit, b % 2, 7, 0, 15,
            cell % 2);
    }
  }
}

void write_text_boards(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kTextBoards));
  const std::vector<int32_t> chosen = spread(std::min(kTextBoards, blocks), blocks);
  for (size_t k = 0; k < chosen.size(); ++k) {
    f.row(keyword_of(RowKind::kTextBoard),
          metres_before(first_cell(chosen[k]) + block_slot::kTextBoard),
          "Posto di blocco " + std::to_string(k + 1));
  }
}

std::string line_text(int32_t length) {
  TextRows f;
  write_line_header(f, length);
  write_gradients(f, length);
  write_curves(f, length);
  write_run_out_curve(f, length);
  write_tunnels(f, length);
  write_speed_boards(f, block_count(length));
  write_text_boards(f, block_count(length));
  f.line(section_name(Section::kEnd));
  return f.take();
}

void write_train_values(TextRows& f) {
  f.line(section_name(Section::kGeneral));
  f.row(keyword_of(RowKind::kCars), 8);
  f.row(keyword_of(RowKind::kBrakedMass), 125);
  f.row(keyword_of(RowKind::kSand), 50);
  f.row(keyword_of(RowKind::kClock), 6, 0, 0);
}

void write_adhesion(TextRows& f, int32_t length) {
  f.line(section_name(Section::kAdhesions));
  every_cell(length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kAdhesion), p, 60 + k * 7 % 41);
  });
}

void write_speed_limits(TextRows& f, int32_t length) {
  f.line(section_name(Section::kSpeedLimits));
  every_cell(length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kSpeedLimit), p, speed_limit(k));
  });
}

// A centred station of 200 m whose last cell is the block's stop slot.
void write_station(TextRows& f, int32_t index, int32_t count, int32_t block) {
  const bool first = index == 0;
  const bool last = index == count - 1;
  const int32_t time = 6 * 3600 + index * 300;
  f.row(keyword_of(RowKind::kStation), metres_before(first_cell(block) + block_slot::kStationStop),
        kStationTypes[static_cast<size_t>(index) % kStationTypes.size()], kStationLength,
        last ? 1 : 0, 0, 0, 1, 1, 0, 4, 1, 1, first ? 1 : (last ? 0 : 30), time / 3600,
        time / 60 % 60, time % 60, "LOCALITA " + std::to_string(index + 1));
}

std::vector<int32_t> station_blocks(int32_t blocks) {
  return spread(std::min(kStations, blocks), blocks);
}

// Written before the stations: each stop cell then takes a start. Stations of
// type 25 and above place no stop cell, so they get none.
void write_covered_slowdowns(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kSlowdowns));
  const std::vector<int32_t> chosen = station_blocks(blocks);
  for (size_t k = 0; k < chosen.size(); ++k) {
    if (kStationTypes[k % kStationTypes.size()] >= kFirstUnmarkedStationType) continue;
    const int32_t start = metres_before(first_cell(chosen[k]) + block_slot::kStationStop);
    const int32_t end = metres_before(first_cell(chosen[k]) + block_slot::kCoveredSlowdownEnd);
    f.row(keyword_of(RowKind::kSlowdown), start, 60, end - start, 0, 0, 0);
  }
}

void write_stations(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kStations));
  const std::vector<int32_t> chosen = station_blocks(blocks);
  const auto count = static_cast<int32_t>(chosen.size());
  for (int32_t k = 0; k < count; ++k) write_station(f, k, count, chosen[static_cast<size_t>(k)]);
}

// Even blocks slow down to 60 (marks along the slowdown and after its end),
// odd blocks to 120 (none).
void write_slowdowns(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kSlowdowns));
  for (int32_t b = 0; b < blocks; ++b) {
    f.row(keyword_of(RowKind::kSlowdown), metres_before(first_cell(b) + block_slot::kSlowdownStart),
          b % 2 == 0 ? 60 : 120, block_slot::kSlowdownCells * kCellMetres, 1, 1, b % 3);
  }
}

void write_signal(TextRows& f, int32_t cell, int32_t sx) {
  f.row(keyword_of(RowKind::kSignal), metres_before(cell), sx, 4, 1, 1, 0, 2, 2, 1, 1,
        sx == 2 ? 30 : 0);
}

void write_signals(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kSignals));
  for (int32_t b = 0; b < blocks; ++b) {
    write_signal(f, first_cell(b) + block_slot::kSignalBeforeWarning, 1);
    write_signal(f, first_cell(b) + block_slot::kSignalAfterEnd, 2);
  }
}

void write_abbattimento_points(TextRows& f, int32_t blocks) {
  f.line(section_name(Section::kCodes));
  for (int32_t b = 0; b < blocks; ++b) {
    f.row(keyword_of(RowKind::kAbbattimento),
          metres_at(first_cell(b) + block_slot::kAbbattimentoWithoutCode), 0);
    f.row(keyword_of(RowKind::kAbbattimento),
          metres_at(first_cell(b) + block_slot::kAbbattimentoWithCode), 180);
  }
}

std::string train_text(int32_t length) {
  TextRows f;
  write_train_values(f);
  write_adhesion(f, length);
  write_speed_limits(f, length);
  write_covered_slowdowns(f, block_count(length));
  write_stations(f, block_count(length));
  write_slowdowns(f, block_count(length));
  write_signals(f, block_count(length));
  write_abbattimento_points(f, block_count(length));
  f.line(section_name(Section::kEnd));
  return f.take();
}

}  // namespace

RouteTexts generate_route(int32_t length) {
  if (length < 0 || length > kLongestRoute) {
    throw std::invalid_argument("route length " + std::to_string(length) + " lies outside 0 to " +
                                std::to_string(kLongestRoute) + " m");
  }
  return {line_text(length), train_text(length)};
}

}  // namespace sc
