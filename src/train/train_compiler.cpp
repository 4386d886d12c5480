#include "train/train_compiler.h"

#include <optional>
#include <string>
#include <utility>

#include "textio/keywords.h"
#include "textio/narrow.h"
#include "textio/rounding.h"
#include "train/train_pass.h"

namespace sc {
namespace {

// The cells hold a speed limit as the speed divided by 5, one byte.
constexpr int kSpeedScale = 5;
constexpr int kMaxSpeedValue = 255;
// Fields holding a hyphen stand for the next field, at most twice in a row.
constexpr int kHyphenSkips = 2;

// --- general values ---

RowEnd read_braked_mass(TrainPass& pass) {
  pass.model.table[entry::kFigures].*slot::kBrakedMass = pass.reader.read_long();
  return RowEnd::kNextRow;
}

RowEnd read_cars(TrainPass& pass) {
  pass.model.table[entry::kFigures].*slot::kCars = pass.reader.read_long();
  return RowEnd::kNextRow;
}

RowEnd read_clock(TrainPass& pass) {
  TableEntry& header = pass.model.table[entry::kTrainHeader];
  header.*slot::kClockHour = pass.reader.read_integer();
  header.*slot::kClockMinute = pass.reader.read_integer();
  header.*slot::kClockSecond = pass.reader.read_integer();
  return RowEnd::kNextRow;
}

RowEnd read_sand(TrainPass& pass) {
  pass.model.table[entry::kTrainHeader].*slot::kSand = pass.reader.read_integer();
  return RowEnd::kNextRow;
}

// --- speed and adhesion profiles ---

void store_speed(Cell& cell, int32_t speed, SourceLocation speed_location) {
  const int64_t value = round_half_even(static_cast<double>(speed) / kSpeedScale);
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

void store_at_cursor(TrainPass& pass, CellFill& fill) {
  fill.store(cell_at(pass.model, fill.cursor), fill.previous, fill.previous_location);
  ++fill.cursor;
}

// Fills the previous row's value up to the cell before `next_cell`. A row out
// of order still fills the one cell at the cursor; the last cell is left to
// the tail.
void fill_before(TrainPass& pass, CellFill& fill, int64_t next_cell) {
  if (next_cell <= 0) return;
  do {
    if (fill.cursor >= pass.model.last_cell()) return;
    store_at_cursor(pass, fill);
  } while (fill.cursor < next_cell);
}

// Fills the last row's value on to the fourth cell from the end, writing at
// least one cell.
void fill_tail(TrainPass& pass, CellFill& fill) {
  do {
    store_at_cursor(pass, fill);
  } while (fill.cursor < pass.model.last_cell() - 2);
}

RowEnd read_fill_row(TrainPass& pass, CellFill& fill) {
  const int32_t position = pass.reader.read_long();
  const SourceLocation position_location = pass.reader.field_location();
  const int32_t value = pass.reader.read_long();
  const SourceLocation value_location = pass.reader.field_location();
  if (!position_accepted(pass, position, kRowMargin, position_location, fill.row_kind)) {
    return RowEnd::kEndStep;
  }
  fill_before(pass, fill, cell_index(position));
  fill.previous = value;
  fill.previous_location = value_location;
  return RowEnd::kNextRow;
}

RowEnd read_speed_row(TrainPass& pass) {
  return read_fill_row(pass, pass.speed);
}

RowEnd read_adhesion_row(TrainPass& pass) {
  return read_fill_row(pass, pass.adhesion);
}

// --- the row loop ---

// A row kind runs when its keyword field contains `word` and `also`.
struct RowKind {
  std::string_view word;
  std::string_view also;
  RowEnd (*read_row)(TrainPass&);
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
RowEnd run_row(TrainPass& pass, const std::string& keyword) {
  for (const RowKind& kind : kRowKinds) {
    if (!contains(keyword, kind.word) || !contains(keyword, kind.also)) continue;
    const RowEnd end = kind.read_row(pass);
    if (end != RowEnd::kNextRow) return end;
  }
  return RowEnd::kNextRow;
}

// The next keyword field in lower case, or nullopt when the file ends with
// it: the last field of the file is never processed.
std::optional<std::string> read_keyword(TrainPass& pass) {
  std::string field = pass.reader.read_text();
  for (int skips = 0; skips < kHyphenSkips && contains(field, "-"); ++skips) {
    if (pass.reader.at_end()) return std::nullopt;
    field = pass.reader.read_text();
  }
  if (pass.reader.at_end()) return std::nullopt;
  pass.keyword_location = pass.reader.field_location();
  return lower_case(std::move(field));
}

RowEnd run_rows(TrainPass& pass) {
  while (!pass.reader.at_end()) {
    const std::optional<std::string> keyword = read_keyword(pass);
    if (!keyword) break;
    const RowEnd end = run_row(pass, *keyword);
    if (end != RowEnd::kNextRow) return end;
  }
  return RowEnd::kEndStep;
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
  fill_tail(pass, pass.speed);
  fill_tail(pass, pass.adhesion);
  check_km_references(pass.model, pass.errors);
}

}  // namespace

void compile_train_file(std::string_view text, int board_cursor, Scenario& model,
                        ErrorLog& errors) {
  TrainPass pass(text, board_cursor, model, errors, CellFill(store_speed, "speed"),
                 CellFill(store_adhesion, "adhesion"));
  try {
    skip_to_general_section(pass.reader);
    if (run_rows(pass) == RowEnd::kEndStep) run_end_step(pass);
  } catch (const Fault& fault) {
    if (fault.where().known()) throw;
    throw Fault(fault.what(), pass.reader.field_location());
  }
}

}  // namespace sc
