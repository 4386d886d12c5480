#include "train/signals.h"

#include <optional>
#include <string>

#include "model/cell_objects.h"
#include "model/format_rules.h"
#include "model/object_rules.h"
#include "textio/narrow.h"

namespace sc {
namespace {

// "cell 40 already holds a signal": for messages about occupied cells.
std::string cell_taken(int64_t index, const Cell& cell) {
  const std::optional<CellObjectName> name = cell_object_name(cell.type_code);
  return "cell " + std::to_string(index) + " already holds " +
         (name ? std::string(name->held) : "an object of type " + std::to_string(cell.type_code));
}

struct SignalRow {
  int32_t posizione = 0;
  int32_t sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
  SourceLocation where;  // of the position
};

struct SlowdownRow {
  int32_t x = 0;
  int32_t v = 0, l = 0, f_tt = 0, f_ta = 0, d_v = 0;
  SourceLocation where;  // of the start position
  SourceLocation length_location;
};

// After a signal or a slowdown the pass stops on any error number, including
// one left by the line file.
Flow stop_on_recorded_error(TrainPass& pass, int32_t position) {
  if (pass.errors.error_number() <= 0) return Flow::kGoOn;
  pass.errors.set_position(position);
  return Flow::kStop;
}

// --- signals ---

SignalRow read_signal_values(RowValues& values) {
  SignalRow row;
  row.posizione = values.number(0, row.where);
  size_t i = 1;
  for (int32_t* value : {&row.sx, &row.s1, &row.s2, &row.s3, &row.rapp, &row.dx, &row.d1, &row.d2,
                         &row.d3, &row.tempo}) {
    *value = values.number(i++);
  }
  return row;
}

// Approach marks every second cell before the signal, step 1 nearest; those
// that would fall before the first cell are left out.
void place_signal_marks(TrainPass& pass, int64_t signal_cell, const SignalRow& row) {
  const int64_t code = signal_mark_code(row.sx, row.dx);
  for (int k = 1; k <= kApproachMarks; ++k) {
    const int64_t c = signal_cell - 2 * k;
    if (c >= 0) cell_at(pass.model, c).mark = approach_mark(code, k);
  }
}

void memo_segnale(TrainPass& pass, SignalRow row) {
  const int64_t i = object_cell(row.posizione);
  Cell& cell = cell_at(pass.model, i, row.where);
  if (!is_free(cell)) {
    pass.errors.record_at(ErrorCode::kSignalCellTaken, row.posizione, Source::kTrainFile, row.where,
                          "the signal at " + std::to_string(row.posizione) +
                              " needs a free cell, but " + cell_taken(i, cell));
    return;
  }
  cell.type_code = cell_type::kSignal;
  pass.model.rows.train_cells[static_cast<int32_t>(i)] = row.where;
  cell.*cell_slot::kSignalRappCode = low_bits<int16_t>(signal_info4(row.rapp, row.sx, row.dx));
  cell.*cell_slot::kSignalPairs[0] = low_bits<int16_t>(signal_pair(row.s1, row.d1));
  cell.*cell_slot::kSignalPairs[1] = low_bits<int16_t>(signal_pair(row.s2, row.d2));
  cell.*cell_slot::kSignalPairs[2] = low_bits<int16_t>(signal_pair(row.s3, row.d3));
  cell.signal_time = row.sx == kTimedSx ? low_bits<uint8_t>(stored_signal_time(row.tempo)) : 0;
  place_signal_marks(pass, i, row);
}

// --- slowdowns ---

SlowdownRow read_slowdown_values(RowValues& values) {
  SlowdownRow row;
  row.x = values.number(0, row.where);
  row.v = values.number(1);
  row.l = values.number(2, row.length_location);
  row.f_tt = values.number(3);
  row.f_ta = values.number(4);
  row.d_v = values.number(5);
  return row;
}

// The positions must fit 32 bits before the cells are worked out.
SlowdownCells cells_of(const SlowdownRow& row) {
  fit<int32_t>(slowdown_warning_position(row.x), "the slowdown's warning position", row.where);
  fit<int32_t>(slowdown_end_position(row.x, row.l), "the slowdown's end position",
               row.length_location);
  return slowdown_cells(row.x, row.l);
}

// `index_from` is the field the cell index comes from.
bool slowdown_cell_free(TrainPass& pass, const SlowdownRow& row, int64_t index,
                        SourceLocation index_from, ErrorCode error, std::string_view which) {
  const Cell& cell = cell_at(pass.model, index, index_from);
  if (is_free(cell)) return true;
  pass.errors.record_at(error, row.x, Source::kTrainFile, row.where,
                        "the " + std::string(which) + " of the slowdown at " +
                            std::to_string(row.x) + " needs a free cell, but " +
                            cell_taken(index, cell));
  return false;
}

bool end_cell_on_route(TrainPass& pass, const SlowdownRow& row, int64_t end_cell) {
  const int32_t last = pass.model.last_cell();
  if (end_cell <= last) return true;
  pass.errors.record_at(ErrorCode::kEndCellTaken, row.x, Source::kTrainFile, row.length_location,
                        "the slowdown at " + std::to_string(row.x) + " with length " +
                            std::to_string(row.l) + " ends in cell " + std::to_string(end_cell) +
                            ", beyond the last cell " + std::to_string(last) + "; an end at " +
                            std::to_string(int64_t{kCellMetres} * (last - 1)) +
                            " m still lies in the last cell");
  return false;
}

Cell& mark_slowdown_cell(TrainPass& pass, int64_t index, uint8_t type, int32_t d_v) {
  Cell& cell = cell_at(pass.model, index);
  cell.type_code = type;
  if (d_v != 0) cell.*cell_slot::kSlowdownDv = low_bits<int16_t>(d_v);
  return cell;
}

void mark_slowdown(TrainPass& pass, const SlowdownRow& row, const SlowdownCells& at, bool warned) {
  mark_slowdown_cell(pass, at.end, cell_type::kSlowdownEnd, row.d_v);
  mark_slowdown_cell(pass, at.start, cell_type::kSlowdownStart, row.d_v);
  if (warned)
    mark_slowdown_cell(pass, at.warning, cell_type::kSlowdownWarning, row.d_v).*
        cell_slot::kSlowdownSpeed = low_bits<int16_t>(row.v);
  for (int64_t index : {at.start, at.end}) {
    Cell& cell = cell_at(pass.model, index);
    cell.*cell_slot::kSlowdownSpeed = low_bits<int16_t>(row.v);
    cell.*cell_slot::kSlowdownFtt = low_bits<int16_t>(row.f_tt);
  }
  for (const int64_t index : {at.warning, at.start, at.end}) {
    if (index != at.warning || warned)
      pass.model.rows.train_cells[static_cast<int32_t>(index)] = row.where;
  }
}

// Four cells counting down to the warning cell, 1 nearest it.
void place_countdown(TrainPass& pass, const SlowdownRow& row, int64_t base) {
  for (int j = 0; j < kCountdownCells; ++j) {
    if (!slowdown_cell_free(pass, row, base - j, row.where, ErrorCode::kCountdownCellTaken,
                            "countdown"))
      return;
  }
  for (int j = 0; j < kCountdownCells; ++j) {
    Cell& cell = mark_slowdown_cell(pass, base - j, cell_type::kCountdown, 0);
    cell.*cell_slot::kCountdownNumber = low_bits<int16_t>(j + 1);
    if (row.d_v != 0) cell.*cell_slot::kCountdownDv = low_bits<int16_t>(j + 1);
  }
}

void memo_rallentamento(TrainPass& pass, const SlowdownRow& row) {
  const SlowdownCells at = cells_of(row);
  const bool warned = slowdown_warned(row.x);
  if (warned && !slowdown_cell_free(pass, row, at.warning, row.where, ErrorCode::kWarningCellTaken,
                                    "warning"))
    return;
  if (!slowdown_cell_free(pass, row, at.start, row.where, ErrorCode::kStartCellTaken, "start"))
    return;
  if (!end_cell_on_route(pass, row, at.end)) return;
  if (!slowdown_cell_free(pass, row, at.end, row.length_location, ErrorCode::kEndCellTaken, "end"))
    return;
  mark_slowdown(pass, row, at, warned);
  if (warned && row.f_ta != 0) place_countdown(pass, row, at.countdown);
}

}  // namespace

template <>
Flow read_row<RowKind::kSignal>(TrainPass& pass, RowValues& values) {
  const SignalRow row = read_signal_values(values);
  if (!position_accepted(pass, row.posizione, kRowMargin, row.where, "signal")) {
    return Flow::kEndStep;
  }
  memo_segnale(pass, row);
  return stop_on_recorded_error(pass, row.posizione);
}

template <>
Flow read_row<RowKind::kSlowdown>(TrainPass& pass, RowValues& values) {
  const SlowdownRow row = read_slowdown_values(values);
  if (!position_accepted(pass, row.x, kRowMargin, row.where, "slowdown")) {
    return Flow::kEndStep;
  }
  memo_rallentamento(pass, row);
  return stop_on_recorded_error(pass, row.x);
}

// A positive value makes a code-change point carrying that code; any other a
// plain abbattimento point.
template <>
Flow read_row<RowKind::kAbbattimento>(TrainPass& pass, RowValues& values) {
  SourceLocation where;
  const int32_t position = values.number(0, where);
  const int32_t value = values.number(1);
  if (!position_accepted(pass, position, kRowMargin, where,
                         row_kind(RowKind::kAbbattimento).what)) {
    return Flow::kEndStep;
  }
  const int64_t c = cell_index(position);
  Cell& cell = cell_at(pass.model, c, where);
  if (!is_free(cell)) {
    pass.errors.record_at(ErrorCode::kAbbattimentoCellTaken, position, Source::kTrainFile, where,
                          "the abbattimento point at " + std::to_string(position) +
                              " needs a free cell, but " + cell_taken(c, cell));
    return Flow::kStop;
  }
  if (value > 0) {
    cell.type_code = cell_type::kCodeChange;
    cell.*cell_slot::kCode = low_bits<int16_t>(value);
  } else {
    cell.type_code = cell_type::kAbbattimento;
  }
  return Flow::kGoOn;
}

}  // namespace sc
