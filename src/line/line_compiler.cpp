#include "line/line_compiler.h"

#include <optional>
#include <string>
#include <utility>

#include "line/boards.h"
#include "line/header_values.h"
#include "line/route_profile.h"
#include "textio/field_reader.h"
#include "textio/keywords.h"
#include "textio/rounding.h"

namespace sc {
namespace {

constexpr int32_t kMaxRouteLength = 1000000;
constexpr int32_t kRunOut = 7000;  // metres of cells and profile beyond the route's end
constexpr int kHeaderHyphenReads = 10;
constexpr int kRowHyphenReads = 2;
constexpr int64_t kRowMargin = 100;

// What a row leaves the loop to do next.
enum class Flow {
  kGoOn,
  kFinish,  // error 15: the rows end here, the end step runs
  kStop,    // any other error: the half returns at once
};

bool has_hyphen(std::string_view field) {
  return contains(field, "-");
}

// "[" and "]" end the header unless the line is hidden behind a hyphen.
bool is_section_line(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  const bool hidden = first != std::string_view::npos && field[first] == '-';
  return contains(field, "[") && contains(field, "]") && !hidden;
}

std::string quoted(std::string_view field) {
  return "\"" + std::string(field) + "\"";
}

// The read state of one line file.
class LineCompiler {
 public:
  LineCompiler(std::string_view text, int32_t j, Scenario& model, ErrorLog& errors)
      : reader_(text), j_(j), model_(model), errors_(errors) {}

  LineResult run();
  SourceLocation where() const { return reader_.field_location(); }

 private:
  bool find_general_section();
  Flow read_header();
  Flow header_row(std::string_view keyword);
  Flow route_length_row();
  void reference_row(int table_entry);
  void background_row(slot::Field<int32_t> field);
  Flow repetition_row(std::string_view keyword);

  void prepare_rows();
  Flow read_rows();
  std::optional<std::string> next_row_keyword();
  Flow section_row(std::string_view keyword);
  Flow gradient_row(std::string_view keyword);
  Flow curve_row(std::string_view keyword);
  Flow tunnel_row(std::string_view keyword);
  Flow speed_board_row(std::string_view keyword);
  Flow text_board_row(std::string_view keyword);
  bool position_passes(int32_t position, SourceLocation at, std::string_view row_kind);
  void end_step();

  Profile& profile();
  int32_t route_length() const { return model_.table[entry::kFigures].*slot::kRouteLength; }
  LineResult result(HalfEnd end) const { return {end, board_cursor_}; }

