#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace sc {

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
  std::string name;  // Windows-1252
  int32_t position = 0;
  int32_t first = 0;  // first and last metre of its extent
  int32_t last = 0;
  int32_t time = 0;  // seconds since midnight
};

struct CellSpan {
  int32_t first = 0;
  int32_t last = 0;
  uint8_t type = 0;  // tunnel type
};

struct Slowdown {
  int32_t warning = -1;  // cell of the warning, -1 when there is none
  int32_t start = 0;
  int32_t end = 0;
  int16_t speed = 0;
};

struct TextBoard {
  int32_t cell = 0;
  std::string text;  // Windows-1252; empty when the entry lies outside the table
};

struct SpeedBoard {
  int32_t cell = 0;
  int vas = 0, vbs = 0, vcs = 0;  // the three speeds of the board's first side, km/h
};

// Everything placed along a compiled route, in route order.
struct RouteFeatures {
  int32_t route_length = 0;  // metres, from entry 84
  std::vector<Station> stations;
  std::vector<int32_t> signals;
  std::vector<SpeedBoard> speed_boards;
  std::vector<TextBoard> text_boards;
  std::vector<Slowdown> slowdowns;
  std::vector<CellSpan> tunnels;  // runs of cells with the same tunnel type
  std::vector<int32_t> code_changes;
  std::vector<int32_t> abbattimento_points;
};
RouteFeatures find_features(const Scenario& model);

// The first speed of a speed board's packed value (20 x speed + second / 5).
int packed_first_speed(int16_t packed);
int packed_second_speed(int16_t packed);
// "08:42:00" for seconds since midnight, or for hours, minutes and seconds.
std::string clock_time(int32_t seconds);
std::string clock_time(int64_t hours, int64_t minutes, int64_t seconds);

}  // namespace sc
