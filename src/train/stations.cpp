#include "train/stations.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "model/format_rules.h"
#include "model/object_rules.h"
#include "textio/narrow.h"

namespace sc {
namespace {

constexpr int32_t kMinimumSpacing = 350;
constexpr int32_t kShortStationLength = 600;
constexpr int64_t kLowestStopCell = 2;

// What the row gives beyond the entry's own fields.
struct StationRow {
  int32_t position = 0;
  SourceLocation position_location;
  int32_t length = 0;
  SourceLocation length_location;
};

// With 80 text boards the line file has used every entry, this one included:
// storing the station would overwrite a board's text.
bool entry_taken_by_board(TrainPass& pass) {
  if (pass.station_index <= pass.board_cursor) return false;
  pass.errors.record(ErrorCode::kTooManyStations, Source::kTrainFile, pass.keyword_location,
                     "station " + std::to_string(pass.station_index) +
                         " has no table entry left: the line file's text boards fill entries " +
                         std::to_string(pass.board_cursor + 1) + " to 80");
  return true;
}

// Records `error` at the station's position unless `value` is a multiple of
// `step`.
bool multiple_of(TrainPass& pass, const StationRow& row, int32_t value, int32_t step,
                 ErrorCode error, std::string_view what, SourceLocation where) {
  if (value % step == 0) return true;
  pass.errors.record_at(error, row.position, Source::kTrainFile, where,
                        "station " + std::string(what) + " " + std::to_string(value) +
                            " is not a multiple of " + std::to_string(step));
  return false;
}

// Values 4 to 13 as stored, each read by its width in the row-kind table,
// then the time and the name.
void read_station_values(RowValues& values, TableEntry& station) {
  size_t i = kFirstStoredStationValue - 1;
  std::apply([&](auto... field) { ((station.*field = values.number(i++)), ...); },
             kStoredStationValues);
  SourceLocation hours_at, minutes_at, seconds_at;
  const int32_t hours = values.number(i, hours_at);
  const int32_t minutes = values.number(i + 1, minutes_at);
  const int32_t seconds = values.number(i + 2, seconds_at);
  // station_seconds, each step in 32 bits.
  constexpr std::string_view kTime = "the station's time in seconds";
  const int32_t hour_minutes = checked_mul(hours, kMinutesPerHour, kTime, hours_at);
  const int32_t day_minutes = checked_add(hour_minutes, minutes, kTime, minutes_at);
  const int32_t minute_seconds = checked_mul(day_minutes, kSecondsPerMinute, kTime, minutes_at);
  station.*slot::kStationTime = checked_add(minute_seconds, seconds, kTime, seconds_at);
  station.text = values.text(i + 3);
}

// Short and long types take no end extension.
void set_extent(TableEntry& station, const StationRow& row) {
  const StationExtent extent =
      station_extent(station.type_code, row.position, row.length, station.byte3 != 0);
  const bool short_type = is_short_station(station.type_code);
  station.*slot::kStationFirst =
      fit<int32_t>(extent.first, "the station's first metre", row.length_location);
  station.*slot::kStationLast =
      fit<int32_t>(extent.last, "the station's last metre",
                   short_type ? row.position_location : row.length_location);
  if (short_type || is_long_station(station.type_code)) station.byte3 = 0;
}

void clear_unused_flags(TableEntry& station, const StationRow& row, int station_index) {
  if (row.length < kShortStationLength) station.byte4 = 0;
  if (station_index == entry::kFirstStation) {
    station.byte3 = 0;
    station.byte4 = 0;
  }
}

int64_t stop_cell(const TableEntry& station) {
  return station_stop_cell(station.*slot::kStationLast);
}

// Marks 81 to 84 in the four cells before the stop cell, 81 nearest; cells 0
// and 1 get none.
void place_approach_marks(TrainPass& pass, const TableEntry& station, const StationRow& row) {
  if (!station_marks(station.type_code)) return;
  for (int j = 1; j <= kApproachMarks; ++j) {
    const int64_t c = stop_cell(station) - j;
    if (c >= kLowestStationMarkCell)
      cell_at(pass.model, c, row.length_location).mark = station_mark(j);
  }
}

// The stop cell replaces whatever the cell held.
bool place_stop_cell(TrainPass& pass, const TableEntry& station, const StationRow& row) {
  if (!station_stops(station.type_code)) return true;
  const int64_t s = stop_cell(station);
  if (s < kLowestStopCell) {
    pass.errors.record(ErrorCode::kStopCellTooLow, Source::kTrainFile, row.position_location,
                       "the station at " + std::to_string(row.position) + " ends at " +
                           std::to_string(station.*slot::kStationLast) +
                           " m, so its stop cell would be cell " + std::to_string(s) +
                           "; a station of type below 25 must end at 150 m or later");
    return false;
  }
  place_stop(cell_at(pass.model, s, row.length_location), pass.station_index);
  return true;
}

// Where a station stands before the one listed above it, moving it along would
// not help: the rows are out of order, and the message says so.
std::string too_close_message(const TrainPass& pass, const TableEntry& station,
                              const StationRow& row) {
  const TableEntry& previous = entry_at(pass.model, pass.station_index - 1);
  if (row.position < previous.*slot::kStationPosition) {
    return "the station at " + std::to_string(row.position) + " m is listed after the station at " +
           std::to_string(previous.*slot::kStationPosition) + " m (line " +
           std::to_string(pass.previous_station_line) +
           "), which lies further along the route: the station rows are out of order; list "
           "them in route order";
  }
  return "the station at " + std::to_string(row.position) + " starts at " +
         std::to_string(station.*slot::kStationFirst) + ", less than 350 m after the end of " +
         "the station before it at " + std::to_string(previous.*slot::kStationLast) +
         "; write its position as " +
         std::to_string(row.position + int64_t{previous.*slot::kStationLast} + kMinimumSpacing -
                        station.*slot::kStationFirst) +
         " or more, so that it starts at " +
         std::to_string(int64_t{previous.*slot::kStationLast} + kMinimumSpacing) + " or later";
}

// Stations are listed in route order, each at least 350 m after the one before.
bool spaced_from_previous(TrainPass& pass, const TableEntry& station, const StationRow& row) {
  if (pass.station_index == entry::kFirstStation) return true;
  const int32_t previous_end = entry_at(pass.model, pass.station_index - 1).*slot::kStationLast;
  const int32_t latest_end = checked_sub(station.*slot::kStationFirst, kMinimumSpacing,
                                         "the station's start less 350 m", row.length_location);
  if (latest_end >= previous_end) return true;
  pass.errors.record_at(ErrorCode::kStationsTooClose, row.position, Source::kTrainFile,
                        row.position_location, too_close_message(pass, station, row));
  return false;
}

// The next station would reach the entries of the text boards.
bool room_for_next_station(TrainPass& pass) {
  ++pass.station_index;
  if (pass.station_index < pass.board_cursor) return true;
  pass.errors.record(ErrorCode::kTooManyStations, Source::kTrainFile, pass.keyword_location,
                     "too many stations: this is station " +
                         std::to_string(pass.station_index - 1) +
                         ", and the text boards of the line file (next free board entry " +
                         std::to_string(pass.board_cursor) + ") leave room for " +
                         std::to_string(std::max(pass.board_cursor - 2, 0)));
  return false;
}

void store_station(TrainPass& pass, RowValues& values, TableEntry& station, const StationRow& row) {
  read_station_values(values, station);
  set_extent(station, row);
  clear_unused_flags(station, row, pass.station_index);
  place_approach_marks(pass, station, row);
}

// The position with its checks, then the type and the length with its check.
Flow read_position_and_length(TrainPass& pass, RowValues& values, TableEntry& station,
                              StationRow& row) {
  station.*slot::kStationPosition = row.position = values.number(0, row.position_location);
  if (!position_accepted(pass, row.position, kStationMargin, row.position_location, "station")) {
    return Flow::kEndStep;
  }
  if (!multiple_of(pass, row, row.position, 50, ErrorCode::kStationPositionGrid, "position",
                   row.position_location)) {
    return Flow::kStop;
  }
  station.type_code = static_cast<uint8_t>(values.number(1));
  row.length = values.number(2, row.length_location);
  if (!multiple_of(pass, row, row.length, 100, ErrorCode::kStationLengthGrid, "length",
                   row.length_location)) {
    return Flow::kStop;
  }
  return Flow::kGoOn;
}

}  // namespace

// Reads and checks the row's values step by step: an entry that fails keeps
// what was stored before the failure.
template <>
Flow read_row<RowKind::kStation>(TrainPass& pass, RowValues& values) {
  if (entry_taken_by_board(pass)) return Flow::kStop;
  TableEntry& station = entry_at(pass.model, pass.station_index);
  StationRow row;
  const Flow head = read_position_and_length(pass, values, station, row);
  if (head != Flow::kGoOn) return head;
  store_station(pass, values, station, row);
  if (!place_stop_cell(pass, station, row)) return Flow::kStop;
  if (!spaced_from_previous(pass, station, row)) return Flow::kStop;
  pass.previous_station_line = pass.keyword_location.line;
  return room_for_next_station(pass) ? Flow::kGoOn : Flow::kStop;
}

}  // namespace sc
