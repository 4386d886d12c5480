#include "line/line_compiler.h"

#include <optional>
#include <span>
#include <string>
#include <utility>

#include "format/row_kinds.h"
#include "format/row_recorder.h"
#include "format/value_fault.h"
#include "line/boards.h"
#include "line/header_values.h"
#include "line/route_profile.h"
#include "line/tunnels.h"
#include "model/cell_fill.h"
#include "model/cell_geometry.h"
#include "model/flow.h"
#include "textio/field_reader.h"
#include "textio/keywords.h"
#include "textio/rounding.h"
#include "textio/row_keyword.h"

namespace sc {
namespace {

constexpr int kHeaderHyphenReads = 10;

bool has_hyphen(std::string_view field) {
  return contains(field, "-");
}

// The read state of one line text file, alive for one compile call.
struct LinePass {
  LinePass(std::string_view text, ProfileChoice profile, Scenario& model, ErrorLog& errors,
           const StopFlag& stop)
      : reader(text), profile_choice(profile), model(model), errors(errors), stop(stop) {}

  bool builds_profile() const { return profile_choice == ProfileChoice::kBuild; }

  FieldReader reader;
  KeywordMatcher keywords{TextFile::kLine};
  const ProfileChoice profile_choice;
  Scenario& model;
  ErrorLog& errors;
  const StopFlag stop;
  SourceLocation keyword_location;
  ReferenceFields reference_fields;
  TunnelList tunnels;
  CellFill gradients;
  int32_t profile_cursor = kFirstComputedPoint;
  int board_cursor = entry::kFirstBoard;
  RowRecorder* rows = nullptr;  // when someone listens
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

// A "[generale]" that is the file's last field is not found.
bool find_general_section(LinePass& pass) {
  for (;;) {
    pass.stop.stop_if_requested();
    const std::string_view field = pass.reader.read_text();
    if (pass.reader.at_end()) {
      pass.errors.record(ErrorCode::kNoGeneralSection, Source::kLineFile, {},
                         "no line holds \"[generale]\" before the end of the line file: the "
                         "header must open with that line and be followed by at least one more "
                         "field");
      return false;
    }
    if (contains_any_case(field, kGeneralSection)) return true;
  }
}

// Creates the cells and, when the profile is wanted, the profile; a second
// route-length row creates both afresh.
Flow read_route_length(LinePass& pass) {
  SourceLocation at;
  const int32_t length = pass.reader.read_long(at);
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

void read_reference(LinePass& pass, int table_entry) {
  TableEntry& e = pass.model.table[table_entry];
  const size_t i = static_cast<size_t>(table_entry - entry::kReferenceTre);
  e.*slot::kReferenceA = pass.reader.read_long(pass.reference_fields.a[i]);
  e.*slot::kReferenceB = pass.reader.read_long(pass.reference_fields.b[i]);
  e.*slot::kReferenceC = pass.reader.read_long();
}

void read_background(LinePass& pass, slot::Field<int32_t> field) {
  pass.model.table[entry::kLineHeader].*field = pass.reader.read_long();
}

Flow read_repetition(LinePass& pass, std::string_view keyword) {
  SourceLocation first_at;
  SourceLocation second_at;
  const int32_t first = pass.reader.read_long(first_at);
  const int32_t second = pass.reader.read_long(second_at);
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
      pass.errors.record(ErrorCode::kRepetitionCode, Source::kLineFile, pass.keyword_location,
                         "the signal-repetition keyword " + quoted(keyword) +
                             " names no repetition code: it must hold \"4\" or \"9\"");
      break;
  }
  return Flow::kStop;
}

// --- the rows ---

Flow read_gradient_row(LinePass& pass, std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t position = pass.reader.read_long(at);
  const int32_t gradient = pass.reader.read_long();
  if (!position_accepted(pass, position, at, "gradient")) return Flow::kEndStep;
  fill_gradient(pass.model, pass.gradients, position, at, gradient);
  return Flow::kGoOn;
}

Flow read_curve_row(LinePass& pass, std::string_view keyword) {
  SourceLocation at;
  SourceLocation length_at;
  const int32_t start = pass.reader.read_long(at);
  const int32_t length = pass.reader.read_long(length_at);
  if (!position_accepted(pass, start, at, "curve")) return Flow::kEndStep;
  const std::optional<double> curvature = curvature_of(keyword);
  if (!curvature) {
    pass.errors.record(ErrorCode::kCurve, Source::kLineFile, pass.keyword_location,
                       "the curve keyword " + quoted(keyword) +
                           " names no radius class: it must hold one of the digits 1 to 6");
    return Flow::kStop;
  }
  if (!bend_profile(profile_of(pass), pass.profile_cursor, start, length, length_at, *curvature,
                    pass.stop)) {
    pass.errors.record(ErrorCode::kCurve, Source::kLineFile, pass.keyword_location,
                       "the curve at " + std::to_string(start) + " m, " + std::to_string(length) +
                           " m long, takes the profile past point " +
                           std::to_string(kCurvePointLimit) + ", the last point a curve may reach");
    return Flow::kStop;
  }
  return Flow::kGoOn;
}

Flow read_tunnel_row(LinePass& pass, std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t inizio = pass.reader.read_long(at);
  const int32_t fine = pass.reader.read_long();
  const int32_t tipo = pass.reader.read_long();
  if (!position_accepted(pass, inizio, at, "tunnel")) return Flow::kEndStep;
  memo_montagna(pass.model, pass.tunnels, inizio, fine, tipo, at);
  return Flow::kGoOn;
}

Flow read_speed_board_row(LinePass& pass, std::string_view /*keyword*/) {
  SpeedBoardRow board;
  FieldReader& reader = pass.reader;
  board.posizione = reader.read_long(board.posizione_at);
  board.vas = reader.read_long(board.vas_at);
  board.vbs = reader.read_long(board.vbs_at);
  board.vcs = reader.read_long(board.vcs_at);
  board.strisces = reader.read_long(board.strisces_at);
  board.vad = reader.read_long();
  board.vbd = reader.read_long();
  board.vcd = reader.read_long();
  board.strisced = reader.read_long(board.strisced_at);
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

Flow read_text_board_row(LinePass& pass, std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t position = pass.reader.read_long(at);
  std::string text(pass.reader.read_text());
  if (!position_accepted(pass, position, at, "text board")) return Flow::kEndStep;
  switch (place_text_board(pass.model, pass.board_cursor, position, at, std::move(text))) {
    case TextBoardPlacement::kPlaced:
      return Flow::kGoOn;
    case TextBoardPlacement::kNoEntryLeft:
      pass.errors.record_at(ErrorCode::kNoBoardEntry, position, Source::kLineFile,
                            pass.keyword_location,
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

Flow read_route_length_row(LinePass& pass, std::string_view /*keyword*/) {
  return read_route_length(pass);
}

template <int kEntry>
Flow read_reference_row(LinePass& pass, std::string_view /*keyword*/) {
  read_reference(pass, kEntry);
  return Flow::kGoOn;
}

template <slot::Field<int32_t> kField>
Flow read_background_row(LinePass& pass, std::string_view /*keyword*/) {
  read_background(pass, kField);
  return Flow::kGoOn;
}

using ReadRow = Flow (*)(LinePass&, std::string_view keyword);

ReadRow reader_of(RowKind kind) {
  switch (kind) {
    case RowKind::kRouteLength:
      return read_route_length_row;
    case RowKind::kReferenceTre:
      return read_reference_row<entry::kReferenceTre>;
    case RowKind::kReferenceDue:
      return read_reference_row<entry::kReferenceDue>;
    case RowKind::kReferenceUno:
      return read_reference_row<entry::kReferenceUno>;
    case RowKind::kBackgroundUno:
      return read_background_row<slot::kBackgroundUno>;
    case RowKind::kBackgroundDue:
      return read_background_row<slot::kBackgroundDue>;
    case RowKind::kBackgroundTre:
      return read_background_row<slot::kBackgroundTre>;
    case RowKind::kSignalRepetition:
      return read_repetition;
    case RowKind::kGradient:
      return read_gradient_row;
    case RowKind::kCurve:
      return read_curve_row;
    case RowKind::kTunnel:
      return read_tunnel_row;
    case RowKind::kSpeedBoard:
      return read_speed_board_row;
    case RowKind::kTextBoard:
      return read_text_board_row;
    default:
      return nullptr;
  }
}

// Curve rows are read only when the profile is built.
bool reads_kind(const LinePass& pass, RowKind kind) {
  return kind != RowKind::kCurve || pass.builds_profile();
}

Flow read_kind(LinePass& pass, RowKind kind, std::string_view keyword) {
  return naming_the_value(pass.reader, kind, pass.keyword_location.line,
                          [&] { return reader_of(kind)(pass, keyword); });
}

Flow run_kind(LinePass& pass, RowPart part, RowKind kind, std::string_view keyword) {
  if (!pass.rows) return read_kind(pass, kind, keyword);
  const int32_t profile_from = pass.profile_cursor;
  pass.rows->kind_begins(part, kind);
  const Flow flow = read_kind(pass, kind, keyword);
  pass.rows->kind_ends(flow == Flow::kGoOn ? 0 : pass.errors.error_number(), profile_from,
                       pass.profile_cursor);
  return flow;
}

// Every row kind of the part that the keyword names runs, in the table's
// order, each reading its own values.
Flow run_row(LinePass& pass, RowPart part, std::string_view keyword) {
  bool named = false;
  const std::span<const RowKindInfo> kinds = row_kinds(TextFile::kLine, part);
  const uint32_t kinds_named = pass.keywords.kinds_named(part, keyword);
  for (size_t i = 0; i < kinds.size(); ++i) {
    const RowKind kind = kinds[i].kind;
    if (!reads_kind(pass, kind) || (kinds_named >> i & 1) == 0) continue;
    named = true;
    const Flow flow = run_kind(pass, part, kind, keyword);
    if (flow != Flow::kGoOn) return flow;
  }
  if (!named && pass.rows) pass.rows->no_kind(part);
  return Flow::kGoOn;
}

Flow run_header(LinePass& pass) {
  while (!pass.reader.at_end()) {
    pass.stop.stop_if_requested();
    std::string_view keyword = pass.reader.read_text();
    if (pass.reader.at_end()) break;
    // No end test between these reads: reading past the end is a fault.
    for (int i = 0; i < kHeaderHyphenReads && has_hyphen(keyword); ++i) {
      keyword = pass.reader.read_text();
    }
    pass.keyword_location = pass.reader.field_location();
    if (run_row(pass, RowPart::kHeader, keyword) == Flow::kStop) return Flow::kStop;
    if (ends_header(keyword)) break;
  }
  return Flow::kGoOn;
}

Flow run_rows(LinePass& pass) {
  const ReferenceFields ordered = progressive_ordina(pass.model.table, pass.reference_fields);
  pass.model.rows.km_reference_a = ordered.a;
  pass.model.rows.km_reference_b = ordered.b;
  if (pass.builds_profile()) seed_profile(profile_of(pass));
  while (const std::optional<RowKeyword> keyword = read_row_keyword(pass.reader)) {
    pass.stop.stop_if_requested();
    pass.keyword_location = keyword->where;
    const Flow flow = run_row(pass, RowPart::kRows, keyword->text);
    if (flow == Flow::kGoOn) continue;
    if (!pass.errors.reads_past_stopping_rows()) return flow;
    pass.reader.skip_rest_of_line();
  }
  return Flow::kEndStep;
}

// --- the end step ---

void run_end_step(LinePass& pass) {
  gradient_tail(pass.model, pass.gradients);
  if (pass.builds_profile()) profile_tail(profile_of(pass), pass.profile_cursor, pass.stop);
}

Flow run_pass(LinePass& pass) {
  if (!find_general_section(pass)) return Flow::kStop;
  if (pass.rows) pass.rows->listen_to(pass.reader);
  if (run_header(pass) == Flow::kStop) return Flow::kStop;
  if (run_rows(pass) == Flow::kStop) return Flow::kStop;
  run_end_step(pass);
  return Flow::kGoOn;
}

}  // namespace

LineResult compile_line_file(std::string_view text, ProfileChoice profile, Scenario& model,
                             ErrorLog& errors, RowListener* listener, const StopFlag& stop) {
  LinePass pass(text, profile, model, errors, stop);
  std::optional<RowRecorder> recorder;
  if (listener) pass.rows = &recorder.emplace(TextFile::kLine, *listener, model);
  try {
    const Flow end = run_pass(pass);
    return {end, pass.board_cursor};
  } catch (const Fault& fault) {
    throw_from_row(fault, pass.reader, pass.rows);
  }
}

}  // namespace sc
