#include "train/train_compiler.h"

#include <optional>
#include <span>
#include <string>
#include <utility>

#include "format/row_kinds.h"
#include "format/value_fault.h"
#include "model/flow.h"
#include "model/object_rules.h"
#include "textio/keywords.h"
#include "textio/narrow.h"
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
  const int64_t value = speed_steps(speed);
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

using ReadRow = Flow (*)(TrainPass&);

ReadRow reader_of(RowKind kind) {
  switch (kind) {
    case RowKind::kBrakedMass:
      return read_braked_mass;
    case RowKind::kCars:
      return read_cars;
    case RowKind::kSpeedLimit:
      return read_speed_row;
    case RowKind::kAdhesion:
      return read_adhesion_row;
    case RowKind::kClock:
      return read_clock;
    case RowKind::kSand:
      return read_sand;
    case RowKind::kSignal:
      return read_signal_row;
    case RowKind::kSlowdown:
      return read_slowdown_row;
    case RowKind::kAbbattimento:
      return read_abbattimento_row;
    case RowKind::kStation:
      return read_station_row;
    default:
      return nullptr;
  }
}

Flow read_kind(TrainPass& pass, RowKind kind) {
  return naming_the_value(pass.reader, kind, pass.keyword_location.line,
                          [&] { return reader_of(kind)(pass); });
}

Flow run_kind(TrainPass& pass, RowKind kind) {
  if (!pass.rows) return read_kind(pass, kind);
  pass.rows->kind_begins(RowPart::kRows, kind);
  const Flow flow = read_kind(pass, kind);
  pass.rows->kind_ends(flow == Flow::kGoOn ? 0 : pass.errors.error_number());
  return flow;
}

// Every row kind the keyword names reads its own values, in the table's
// order, so a field that names two kinds consumes two rows.
Flow run_row(TrainPass& pass, std::string_view keyword) {
  bool named = false;
  const std::span<const RowKindInfo> kinds = row_kinds(TextFile::kTrain, RowPart::kRows);
  const uint32_t kinds_named = pass.keywords.kinds_named(RowPart::kRows, keyword);
  for (size_t i = 0; i < kinds.size(); ++i) {
    if ((kinds_named >> i & 1) == 0) continue;
    named = true;
    const Flow flow = run_kind(pass, kinds[i].kind);
    if (flow != Flow::kGoOn) return flow;
  }
  if (!named && pass.rows) pass.rows->no_kind(RowPart::kRows);
  return Flow::kGoOn;
}

Flow run_rows(TrainPass& pass) {
  while (const std::optional<RowKeyword> keyword = read_row_keyword(pass.reader)) {
    pass.stop.stop_if_requested();
    pass.keyword_location = keyword->where;
    const Flow flow = run_row(pass, keyword->text);
    if (flow == Flow::kGoOn) continue;
    if (!pass.errors.reads_past_stopping_rows()) return flow;
    pass.reader.skip_rest_of_line();
  }
  return Flow::kEndStep;
}

// Rows start after the first field naming the general section; a file
// without one has no rows.
void skip_to_general_section(FieldReader& reader, const StopFlag& stop) {
  while (!contains_any_case(reader.read_text(), kGeneralSection) && !reader.at_end()) {
    stop.stop_if_requested();
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
    const size_t slot = static_cast<size_t>(i - entry::kReferenceTre);
    const SourceLocation where =
        a % 50 != 0 ? model.rows.km_reference_a[slot] : model.rows.km_reference_b[slot];
    errors.record(ErrorCode::kKmReferenceGrid, Source::kLineFile, where,
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

void compile_train_file(std::string_view text, int board_cursor, Scenario& model, ErrorLog& errors,
                        RowListener* listener, const StopFlag& stop) {
  TrainPass pass(text, board_cursor, model, errors, stop);
  std::optional<RowRecorder> recorder;
  if (listener) pass.rows = &recorder.emplace(TextFile::kTrain, *listener, model);
  try {
    skip_to_general_section(pass.reader, pass.stop);
    if (pass.rows) pass.rows->listen_to(pass.reader);
    if (run_rows(pass) == Flow::kEndStep) run_end_step(pass);
  } catch (const Fault& fault) {
    throw_from_row(fault, pass.reader, pass.rows);
  }
}

}  // namespace sc
