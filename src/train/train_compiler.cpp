#include "train/train_compiler.h"

#include <optional>
#include <string>
#include <utility>

#include "model/flow.h"
#include "textio/keywords.h"
#include "textio/narrow.h"
#include "textio/rounding.h"
#include "textio/row_keyword.h"
#include "train/signals.h"
#include "train/stations.h"
#include "train/train_pass.h"

namespace sc {
namespace {

// The cells hold a speed limit as the speed divided by 5, one byte.
constexpr int kMaxSpeedValue = 255;

// --- general values ---

Flow read_braked_mass(TrainPass& pass) {
  pass.model.table[entry::kFigures].*slot::kBrakedMass = pass.reader.read_long();
  return Flow::kGoOn;
}

Flow read_cars(TrainPass& pass) {
  pass.model.table[entry::kFigures].*slot::kCars = pass.reader.read_long();
  return Flow::kGoOn;
}

Flow read_clock(TrainPass& pass) {
  TableEntry& header = pass.model.table[entry::kTrainHeader];
  header.*slot::kClockHour = pass.reader.read_integer();
  header.*slot::kClockMinute = pass.reader.read_integer();
  header.*slot::kClockSecond = pass.reader.read_integer();
  return Flow::kGoOn;
}

Flow read_sand(TrainPass& pass) {
  pass.model.table[entry::kTrainHeader].*slot::kSand = pass.reader.read_integer();
  return Flow::kGoOn;
}

// --- speed and adhesion profiles ---

void store_speed(Cell& cell, int32_t speed, SourceLocation speed_location) {
  const int64_t value = round_half_even(static_cast<double>(speed) / kSpeedStepKmh);
  if (value < 0 || value > kMaxSpeedValue) {
    throw Fault("speed " + std::to_string(speed) + " km/h gives the speed-limit value " +
                    std::to_string(value) +
                    ", but a cell holds 0 to 255: speeds from -2 to 1277 km/h are accepted",
                speed_location);
  }
  cell.speed_limit = static_cast<uint8_t>(value);
}

void store_adhesion(Cell& cell, int32_t adhesion, SourceLocation /*adhesion_location*/) {
  cell.adhesion = low_bits<uint8_t>(adhesion);
}

using StoreValue = void (*)(Cell&, int32_t value, SourceLocation value_location);

// A fill row stops at the last cell; a value that does not fit is found when
// the next row, or the tail, stores it.
Flow read_fill_row(TrainPass& pass, CellFill& fill, StoreValue store, std::string_view row_kind) {
  SourceLocation position_location;
  SourceLocation value_location;
  const int32_t position = pass.reader.read_long(position_location);
  const int32_t value = pass.reader.read_long(value_location);
  if (!position_accepted(pass, position, kRowMargin, position_location, row_kind)) {
    return Flow::kEndStep;
  }
  fill_up_to(pass.model, fill, cell_index(position), position_location, PastLastCell::kStop, store);
  fill.previous = value;
  fill.previous_at = value_location;
  return Flow::kGoOn;
}

Flow read_speed_row(TrainPass& pass) {
  return read_fill_row(pass, pass.speeds, store_speed, "speed");
}

Flow read_adhesion_row(TrainPass& pass) {
  return read_fill_row(pass, pass.adhesions, store_adhesion, "adhesion");
}

// --- the row loop ---

// A row kind runs when its keyword field contains `word` and `also`.
struct RowKind {
  std::string_view word;
  std::string_view also;
  Flow (*read_row)(TrainPass&);
};

constexpr RowKind kRowKinds[] = {
    {"frenata", "massa", read_braked_mass},
    {"vetture", "", read_cars},
    {"velocit", "", read_speed_row},
    {"aderenza", "", read_adhesion_row},
    {"orologio", "", read_clock},
    {"sabbia", "", read_sand},
    {"segnale", "", read_signal_row},
    {"rallentamento", "", read_slowdown_row},
    {"abbattimento", "", read_abbattimento_row},
    {"stazione", "", read_station_row},
};

// Every matching row kind reads its own values, so a field that names two
// kinds consumes two rows.
Flow run_row(TrainPass& pass, const std::string& keyword) {
  for (const RowKind& kind : kRowKinds) {
    if (!contains(keyword, kind.word) || !contains(keyword, kind.also)) continue;
    const Flow flow = kind.read_row(pass);
    if (flow != Flow::kGoOn) return flow;
  }
  return Flow::kGoOn;
}

// Keywords are matched in lower case.
Flow run_rows(TrainPass& pass) {
  while (const std::optional<RowKeyword> keyword = read_row_keyword(pass.reader)) {
    pass.keyword_location = keyword->where;
    const Flow flow = run_row(pass, lower_case(keyword->text));
    if (flow != Flow::kGoOn) return flow;
  }
  return Flow::kEndStep;
}

// Rows start after the first field naming the general section; a file
// without one has no rows.
void skip_to_general_section(FieldReader& reader) {
  while (!contains(lower_case(reader.read_text()), "[generale]") && !reader.at_end()) {
  }
}

// --- the end step ---

void check_km_references(const Scenario& model, ErrorLog& errors) {
  static constexpr std::string_view kSlotNames[] = {"tre", "due", "uno"};
  for (int i = entry::kReferenceTre; i <= entry::kReferenceUno; ++i) {
    const TableEntry& reference = model.table[i];
    const int32_t a = reference.*slot::kReferenceA;
    const int32_t b = reference.*slot::kReferenceB;
    if (a % 50 == 0 && b % 50 == 0) continue;
    errors.record(ErrorCode::kKmReferenceGrid, Source::kLineFile, {},
                  "the kilometre reference \"" + std::string(kSlotNames[i - entry::kReferenceTre]) +
                      "\" has " + std::to_string(a) + " and " + std::to_string(b) +
                      " as its first two values; both must be multiples of 50");
    return;
  }
}

void run_end_step(TrainPass& pass) {
  fill_tail(pass.model, pass.speeds, store_speed);
  fill_tail(pass.model, pass.adhesions, store_adhesion);
  check_km_references(pass.model, pass.errors);
}

}  // namespace

void compile_train_file(std::string_view text, int board_cursor, Scenario& model,
                        ErrorLog& errors) {
  TrainPass pass(text, board_cursor, model, errors);
  try {
    skip_to_general_section(pass.reader);
    if (run_rows(pass) == Flow::kEndStep) run_end_step(pass);
  } catch (const Fault& fault) {
    if (fault.where().known()) throw;
    throw Fault(fault.what(), pass.reader.field_location());
  }
}

}  // namespace sc
