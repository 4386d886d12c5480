#include "line/line_compiler.h"

#include <optional>
#include <span>
#include <string>
#include <utility>

#include "format/row_kinds.h"
#include "format/row_reader.h"
#include "line/boards.h"
#include "line/header_values.h"
#include "line/route_profile.h"
#include "line/tunnels.h"
#include "model/cell_fill.h"
#include "model/cell_geometry.h"
#include "model/flow.h"
#include "textio/keywords.h"
#include "textio/rounding.h"

namespace sc {
namespace {

// The state of one compile of a line text file: what its rows mean.
struct LinePass final : RowHandler {
  LinePass(ProfileChoice profile, Scenario& model, ErrorLog& errors, const StopFlag& stop)
      : profile_choice(profile), model(model), errors(errors), stop(stop) {}

  bool builds_profile() const { return profile_choice == ProfileChoice::kBuild; }

  // Curve rows are read only when the profile is built.
  bool reads(RowKind kind) const override { return kind != RowKind::kCurve || builds_profile(); }
  Flow row(RowValues& values) override;
  int32_t profile_point() const override { return profile_cursor; }

  const ProfileChoice profile_choice;
  Scenario& model;
  ErrorLog& errors;
  const StopFlag stop;
  ReferenceFields reference_fields;
  TunnelList tunnels;
  CellFill gradients;
  int32_t profile_cursor = kFirstComputedPoint;
  int board_cursor = entry::kFirstBoard;
};

Profile& profile_of(LinePass& pass) {
  if (!pass.model.profile) {
    throw Fault("the profile needs the route's length, but the header gave none");
  }
  return *pass.model.profile;
}

bool position_accepted(LinePass& pass, int32_t position, SourceLocation position_location,
                       std::string_view row_kind) {
  return sc::position_accepted(pass.model, pass.errors, Source::kLineFile, position, kRowMargin,
                               position_location, row_kind);
}

// --- the header ---

// Each row kind's handler: what its values mean.
template <RowKind>
Flow read_row(LinePass& pass, RowValues& row) = delete;

// Creates the cells and, when the profile is wanted, the profile; a second
// route-length row creates both afresh.
template <>
Flow read_row<RowKind::kRouteLength>(LinePass& pass, RowValues& row) {
  SourceLocation at;
  const int32_t length = row.number(0, at);
  if (length < 0 || length > kLongestRoute) {
    pass.errors.record(ErrorCode::kRouteLength, Source::kLineFile, at,
                       "route length " + std::to_string(length) +
                           " m is out of range: a route of 0 to " + std::to_string(kLongestRoute) +
                           " m is accepted");
    return Flow::kStop;
  }
  pass.model.table[entry::kFigures].*slot::kRouteLength = length;
  const int64_t last_cell = round_half_even(static_cast<double>(length + kRunOut) / kCellMetres);
  pass.model.cells.assign(static_cast<size_t>(last_cell) + 1, Cell{});
  if (pass.builds_profile()) pass.model.profile.emplace(length + kRunOut);
  return Flow::kGoOn;
}

Flow read_reference(LinePass& pass, RowValues& row, int table_entry) {
  TableEntry& e = pass.model.table[table_entry];
  const size_t i = static_cast<size_t>(table_entry - entry::kReferenceTre);
  e.*slot::kReferenceA = row.number(0, pass.reference_fields.a[i]);
  e.*slot::kReferenceB = row.number(1, pass.reference_fields.b[i]);
  e.*slot::kReferenceC = row.number(2);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kReferenceTre>(LinePass& pass, RowValues& row) {
  return read_reference(pass, row, entry::kReferenceTre);
}

template <>
Flow read_row<RowKind::kReferenceDue>(LinePass& pass, RowValues& row) {
  return read_reference(pass, row, entry::kReferenceDue);
}

template <>
Flow read_row<RowKind::kReferenceUno>(LinePass& pass, RowValues& row) {
  return read_reference(pass, row, entry::kReferenceUno);
}

Flow read_background(LinePass& pass, RowValues& row, slot::Field<int32_t> field) {
  pass.model.table[entry::kLineHeader].*field = row.number(0);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kBackgroundUno>(LinePass& pass, RowValues& row) {
  return read_background(pass, row, slot::kBackgroundUno);
}

template <>
Flow read_row<RowKind::kBackgroundDue>(LinePass& pass, RowValues& row) {
  return read_background(pass, row, slot::kBackgroundDue);
}

template <>
Flow read_row<RowKind::kBackgroundTre>(LinePass& pass, RowValues& row) {
  return read_background(pass, row, slot::kBackgroundTre);
}

template <>
Flow read_row<RowKind::kSignalRepetition>(LinePass& pass, RowValues& row) {
  SourceLocation first_at;
  SourceLocation second_at;
  const int32_t first = row.number(0, first_at);
  const int32_t second = row.number(1, second_at);
  const std::string_view keyword = row.keyword();
  switch (store_signal_repetition(pass.model.table[entry::kTrainHeader], keyword, first, second)) {
    case RepetitionCheck::kAccepted:
      return Flow::kGoOn;
    case RepetitionCheck::kFirstNotMultipleOf50:
      pass.errors.record(ErrorCode::kRepetitionFirstValue, Source::kLineFile, first_at,
                         "the first signal-repetition value " + std::to_string(first) +
                             " is not a multiple of 50");
      break;
    case RepetitionCheck::kSecondNotMultipleOf50:
      pass.errors.record(ErrorCode::kRepetitionSecondValue, Source::kLineFile, second_at,
                         "the second signal-repetition value " + std::to_string(second) +
                             " is not a multiple of 50");
      break;
    case RepetitionCheck::kNoCode:
      pass.errors.record(ErrorCode::kRepetitionCode, Source::kLineFile, row.keyword_at(),
                         "the signal-repetition keyword " + quoted(keyword) +
                             " names no repetition code: it must hold \"4\" or \"9\"");
      break;
  }
  return Flow::kStop;
}

// --- the rows ---

template <>
Flow read_row<RowKind::kGradient>(LinePass& pass, RowValues& row) {
  SourceLocation at;
  const int32_t position = row.number(0, at);
  const int32_t gradient = row.number(1);
  if (!position_accepted(pass, position, at, "gradient")) return Flow::kEndStep;
  fill_gradient(pass.model, pass.gradients, position, at, gradient);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kCurve>(LinePass& pass, RowValues& row) {
  SourceLocation at;
  SourceLocation length_at;
  const int32_t start = row.number(0, at);
  const int32_t length = row.number(1, length_at);
  if (!position_accepted(pass, start, at, "curve")) return Flow::kEndStep;
  const std::optional<double> curvature = curvature_of(row.keyword());
  if (!curvature) {
    pass.errors.record(ErrorCode::kCurve, Source::kLineFile, row.keyword_at(),
                       "the curve keyword " + quoted(row.keyword()) +
                           " names no radius class: it must hold one of the digits 1 to 6");
    return Flow::kStop;
  }
  if (!bend_profile(profile_of(pass), pass.profile_cursor, start, length, length_at, *curvature,
                    pass.stop)) {
    pass.errors.record(ErrorCode::kCurve, Source::kLineFile, row.keyword_at(),
                       "the curve at " + std::to_string(start) + " m, " + std::to_string(length) +
                           " m long, takes the profile past point " +
                           std::to_string(kCurvePointLimit) + ", the last point a curve may reach");
    return Flow::kStop;
  }
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kTunnel>(LinePass& pass, RowValues& row) {
  SourceLocation at;
  const int32_t inizio = row.number(0, at);
  const int32_t fine = row.number(1);
  const int32_t tipo = row.number(2);
  if (!position_accepted(pass, inizio, at, "tunnel")) return Flow::kEndStep;
  memo_montagna(pass.model, pass.tunnels, inizio, fine, tipo, at);
  return Flow::kGoOn;
}

template <>
Flow read_row<RowKind::kSpeedBoard>(LinePass& pass, RowValues& row) {
  SpeedBoardRow board;
  board.posizione = row.number(0, board.posizione_at);
  board.vas = row.number(1, board.vas_at);
  board.vbs = row.number(2, board.vbs_at);
  board.vcs = row.number(3, board.vcs_at);
  board.strisces = row.number(4, board.strisces_at);
  board.vad = row.number(5);
  board.vbd = row.number(6);
  board.vcd = row.number(7);
  board.strisced = row.number(8, board.strisced_at);
  if (!position_accepted(pass, board.posizione, board.posizione_at, "speed board")) {
    return Flow::kEndStep;
  }
  if (memo_indicatori_v_max(pass.model, board)) return Flow::kGoOn;
  pass.errors.record_at(
      ErrorCode::kSpeedBoardCellTaken, board.posizione, Source::kLineFile, board.posizione_at,
      "the speed board at " + std::to_string(board.posizione) + " m would stand in cell " +
          std::to_string(board_cell(board.posizione)) +
          ", which is taken: a board needs a cell that is empty or holds a "
          "tunnel marker");
  return Flow::kStop;
}

template <>
Flow read_row<RowKind::kTextBoard>(LinePass& pass, RowValues& row) {
  SourceLocation at;
  const int32_t position = row.number(0, at);
  std::string text(row.text(1));
  if (!position_accepted(pass, position, at, "text board")) return Flow::kEndStep;
  switch (place_text_board(pass.model, pass.board_cursor, position, at, std::move(text))) {
    case TextBoardPlacement::kPlaced:
      return Flow::kGoOn;
    case TextBoardPlacement::kNoEntryLeft:
      pass.errors.record_at(ErrorCode::kNoBoardEntry, position, Source::kLineFile, row.keyword_at(),
                            "the text board at " + std::to_string(position) +
                                " m is one too many: the line file may hold at most 80 text "
                                "boards");
      break;
    case TextBoardPlacement::kCellTaken:
      pass.errors.record_at(ErrorCode::kTextBoardCellTaken, position, Source::kLineFile, at,
                            "the text board at " + std::to_string(position) +
                                " m would stand in cell " + std::to_string(board_cell(position)) +
                                ", which is taken: a board needs a cell that is empty or holds a "
                                "tunnel marker");
      break;
  }
  return Flow::kStop;
}

using ReadRow = Flow (*)(LinePass&, RowValues&);

constexpr ReadRow kRowReaders[] = {
#define ROW_KIND_OF_kLine(id) read_row<RowKind::id>,
#define ROW_KIND_OF_kTrain(id)
#include "format/row_kinds_of_file.def"
};

Flow LinePass::row(RowValues& values) {
  return kRowReaders[index_in_file(values.kind().kind)](*this, values);
}

// The kilometre references go into their order before the rows, which the
// profile's seed opens.
void start_rows(LinePass& pass) {
  const ReferenceFields ordered = progressive_ordina(pass.model.table, pass.reference_fields);
  pass.model.rows.km_reference_a = ordered.a;
  pass.model.rows.km_reference_b = ordered.b;
  if (pass.builds_profile()) seed_profile(profile_of(pass));
}

// --- the end step ---

void run_end_step(LinePass& pass) {
  gradient_tail(pass.model, pass.gradients);
  if (pass.builds_profile()) profile_tail(profile_of(pass), pass.profile_cursor, pass.stop);
}

Flow run_pass(LinePass& pass, RowReader& rows) {
  if (!rows.find_general_section()) {
    pass.errors.record(ErrorCode::kNoGeneralSection, Source::kLineFile, {},
                       "no line holds " + quoted(kGeneralSection) +
                           " before the end of the line file: the header must open with that "
                           "line and be followed by at least one more field");
    return Flow::kStop;
  }
  if (rows.read_header(pass) == Flow::kStop) return Flow::kStop;
  start_rows(pass);
  if (rows.read_rows(pass) == Flow::kStop) return Flow::kStop;
  run_end_step(pass);
  return Flow::kGoOn;
}

}  // namespace

LineResult compile_line_file(std::string_view text, ProfileChoice profile, Scenario& model,
                             ErrorLog& errors, RowListener* listener, const StopFlag& stop) {
  LinePass pass(profile, model, errors, stop);
  RowReader rows(text, TextFile::kLine, errors, model, listener, stop);
  try {
    const Flow end = run_pass(pass, rows);
    return {end, pass.board_cursor};
  } catch (const Fault& fault) {
    rows.throw_from_row(fault);
  }
}

}  // namespace sc
