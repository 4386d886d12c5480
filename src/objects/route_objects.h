#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/format_rules.h"
#include "model/model.h"

namespace sc::objects {

// The objects of a compiled route, read back from its cells and table with
// the rules the compilers place them by (model/object_rules.h). Positions are
// in metres as a row gives them; speeds in km/h; texts in Windows-1252.

// What a table entry holds, told from its slot and its fields.
enum class EntryRole {
  kUnused,      // entry 0, or a cleared entry between stations and boards
  kStation,     // from entry 1 upwards
  kTextBoard,   // from entry 80 downwards: a text and nothing else
  kReference,   // 81 to 83
  kFigures,     // 84
  kLineHeader,  // 85
  kTrainHeader  // 86
};
EntryRole entry_role(const ScenarioTable& table, int index);

struct Station {
  int entry = 0;
  std::string name;
  int type = 0;
  int32_t position = 0;
  int32_t start = 0;  // first and last metre of its extent
  int32_t end = 0;
  int64_t length = 0;                // the row's length, worked back from the extent
  bool end_extension = false;        // the row's, worked back from the extent
  std::optional<int32_t> stop_cell;  // for the types that place one
  int32_t time = 0;                  // seconds since midnight
};
// The station in entry `index`, whatever else the entry may be.
Station decode_station(const ScenarioTable& table, int index);

// A signal's row values. Its cell keeps the mark code sx x 3 + dx only as
// the last digit of rapp x 10 + code; the approach marks keep it modulo 128,
// so a code of 10 or more reads back as written only where they tell it.
struct Signal {
  int32_t cell = 0;
  int64_t position = 0;
  int64_t sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0;
  int64_t tempo = 0;
  bool timed() const { return sx == kTimedSx && tempo != 0; }
};

// A slowdown's end is the nearest end cell with its values after its start,
// else before it (a negative length); none when its start overwrote it.
struct Slowdown {
  int32_t start_cell = 0;
  int32_t end_cell = 0;
  std::optional<int32_t> warning_cell;
  bool countdown = false;
  int64_t start = 0;  // metres
  int64_t end = 0;
  std::optional<int64_t> warning;
  int16_t speed = 0;  // km/h
  int16_t d_v = 0;
  int16_t f_tt = 0;
};

struct SpeedBoard {
  int32_t cell = 0;
  int64_t position = 0;
  int vas = 0, vbs = 0, vcs = 0, vad = 0, vbd = 0, vcd = 0;  // km/h
  int strisces = 0, strisced = 0;
};

struct TextBoard {
  int32_t cell = 0;
  int64_t position = 0;
  int entry = 0;
  std::string text;  // empty when the entry lies outside the table
};

// A run of cells of one tunnel type.
struct Tunnel {
  int32_t first_cell = 0;
  int32_t last_cell = 0;
  int64_t start = 0;
  int64_t end = 0;
  uint8_t type = 0;
};

// A code-change point (with its code) or an abbattimento point (without).
struct CodePoint {
  int32_t cell = 0;
  int64_t position = 0;
  std::optional<int16_t> code;
};

// Where a per-cell value (gradient, line speed, adhesion) changes.
struct ValueChange {
  int64_t position = 0;
  int value = 0;
};

struct RouteObjects {
  int32_t route_length = 0;  // metres, from entry 84
  std::vector<Station> stations;
  std::vector<Signal> signals;
  std::vector<Slowdown> slowdowns;
  std::vector<SpeedBoard> speed_boards;
  std::vector<TextBoard> text_boards;
  std::vector<Tunnel> tunnels;
  std::vector<CodePoint> code_points;
  std::vector<ValueChange> gradients;     // per mille
  std::vector<ValueChange> speed_limits;  // km/h
  std::vector<ValueChange> adhesions;
};

// Every object of a compiled route, each kind in route order.
RouteObjects decode_objects(const Scenario& model);

// The signal in cell `index`, its mark code taken from `code_from_marks`
// (modulo kMarkCodeModulus) where that fits its cell, else from the cell alone.
Signal decode_signal(const Cell& cell, int32_t index, std::optional<int64_t> code_from_marks);
// The code that the approach marks before a signal tell, when every one that
// stands tells the same code; a later row may have overwritten them.
std::optional<int64_t> code_from_marks(const std::vector<Cell>& cells, int32_t index);
// The signal in cell `index` of `cells`, with what its marks tell.
Signal decode_signal(const std::vector<Cell>& cells, int32_t index);

SpeedBoard decode_speed_board(const Cell& cell, int32_t index);

// The slowdowns alone, paired as decode_objects pairs them.
std::vector<Slowdown> decode_slowdowns(const std::vector<Cell>& cells);

// "08:42:00" for seconds since midnight, or for hours, minutes and seconds.
std::string clock_time(int32_t seconds);
std::string clock_time(int64_t hours, int64_t minutes, int64_t seconds);

}  // namespace sc::objects