  FieldReader reader_;
  const int32_t j_;
  Scenario& model_;
  ErrorLog& errors_;
  SourceLocation keyword_at_;
  ReferenceFields reference_fields_;
  TunnelList tunnels_;
  GradientCursor gradient_;
  int32_t profile_cursor_ = kFirstComputedPoint;
  int board_cursor_ = entry::kFirstBoard;
};

LineResult LineCompiler::run() {
  if (!find_general_section()) return result(HalfEnd::kStopped);
  if (read_header() == Flow::kStop) return result(HalfEnd::kStopped);
  prepare_rows();
  if (read_rows() == Flow::kStop) return result(HalfEnd::kStopped);
  end_step();
  return result(HalfEnd::kFinished);
}

// A "[generale]" that is the file's last field is not found.
bool LineCompiler::find_general_section() {
  for (;;) {
    const std::string field = reader_.read_text();
    if (reader_.at_end()) {
      errors_.record(ErrorCode::kNoGeneralSection, Source::kLineFile, {},
                     "no line holds \"[generale]\" before the end of the line file: the header "
                     "must open with that line and be followed by at least one more field");
      return false;
    }
    if (contains_any_case(field, "[generale]")) return true;
  }
}

Flow LineCompiler::read_header() {
  while (!reader_.at_end()) {
    std::string keyword = reader_.read_text();
    if (reader_.at_end()) break;
    // No end test between these reads: reading past the end is a fault.
    for (int i = 0; i < kHeaderHyphenReads && has_hyphen(keyword); ++i) {
      keyword = reader_.read_text();
    }
    keyword_at_ = reader_.field_location();
    if (header_row(keyword) == Flow::kStop) return Flow::kStop;
    if (is_section_line(keyword)) break;
  }
  return Flow::kGoOn;
}

// Every matching test runs, in this order.
Flow LineCompiler::header_row(std::string_view keyword) {
  const auto has_both = [keyword](std::string_view a, std::string_view b) {
    return contains(keyword, a) && contains(keyword, b);
  };
  if (contains_any_case(keyword, "percorso") && contains_any_case(keyword, "lunghezza")) {
    if (route_length_row() == Flow::kStop) return Flow::kStop;
  }
  if (has_both("tre", "progressiva")) reference_row(entry::kReferenceTre);
  if (has_both("due", "progressiva")) reference_row(entry::kReferenceDue);
  if (has_both("uno", "progressiva")) reference_row(entry::kReferenceUno);
  if (has_both("sfondo", "uno")) background_row(slot::kBackgroundUno);
  if (has_both("sfondo", "due")) background_row(slot::kBackgroundDue);
  if (has_both("sfondo", "tre")) background_row(slot::kBackgroundTre);
  if (has_both("segnali", "ripetizione")) return repetition_row(keyword);
  return Flow::kGoOn;
}

// Creates the cells and, when the profile is wanted, the profile; a second
// route-length row creates both afresh.
Flow LineCompiler::route_length_row() {
  SourceLocation at;
  const int32_t length = reader_.read_long(at);
  if (length < 0 || length > kMaxRouteLength) {
    errors_.record(ErrorCode::kRouteLength, Source::kLineFile, at,
                   "route length " + std::to_string(length) +
                       " m is out of range: a route of 0 to 1000000 m is accepted");
    return Flow::kStop;
  }
  model_.table[entry::kFigures].*slot::kRouteLength = length;
  const int64_t last_cell = round_half_even((length + kRunOut) / 50.0);
  model_.cells.assign(static_cast<size_t>(last_cell) + 1, Cell{});
  if (j_ != 0) model_.profile.emplace(length + kRunOut);
  return Flow::kGoOn;
}

void LineCompiler::reference_row(int table_entry) {
  TableEntry& e = model_.table[table_entry];
  const size_t i = static_cast<size_t>(table_entry - entry::kReferenceTre);
  e.*slot::kReferenceA = reader_.read_long(reference_fields_.a[i]);
  e.*slot::kReferenceB = reader_.read_long(reference_fields_.b[i]);
  e.*slot::kReferenceC = reader_.read_long();
}

void LineCompiler::background_row(slot::Field<int32_t> field) {
  model_.table[entry::kLineHeader].*field = reader_.read_long();
}

Flow LineCompiler::repetition_row(std::string_view keyword) {
  SourceLocation first_at;
  SourceLocation second_at;
  const int32_t first = reader_.read_long(first_at);
  const int32_t second = reader_.read_long(second_at);
  switch (store_signal_repetition(model_.table[entry::kTrainHeader], keyword, first, second)) {
    case RepetitionCheck::kAccepted:
      return Flow::kGoOn;
    case RepetitionCheck::kFirstNotMultipleOf50:
      errors_.record(ErrorCode::kRepetitionFirstValue, Source::kLineFile, first_at,
                     "the first signal-repetition value " + std::to_string(first) +
                         " is not a multiple of 50");
      break;
    case RepetitionCheck::kSecondNotMultipleOf50:
      errors_.record(ErrorCode::kRepetitionSecondValue, Source::kLineFile, second_at,
                     "the second signal-repetition value " + std::to_string(second) +
                         " is not a multiple of 50");
      break;
    case RepetitionCheck::kNoCode:
      errors_.record(ErrorCode::kRepetitionCode, Source::kLineFile, keyword_at_,
                     "the signal-repetition keyword " + quoted(keyword) +
                         " names no repetition code: it must hold \"4\" or \"9\"");
      break;
  }
  return Flow::kStop;
}

void LineCompiler::prepare_rows() {
  progressive_ordina(model_.table, reference_fields_);
  tunnels_ = {};
  gradient_ = {};
  if (j_ != 0) seed_profile(profile());
  profile_cursor_ = kFirstComputedPoint;
  board_cursor_ = entry::kFirstBoard;
}

Flow LineCompiler::read_rows() {
  while (const std::optional<std::string> keyword = next_row_keyword()) {
    const Flow flow = section_row(*keyword);
    if (flow == Flow::kStop) return Flow::kStop;
    if (flow == Flow::kFinish) break;
  }
  return Flow::kGoOn;
}

// The next keyword field, a field holding "-" being replaced by the one after
// it (twice at most); nullopt when the file ends, so the last field of the file
// is never taken as a row.
std::optional<std::string> LineCompiler::next_row_keyword() {
  if (reader_.at_end()) return std::nullopt;
  std::string keyword = reader_.read_text();
  for (int i = 0; i < kRowHyphenReads && !reader_.at_end() && has_hyphen(keyword); ++i) {
    keyword = reader_.read_text();
  }
  if (reader_.at_end()) return std::nullopt;
  keyword_at_ = reader_.field_location();
  return keyword;
}

// Every matching row kind runs, in this order, each reading its own values.
Flow LineCompiler::section_row(std::string_view keyword) {
  using Handler = Flow (LineCompiler::*)(std::string_view);
  const struct {
    bool matches;
    Handler handler;
  } kinds[] = {
      {contains_any_case(keyword, "pendenza"), &LineCompiler::gradient_row},
      {j_ != 0 && contains_any_case(keyword, "curva"), &LineCompiler::curve_row},
      {contains_any_case(keyword, "montagna"), &LineCompiler::tunnel_row},
      {contains_any_case(keyword, "indicatori_v"), &LineCompiler::speed_board_row},
      {contains_any_case(keyword, "indicat") && contains_any_case(keyword, "cartello"),
       &LineCompiler::text_board_row},
  };
  for (const auto& kind : kinds) {
    if (!kind.matches) continue;
    const Flow flow = (this->*kind.handler)(keyword);
    if (flow != Flow::kGoOn) return flow;
  }
  return Flow::kGoOn;
}

bool LineCompiler::position_passes(int32_t position, SourceLocation at, std::string_view row_kind) {
  if (!model_.has_cells()) {
    throw Fault("a " + std::string(row_kind) +
                    " row needs the route's cells, but the header gave no route length",
                at);
  }
  if (position_fits(position, kRowMargin, model_.last_cell())) return true;
  errors_.record_at(
      ErrorCode::kBeyondRoute, position, Source::kLineFile, at,
      "position " + std::to_string(position) + " lies beyond the route: with a route of " +
          std::to_string(route_length()) + " m the last position a " + std::string(row_kind) +
          " row may have is " + std::to_string(50 * int64_t{model_.last_cell()} - kRowMargin));
  return false;
}

Flow LineCompiler::gradient_row(std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t position = reader_.read_long(at);
  const int32_t gradient = reader_.read_long();
  if (!position_passes(position, at, "gradient")) return Flow::kFinish;
  fill_gradient(model_, gradient_, position, at, gradient);
  return Flow::kGoOn;
}

Flow LineCompiler::curve_row(std::string_view keyword) {
  SourceLocation at;
  const int32_t start = reader_.read_long(at);
  SourceLocation length_at;
  const int32_t length = reader_.read_long(length_at);
  if (!position_passes(start, at, "curve")) return Flow::kFinish;
  const std::optional<double> curvature = curvature_of(keyword);
  if (!curvature) {
    errors_.record(ErrorCode::kCurve, Source::kLineFile, keyword_at_,
                   "the curve keyword " + quoted(keyword) +
                       " names no radius class: it must hold one of the digits 1 to 6");
    return Flow::kStop;
  }
  if (!bend_profile(profile(), profile_cursor_, start, length, length_at, *curvature)) {
    errors_.record(ErrorCode::kCurve, Source::kLineFile, keyword_at_,
                   "the curve at " + std::to_string(start) + " m, " + std::to_string(length) +
                       " m long, takes the profile past point " + std::to_string(kCurvePointLimit) +
                       ", the last point a curve may reach");
    return Flow::kStop;
  }
  return Flow::kGoOn;
}

Flow LineCompiler::tunnel_row(std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t inizio = reader_.read_long(at);
  const int32_t fine = reader_.read_long();
  const int32_t tipo = reader_.read_long();
  if (!position_passes(inizio, at, "tunnel")) return Flow::kFinish;
  memo_montagna(model_, tunnels_, inizio, fine, tipo, at);
  return Flow::kGoOn;
}

Flow LineCompiler::speed_board_row(std::string_view /*keyword*/) {
  SpeedBoard board;
  board.posizione = reader_.read_long(board.posizione_at);
  const SourceLocation& at = board.posizione_at;
  board.vas = reader_.read_long(board.vas_at);
  board.vbs = reader_.read_long(board.vbs_at);
  board.vcs = reader_.read_long(board.vcs_at);
  board.strisces = reader_.read_long(board.strisces_at);
  board.vad = reader_.read_long();
  board.vbd = reader_.read_long();
  board.vcd = reader_.read_long();
  board.strisced = reader_.read_long(board.strisced_at);
  if (!position_passes(board.posizione, at, "speed board")) return Flow::kFinish;
  if (memo_indicatori_v_max(model_, board)) return Flow::kGoOn;
  errors_.record_at(ErrorCode::kSpeedBoardCellTaken, board.posizione, Source::kLineFile, at,
                    "the speed board at " + std::to_string(board.posizione) +
                        " m would stand in cell " + std::to_string(board_cell(board.posizione)) +
                        ", which is taken: a board needs a cell that is empty or holds a tunnel "
                        "marker");
  return Flow::kStop;
}

Flow LineCompiler::text_board_row(std::string_view /*keyword*/) {
  SourceLocation at;
  const int32_t position = reader_.read_long(at);
  std::string text = reader_.read_text();
  if (!position_passes(position, at, "text board")) return Flow::kFinish;
  switch (place_text_board(model_, board_cursor_, position, at, std::move(text))) {
    case TextBoardPlacement::kPlaced:
      return Flow::kGoOn;
    case TextBoardPlacement::kNoEntryLeft:
      errors_.record_at(ErrorCode::kNoBoardEntry, position, Source::kLineFile, keyword_at_,
                        "the text board at " + std::to_string(position) +
                            " m is one too many: the line file may hold at most 80 text boards");
      break;
    case TextBoardPlacement::kCellTaken:
      errors_.record_at(ErrorCode::kTextBoardCellTaken, position, Source::kLineFile, at,
                        "the text board at " + std::to_string(position) +
                            " m would stand in cell " + std::to_string(board_cell(position)) +
                            ", which is taken: a board needs a cell that is empty or holds a "
                            "tunnel marker");
      break;
  }
  return Flow::kStop;
}

void LineCompiler::end_step() {
  gradient_tail(model_, gradient_);
  if (j_ != 0) profile_tail(profile(), profile_cursor_);
}

Profile& LineCompiler::profile() {
  if (!model_.profile) {
    throw Fault("the profile needs the route's length, but the header gave none");
  }
  return *model_.profile;
}

}  // namespace

LineResult compile_line_file(std::string_view text, int32_t j, Scenario& model, ErrorLog& errors) {
  LineCompiler compiler(text, j, model, errors);
  try {
    return compiler.run();
  } catch (const Fault& fault) {
    if (fault.where().known()) throw;
    throw Fault(fault.what(), compiler.where());
  }
}

}  // namespace sc
