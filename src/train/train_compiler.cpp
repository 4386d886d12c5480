#include "train/train_compiler.h"

#include <string>
#include <utility>

#include "model/flow.h"
#include "model/object_rules.h"
#include "textio/narrow.h"
#include "train/signals.h"
#include "train/stations.h"
#include "train/train_pass.h"

namespace sc {
namespace {

// The cells hold a speed limit as the speed divided by 5, one byte.
constexpr int kMaxSpeedValue = 255;

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
Flow read_fill_row(TrainPass& pass, RowValues& row, CellFill& fill, StoreValue store,
                   std::string_view row_kind) {
  SourceLocation position_location;
  SourceLocation value_location;
  const int32_t position = row.number(0, position_location);
  const int32_t value = row.number(1, value_location);
  if (!position_accepted(pass, position, kRowMargin, position_location, row_kind)) {
    return Flow::kEndStep;
  }
  fill_up_to(pass.model, fill, cell_index(position), position_location, PastLastCell::kStop, store);
  fill.previous = value;
  fill.previous_at = value_location;
  return Flow::kGoOn;
}

}  // namespace

// --- general values ---

template <>
Flow read_row<RowKind::kBrakedMass>(TrainPass& pass, RowValues& row) {
  pass.model.table[entry::kFigures].*slot::kBrakedMass = row.number(0);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kCars>(TrainPass& pass, RowValues& row) {
  pass.model.table[entry::kFigures].*slot::kCars = row.number(0);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kClock>(TrainPass& pass, RowValues& row) {
  TableEntry& header = pass.model.table[entry::kTrainHeader];
  header.*slot::kClockHour = static_cast<int16_t>(row.number(0));
  header.*slot::kClockMinute = static_cast<int16_t>(row.number(1));
  header.*slot::kClockSecond = static_cast<int16_t>(row.number(2));
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kSand>(TrainPass& pass, RowValues& row) {
  pass.model.table[entry::kTrainHeader].*slot::kSand = static_cast<int16_t>(row.number(0));
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kSpeedLimit>(TrainPass& pass, RowValues& row) {
  return read_fill_row(pass, row, pass.speeds, store_speed, "speed");
}

template <>
Flow read_row<RowKind::kAdhesion>(TrainPass& pass, RowValues& row) {
  return read_fill_row(pass, row, pass.adhesions, store_adhesion, "adhesion");
}

namespace {

// --- the rows ---

using ReadRow = Flow (*)(TrainPass&, RowValues&);

constexpr ReadRow kRowReaders[] = {
#define ROW_KIND_OF_kLine(id)
#define ROW_KIND_OF_kTrain(id) read_row<RowKind::id>,
#include "format/row_kinds_of_file.def"
};

}  // namespace

Flow TrainPass::row(RowValues& values) {
  keyword_location = values.keyword_at();
  return kRowReaders[index_in_file(values.kind().kind)](*this, values);
}

namespace {

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
  TrainPass pass(board_cursor, model, errors);
  RowReader rows(text, TextFile::kTrain, errors, model, listener, stop);
  try {
    // A file without a general section has no rows.
    rows.find_general_section();
    if (rows.read_rows(pass) == Flow::kEndStep) run_end_step(pass);
  } catch (const Fault& fault) {
    rows.throw_from_row(fault);
  }
}

}  // namespace sc
