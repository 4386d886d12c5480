#include <string>

#include "check/lint.h"
#include "check/value_checks.h"
#include "model/cell_geometry.h"
#include "model/format_rules.h"
#include "model/object_rules.h"
#include "textio/keywords.h"

namespace sc {
namespace {

constexpr int kHyphenReads = 2;

void check_speed(LintContext& context, const LintRow& row) {
  check_grid(context, "the speed limit's position", row[0], row.at(0), 0);
  check_on_route(context, "the speed limit's position", row[0], row.at(0));
}

void check_adhesion(LintContext& context, const LintRow& row) {
  check_grid(context, "the adhesion's position", row[0], row.at(0), 0);
  check_on_route(context, "the adhesion's position", row[0], row.at(0));
  check_fits(context, "adhesion", row[1], row.at(1), 0, 255, static_cast<uint8_t>(row[1]));
}

void check_clock(LintContext& context, const LintRow& row) {
  check_time_of_day(context, "the clock", row, 0);
}

// Values 0 to 10 as they stand in the row: posizione, sx, s1, s2, s3, rapp,
// dx, d1, d2, d3, tempo.
void check_signal(LintContext& context, const LintRow& row) {
  check_grid(context, "the signal's position", row[0], row.at(0), 1);
  check_on_route(context, "the signal's position", row[0], row.at(0));
  context.occupy(object_cell(row[0]), "signal", "", row[0], row.keyword_at);
  const int64_t sx = row[1];
  const int64_t dx = row[6];
  check_fits_16(context, "the signal's rapp x 10 + sx x 3 + dx, which is",
                row[5] * 10 + sx * 3 + dx, row.at(5));
  for (size_t k = 0; k < 3; ++k) {
    check_fits_16(context, "the signal's aspect value s x 10 + d, which is",
                  row[2 + k] * 10 + row[7 + k], row.at(2 + k));
  }
  const int64_t code = sx * 3 + dx;
  check_fits(context, "the signal's approach-mark code (sx x 3 + dx) x 10 + 4, which is",
             code * 10 + 4, row.at(1), 0, 255, static_cast<uint8_t>(code * 10 + 4));
  if (sx != kTimedSx) return;
  const int64_t tempo =
      row[10] >= kLowestTempo && row[10] <= kHighestTempo ? kRaisedTempo : row[10];
  check_fits(context, "the signal's time", tempo, row.at(10), 0, 255, static_cast<uint8_t>(tempo));
}

void occupy_slowdown_cells(LintContext& context, const LintRow& row) {
  const int64_t x = row[0];
  const auto occupy = [&](int64_t cell, std::string_view what, std::string_view part) {
    context.occupy(cell, what, part, x, row.keyword_at);
  };
  const SlowdownCells cells = slowdown_cells(x, row[2]);
  occupy(cells.start, "slowdown's start", "start");
  occupy(cells.end, "slowdown's end", "end");
  if (!slowdown_warned(x)) return;
  occupy(cells.warning, "slowdown's warning", "warning");
  if (row[4] == 0) return;
  for (int j = 0; j < kCountdownCells; ++j) {
    occupy(cells.countdown - j, "slowdown's countdown", "countdown");
  }
}

// x, v, l, f_tt, f_ta, d_v
void check_slowdown(LintContext& context, const LintRow& row) {
  check_grid(context, "the slowdown's start", row[0], row.at(0), 1);
  check_grid(context, "the slowdown's end (start + length)", row[0] + row[2], row.at(2), 1);
  check_on_route(context, "the slowdown's start", row[0], row.at(0));
  check_fits_16(context, "the slowdown's speed", row[1], row.at(1));
  check_fits_16(context, "the slowdown's f_tt", row[3], row.at(3));
  check_fits_16(context, "the slowdown's d_v", row[5], row.at(5));
  occupy_slowdown_cells(context, row);
}

void check_abbattimento(LintContext& context, const LintRow& row) {
  check_grid(context, "the abbattimento point's position", row[0], row.at(0), 0);
  check_on_route(context, "the abbattimento point's position", row[0], row.at(0));
  context.occupy(cell_index(row[0]), "abbattimento point", "", row[0], row.keyword_at);
  if (row[1] > 0) check_fits_16(context, "the abbattimento code", row[1], row.at(1));
}

constexpr size_t kStationHours = 13;

// The stop cell is the last cell inside the station; its extent depends on the
// type (value 2) and the end extension (value 6).
void occupy_stop_cell(LintContext& context, const LintRow& row) {
  const int64_t type = row[1];
  if (!station_stops(type)) return;
  const StationExtent extent = station_extent(type, row[0], row[2], row[5] != 0);
  context.occupy(station_stop_cell(extent.last), "station's stop cell", "", row[0], row.keyword_at);
}

void check_station(LintContext& context, const LintRow& row) {
  check_on_route(context, "the station's position", row[0], row.at(0));
  occupy_stop_cell(context, row);
  check_time_of_day(context, "the station's time", row, kStationHours);
  const int64_t time =
      (row[kStationHours] * 60 + row[kStationHours + 1]) * 60 + row[kStationHours + 2];
  if (context.previous_station_time && time < *context.previous_station_time) {
    context.warn(Warning::kTimeBackwards, row.at(kStationHours),
                 "this station's time " + clock_text(time) +
                     " is earlier than the time of the station before it, " +
                     clock_text(*context.previous_station_time) +
                     ": stations are listed in route order, so their times should not run "
                     "backwards");
  }
  context.previous_station_time = time;
}

constexpr ValueSpec kOneValue[] = {{"value"}};
constexpr ValueSpec kFillValues[] = {{"position"}, {"value"}};
constexpr ValueSpec kClockValues[] = {{"hours", ValueKind::kInteger},
                                      {"minutes", ValueKind::kInteger},
                                      {"seconds", ValueKind::kInteger}};
constexpr ValueSpec kSandValues[] = {{"sand", ValueKind::kInteger}};
constexpr ValueSpec kSignalValues[] = {{"position"}, {"sx"}, {"s1"}, {"s2"}, {"s3"},   {"rapp"},
                                       {"dx"},       {"d1"}, {"d2"}, {"d3"}, {"tempo"}};
constexpr ValueSpec kSlowdownValues[] = {{"start"}, {"speed"}, {"length"},
                                         {"f_tt"},  {"f_ta"},  {"d_v"}};
constexpr ValueSpec kStationValues[] = {
    {"position"},
    {"type", ValueKind::kByte},
    {"length"},
    {"value 4", ValueKind::kByte},
    {"value 5", ValueKind::kByte},
    {"end extension", ValueKind::kByte},
    {"value 7", ValueKind::kInteger},
    {"value 8", ValueKind::kInteger},
    {"value 9", ValueKind::kByte},
    {"value 10", ValueKind::kInteger},
    {"value 11", ValueKind::kInteger},
    {"value 12", ValueKind::kInteger},
    {"value 13", ValueKind::kByte},
    {"hours"},
    {"minutes"},
    {"seconds"},
    {"name", ValueKind::kText},
};

const LintRowKind kRowKinds[] = {
    {"braked mass",
     [](std::string_view k) {
       return contains_any_case(k, "frenata") && contains_any_case(k, "massa");
     },
     kOneValue},
    {"cars", [](std::string_view k) { return contains_any_case(k, "vetture"); }, kOneValue},
    {"speed limit", [](std::string_view k) { return contains_any_case(k, "velocit"); }, kFillValues,
     check_speed},
    {"adhesion", [](std::string_view k) { return contains_any_case(k, "aderenza"); }, kFillValues,
     check_adhesion},
    {"clock", [](std::string_view k) { return contains_any_case(k, "orologio"); }, kClockValues,
     check_clock},
    {"sand", [](std::string_view k) { return contains_any_case(k, "sabbia"); }, kSandValues},
    {"signal", [](std::string_view k) { return contains_any_case(k, "segnale"); }, kSignalValues,
     check_signal},
    {"slowdown", [](std::string_view k) { return contains_any_case(k, "rallentamento"); },
     kSlowdownValues, check_slowdown},
    {"abbattimento", [](std::string_view k) { return contains_any_case(k, "abbattimento"); },
     kFillValues, check_abbattimento},
    {"station", [](std::string_view k) { return contains_any_case(k, "stazione"); }, kStationValues,
     check_station},
};

constexpr std::string_view kRowKeywords[] = {"percentuale massa frenata",
                                             "numero vetture",
                                             "velocita",
                                             "aderenza",
                                             "orologio",
                                             "sabbia",
                                             "segnale",
                                             "rallentamento",
                                             "abbattimento",
                                             "stazione"};

void lint_row_line(LintContext& context, LineFields& fields) {
  const auto keyword = keyword_of(fields, kHyphenReads);
  if (!keyword) return;
  const SourceLocation at = fields.location();
  if (!lint_row(context, fields, *keyword, at, kRowKinds)) {
    warn_unknown_keyword(context, *keyword, at, kRowKeywords);
  }
}

}  // namespace

void lint_train_file(std::string_view text, LintContext& context) {
  bool in_rows = false;
  for_each_line(text, [&](std::string_view line, int number) {
    LineFields fields(line, number);
    try {
      if (fields.at_end()) return;
      if (in_rows) {
        lint_row_line(context, fields);
        return;
      }
      while (!in_rows && !fields.at_end()) {
        in_rows = contains_any_case(fields.text(), "[generale]");
      }
    } catch (const Fault&) {
      // A field the compile cannot read: the compile reports it as an error.
    }
  });
}

}  // namespace sc
