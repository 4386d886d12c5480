#include "decompile/cell_objects.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "decompile/code_changes.h"
#include "decompile/decompile.h"
#include "format/row_kinds.h"
#include "model/format_rules.h"
#include "model/object_rules.h"
#include "objects/route_objects.h"

namespace sc {
namespace {

// Row position of a code-change point's cell.
int64_t metres_at(int32_t cell) {
  return int64_t{cell} * kCellMetres;
}

std::string cell_name(int32_t index) {
  return "cell " + std::to_string(index);
}

// What stood in a stop cell before the station's row.
enum class Under { kNothing, kSlowdown, kSignal, kSpeedBoard, kTextBoard };

struct Station {
  int index = 0;
  std::optional<int32_t> stop;  // its stop cell, when it still holds it
  bool marks = false;           // approach marks in the four cells before the stop
  Row row;
};

// A station or a signal, as a writer of approach marks.
struct MarkWriter {
  bool station = false;
  int station_index = 0;  // the station; for a signal in a stop cell, that station
  int32_t cell = 0;
  bool hidden = false;                             // a signal covered by a stop cell
  std::vector<std::pair<int32_t, int>> footprint;  // marked cell and step
  int16_t rapp_code = 0;                           // a signal's info4
  bool peeled = false;
  std::optional<int64_t> code;  // a signal's mark code, modulo kMarkCodeModulus
};

class ObjectRecovery {
 public:
  explicit ObjectRecovery(const Scenario& compiled)
      : table_(compiled.table), cells_(compiled.cells), last_(compiled.last_cell()) {
    // The format marker and the check code go into cell 1 after the pass.
    if (cells_.size() > kMarkerCell) {
      cells_[kMarkerCell].*cell_slot::kCellFormatMarker = 0;
      cells_[kMarkerCell].*cell_slot::kCellCheckCode = 0;
    }
    claimed_.assign(cells_.size(), false);
    under_.assign(cells_.size(), Under::kNothing);
    stop_owner_.assign(cells_.size(), 0);
  }

  ObjectRows run() {
    find_stations();
    find_slowdowns();
    find_signals();
    find_boards();
    find_code_points();
    check_every_cell_claimed();
    return std::move(rows_);
  }

 private:
  const Cell& cell(int32_t i) const { return cells_[static_cast<size_t>(i)]; }
  bool on_route(int64_t i) const { return i >= 0 && i <= last_; }
  bool holds(int64_t i, uint8_t type) const {
    return on_route(i) && !claimed_[static_cast<size_t>(i)] &&
           cell(static_cast<int32_t>(i)).type_code == type;
  }
  void claim(int32_t i) { claimed_[static_cast<size_t>(i)] = true; }
  // A stop cell nothing has yet been put under.
  bool open_stop_cell(int64_t i) const {
    return on_route(i) && stop_owner_[static_cast<size_t>(i)] > 0 &&
           under_[static_cast<size_t>(i)] == Under::kNothing;
  }
  void put_under(int32_t i, Under what) { under_[static_cast<size_t>(i)] = what; }

  void add_train_row(Section section, Row row) { rows_.train.push_back({section, std::move(row)}); }

  // --- stations ---

  static bool has_numbers(const TableEntry& e) {
    TableEntry numbers = e;
    numbers.text.clear();
    return !(numbers == TableEntry{});
  }

  // Stations fill the entries from 1 upwards; every station entry holds a
  // type or an extent.
  int station_count() const {
    for (int i = entry::kFirstBoard; i >= entry::kFirstStation; --i) {
      if (has_numbers(table_[static_cast<size_t>(i)])) return i;
    }
    return 0;
  }

  void find_stations() {
    const int count = station_count();
    for (int i = entry::kFirstStation; i <= count; ++i) {
      stations_.push_back(station(i));
    }
  }

  Station station(int index) {
    const TableEntry& e = table_[static_cast<size_t>(index)];
    const objects::Station decoded = objects::decode_station(table_, index);
    const int type = decoded.type;
    // The first station's end extension flag is cleared after use.
    const bool first_centred =
        !is_short_station(type) && !is_long_station(type) && index == entry::kFirstStation;
    if (!text_field(e.text)) {
      throw DecompileError("station " + std::to_string(index) +
                           "'s name cannot be written as a text field (it opens with a double "
                           "quote, or needs quotes and holds one)");
    }
    const ClockTime clock = station_clock(decoded.time);
    std::vector<int64_t> values{decoded.position, type, decoded.length};
    std::apply([&](auto... field) { (values.push_back(e.*field), ...); }, kStoredStationValues);
    if (first_centred) values[kStationEndExtensionValue - 1] = decoded.end_extension ? 1 : 0;
    values.insert(values.end(), {clock.hours, clock.minutes, clock.seconds});
    Station s{index, std::nullopt, station_marks(type),
              Row{keyword_of(RowKind::kStation), std::move(values), e.text}};
    if (decoded.stop_cell) {
      const int64_t stop = *decoded.stop_cell;
      if (on_route(stop) && cell(static_cast<int32_t>(stop)).type_code == cell_type::kStationStop &&
          stop_station(cell(static_cast<int32_t>(stop))) == index) {
        s.stop = static_cast<int32_t>(stop);
        claim(*s.stop);
        stop_owner_[static_cast<size_t>(stop)] = index;
      }
    }
    return s;
  }

  // --- slowdowns ---

  // A cell of a slowdown (visible) or a stop cell that keeps what it held.
  enum class Part { kMissing, kVisible, kUnderStop };

  // `first` is a slowdown cell's speed or a countdown cell's number.
  Part slowdown_part(int64_t i, uint8_t type, int16_t first, StopRemnant rest) const {
    const cell_slot::Field first_slot =
        type == cell_type::kCountdown ? cell_slot::kCountdownNumber : cell_slot::kSlowdownSpeed;
    if (holds(i, type) && cell(static_cast<int32_t>(i)).*first_slot == first &&
        stop_remnant(cell(static_cast<int32_t>(i))) == rest) {
      return Part::kVisible;
    }
    if (open_stop_cell(i) && stop_remnant(cell(static_cast<int32_t>(i))) == rest) {
      return Part::kUnderStop;
    }
    return Part::kMissing;
  }

  // Starts in route order, each with the end the decoder pairs it with, then
  // the ends whose start a station's stop cell took.
  void find_slowdowns() {
    std::vector<Row> after_stations;
    const auto add = [&](Row row, bool under_stop) {
      if (under_stop) {
        add_train_row(Section::kSlowdowns, std::move(row));
      } else {
        after_stations.push_back(std::move(row));
      }
    };
    for (const objects::Slowdown& d : slowdowns_with_their_ends()) {
      claim(d.start_cell);
      claim(d.end_cell);
      bool under_stop = false;
      Row row = slowdown(d.start_cell, d.end_cell, cell(d.start_cell), under_stop);
      add(std::move(row), under_stop);
    }
    for (int32_t e = 0; e <= last_; ++e) {
      if (!holds(e, cell_type::kSlowdownEnd)) continue;
      const Cell values = cell(e);
      const std::optional<int32_t> s = covered_start(values);
      if (!s) continue;  // left unclaimed, and refused below
      claim(e);
      put_under(*s, Under::kSlowdown);
      bool under_stop = true;
      Row row = slowdown(*s, e, values, under_stop);
      add(std::move(row), under_stop);
    }
    slowdowns_ = std::move(after_stations);
  }

  // The slowdowns the decoder finds, except that an end goes to a slowdown
  // whose start a stop cell took, when that one's warning shows and no other
  // end has its values: the visible start then had a length of 0. Both give
  // the same cells, and the block post-pass finds the same end.
  std::vector<objects::Slowdown> slowdowns_with_their_ends() const {
    std::vector<objects::Slowdown> decoded = objects::decode_slowdowns(cells_);
    std::vector<bool> paired(cells_.size(), false);
    for (const objects::Slowdown& d : decoded) paired[static_cast<size_t>(d.end_cell)] = true;
    const auto same_values = [&](int32_t a, int32_t b) {
      return cell(a).*cell_slot::kSlowdownSpeed == cell(b).*cell_slot::kSlowdownSpeed &&
             stop_remnant(cell(a)) == stop_remnant(cell(b));
    };
    for (objects::Slowdown& d : decoded) {
      if (d.end_cell == d.start_cell || !covered_start_with_warning(cell(d.end_cell))) continue;
      bool other_end = false;
      for (int32_t e = 0; e <= last_; ++e) {
        other_end = other_end || (holds(e, cell_type::kSlowdownEnd) &&
                                  !paired[static_cast<size_t>(e)] && same_values(e, d.end_cell));
      }
      if (other_end) continue;
      paired[static_cast<size_t>(d.end_cell)] = false;
      d.end_cell = d.start_cell;
    }
    return decoded;
  }

  bool covered_start_with_warning(const Cell& end) const {
    const std::optional<int32_t> s = covered_start(end);
    return s && warning_part(*s, end) == Part::kVisible;
  }

  // The warning a slowdown starting in `s` with these values has, if any.
  Part warning_part(int32_t s, const Cell& values) const {
    if (s < kLastWarnableCell) return Part::kMissing;
    const Part part =
        slowdown_part(slowdown_warning_cell(s), cell_type::kSlowdownWarning,
                      values.*cell_slot::kSlowdownSpeed, {values.*cell_slot::kSlowdownDv});
    if (s == kLastWarnableCell && part == Part::kUnderStop) return Part::kMissing;
    return part;
  }

  // A stop cell that keeps the values of an end cell's slowdown: first one
  // whose warning shows where it should, then one that needs no warning,
  // then one whose warning another stop cell took (an empty stop cell keeps
  // the values of a warning with a d_v of 0, so that is the weakest sign).
  std::optional<int32_t> covered_start(const Cell& end) const {
    const auto keeps = [&](int32_t s) {
      return open_stop_cell(s) &&
             stop_remnant(cell(s)) ==
                 StopRemnant{end.*cell_slot::kSlowdownDv, end.*cell_slot::kSlowdownFtt};
    };
    for (int32_t s = 0; s <= last_; ++s) {
      if (keeps(s) && warning_part(s, end) == Part::kVisible) return s;
    }
    for (int32_t s = 0; s <= last_; ++s) {
      if (keeps(s) && !slowdown_must_warn(s)) return s;
    }
    for (int32_t s = 0; s <= last_; ++s) {
      if (keeps(s) && warning_part(s, end) == Part::kUnderStop) return s;
    }
    return std::nullopt;
  }

  // `values` holds the speed, d_v and f_tt of the start cell as written.
  Row slowdown(int32_t s, int32_t e, const Cell& values, bool& under_stop) {
    const int64_t w = slowdown_warning_cell(s);
    const Part warning = warning_part(s, values);
    if (slowdown_must_warn(s) && warning == Part::kMissing) {
      throw DecompileError("the slowdown starting in " + cell_name(s) +
                           " has no warning cell 24 cells before it");
    }
    const bool warned = warning != Part::kMissing;
    int64_t x = slowdown_position(s, warned);
    const int16_t stored_d_v = values.*cell_slot::kSlowdownDv;
    int64_t d_v = stored_d_v;
    bool countdown = false;
    for (const WarnedStart& start : warned ? warned_starts(s) : std::vector<WarnedStart>{}) {
      countdown =
          find_countdown(static_cast<int32_t>(start.countdown), stored_d_v, d_v, under_stop);
      if (!countdown) continue;
      x = start.position;
      break;
    }
    if (warning == Part::kVisible) claim(static_cast<int32_t>(w));
    if (warning == Part::kUnderStop) {
      put_under(static_cast<int32_t>(w), Under::kSlowdown);
      under_stop = true;
    }
    return {keyword_of(RowKind::kSlowdown),
            {x, values.*cell_slot::kSlowdownSpeed, object_position(e) - x,
             values.*cell_slot::kSlowdownFtt, countdown ? 1 : 0, d_v},
            std::nullopt};
  }

  // The four countdown cells before the warning, numbered 1 nearest it. A
  // d_v whose low 16 bits are 0 still numbers their d_v.
  bool find_countdown(int32_t base, int16_t stored_d_v, int64_t& d_v, bool& under_stop) {
    for (const bool numbered : {stored_d_v != 0, stored_d_v == 0}) {
      if (!numbered && stored_d_v != 0) continue;
      std::array<Part, kCountdownCells> parts{};
      bool any_visible = false;
      bool all_found = true;
      for (int j = 0; j < kCountdownCells; ++j) {
        const auto step = static_cast<int16_t>(j + 1);
        parts[static_cast<size_t>(j)] = slowdown_part(base - j, cell_type::kCountdown, step,
                                                      {numbered ? step : int16_t{0}, 0, 0, 0});
        any_visible = any_visible || parts[static_cast<size_t>(j)] == Part::kVisible;
        all_found = all_found && parts[static_cast<size_t>(j)] != Part::kMissing;
      }
      if (!all_found || !any_visible) continue;
      for (int j = 0; j < kCountdownCells; ++j) {
        if (parts[static_cast<size_t>(j)] == Part::kVisible) claim(base - j);
        if (parts[static_cast<size_t>(j)] == Part::kUnderStop) {
          put_under(base - j, Under::kSlowdown);
          under_stop = true;
        }
      }
      if (numbered && stored_d_v == 0) d_v = 65536;
      return true;
    }
    return false;
  }

  // --- signals and approach marks ---

  uint8_t mark(int32_t i) const { return cell(i).mark; }

  MarkWriter signal_writer(int32_t i, bool hidden) const {
    MarkWriter w;
    w.cell = i;
    w.hidden = hidden;
    w.station_index = hidden ? stop_owner_[static_cast<size_t>(i)] : 0;
    w.rapp_code = cell(i).*cell_slot::kSignalRappCode;
    for (int k = 1; k <= kApproachMarks; ++k) {
      if (i - 2 * k >= 0) w.footprint.emplace_back(i - 2 * k, k);
    }
    return w;
  }

  MarkWriter station_writer(const Station& s) const {
    MarkWriter w;
    w.station = true;
    w.station_index = s.index;
    if (s.marks) {
      const int64_t stop = *objects::decode_station(table_, s.index).stop_cell;
      for (int j = 1; j <= kApproachMarks; ++j) {
        const int64_t c = stop - j;
        if (c >= kLowestStationMarkCell && on_route(c)) {
          w.footprint.emplace_back(static_cast<int32_t>(c), j);
        }
      }
    }
    return w;
  }

  void find_signals() {
    std::vector<MarkWriter> writers;
    std::vector<bool> explained(cells_.size(), false);
    const auto explain = [&](const MarkWriter& w) {
      for (const auto& [c, step] : w.footprint) explained[static_cast<size_t>(c)] = true;
    };
    for (int32_t i = 0; i <= last_; ++i) {
      if (!holds(i, cell_type::kSignal)) continue;
      claim(i);
      writers.push_back(signal_writer(i, false));
      explain(writers.back());
    }
    for (const Station& s : stations_) {
      writers.push_back(station_writer(s));
      explain(writers.back());
    }
    // A mark no visible writer explains comes from a signal a stop cell
    // covers; so does a signal time in a stop cell.
    for (int32_t st = 0; st <= last_; ++st) {
      if (!open_stop_cell(st)) continue;
      bool explains = cell(st).signal_time != 0;
      for (int k = 1; k <= kApproachMarks; ++k) {
        const int32_t c = st - 2 * k;
        explains = explains || (c >= 0 && mark(c) != 0 && !explained[static_cast<size_t>(c)]);
      }
      if (!explains) continue;
      put_under(st, Under::kSignal);
      writers.push_back(signal_writer(st, true));
      explain(writers.back());
    }
    for (int32_t c = 0; c <= last_; ++c) {
      if (mark(c) != 0 && !explained[static_cast<size_t>(c)]) {
        throw DecompileError(cell_name(c) + " holds the approach mark " + std::to_string(mark(c)) +
                             ", but no signal or station places a mark there");
      }
    }
    order_mark_writers(writers);
  }

  // Peels the writers from the last in the file to the first: a writer can be
  // the last of those left when each of its marks not yet overwritten by a
  // later writer is the one it writes.
  void order_mark_writers(std::vector<MarkWriter>& writers) {
    std::vector<bool> covered(cells_.size(), false);
    std::vector<size_t> peel_order;
    std::vector<bool> station_peeled(stations_.size() + 2, false);
    const auto try_peel = [&](MarkWriter& w) {
      if (w.peeled || !can_peel(w, covered, station_peeled)) return false;
      w.peeled = true;
      if (w.station) station_peeled[static_cast<size_t>(w.station_index)] = true;
      for (const auto& [c, step] : w.footprint) covered[static_cast<size_t>(c)] = true;
      peel_order.push_back(static_cast<size_t>(&w - writers.data()));
      return true;
    };
    for (bool progress = true; progress;) {
      progress = false;
      // Visible signals last in the file, then stations, then the signals
      // that stations cover; each kind in route order.
      for (auto it = writers.rbegin(); it != writers.rend(); ++it) {
        if (!it->station && !it->hidden) progress = try_peel(*it) || progress;
      }
      for (auto it = writers.rbegin(); it != writers.rend(); ++it) {
        if (it->station) progress = try_peel(*it) || progress;
      }
      for (auto it = writers.rbegin(); it != writers.rend(); ++it) {
        if (it->hidden) progress = try_peel(*it) || progress;
      }
    }
    for (const MarkWriter& w : writers) {
      if (!w.peeled) {
        throw DecompileError("the approach marks before " + cell_name(w.cell) +
                             " cannot come from any order of the signal and station rows");
      }
    }
    for (auto it = peel_order.rbegin(); it != peel_order.rend(); ++it) {
      const MarkWriter& w = writers[*it];
      if (w.station) {
        add_train_row(Section::kStations, stations_[static_cast<size_t>(w.station_index - 1)].row);
      } else {
        add_train_row(Section::kSignals, signal_row(w));
      }
    }
  }

  bool can_peel(MarkWriter& w, const std::vector<bool>& covered,
                const std::vector<bool>& station_peeled) const {
    if (w.station) {
      // Stations stand in the file in entry order.
      const auto next = static_cast<size_t>(w.station_index + 1);
      if (next <= stations_.size() && !station_peeled[next]) return false;
      for (const auto& [c, j] : w.footprint) {
        if (!covered[static_cast<size_t>(c)] && mark(c) != station_mark(j)) return false;
      }
      return true;
    }
    // A covered signal comes before the station that covers it.
    if (w.hidden && !station_peeled[static_cast<size_t>(w.station_index)]) return false;
    std::optional<int64_t> code;
    for (const auto& [c, k] : w.footprint) {
      if (covered[static_cast<size_t>(c)]) continue;
      const std::optional<int64_t> told = approach_mark_code(mark(c), k);
      if (!told || (code && *code != *told)) return false;
      code = told;
    }
    if (code && !signal_rapp_code(w.rapp_code, *code)) return false;
    w.code = code;
    return true;
  }

  // A covered signal's first pair is the stop cell's station entry: its row's
  // s1 and d1 are written 0.
  Row signal_row(const MarkWriter& w) const {
    const Cell& c = cell(w.cell);
    const objects::Signal s = objects::decode_signal(
        w.hidden ? object_under_stop(c, cell_type::kSignal) : c, w.cell, w.code);
    return {keyword_of(RowKind::kSignal),
            {s.position, s.sx, s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3, s.tempo},
            std::nullopt};
  }

  // --- boards ---

  static Row speed_board_row(int32_t i, const Cell& c, bool covered) {
    const objects::SpeedBoard b =
        objects::decode_speed_board(covered ? object_under_stop(c, cell_type::kSpeedBoard) : c, i);
    return {keyword_of(RowKind::kSpeedBoard),
            {b.position, b.vas, b.vbs, b.vcs, b.strisces, b.vad, b.vbd, b.vcd, b.strisced},
            std::nullopt};
  }

  void find_boards() {
    for (int32_t i = 0; i <= last_; ++i) {
      if (holds(i, cell_type::kSpeedBoard)) {
        claim(i);
        rows_.speed_boards.push_back(speed_board_row(i, cell(i), false));
      } else if (open_stop_cell(i) && !(stop_remnant(cell(i)) == StopRemnant{})) {
        put_under(i, Under::kSpeedBoard);
        rows_.speed_boards.push_back(speed_board_row(i, cell(i), true));
      }
    }
    find_text_boards();
  }

  // Text boards take the entries from 80 downwards in row order; a board
  // whose cell a station's stop cell took keeps only its entry.
  void find_text_boards() {
    const auto stations = static_cast<int>(stations_.size());
    int lowest = entry::kFirstBoard + 1;
    std::vector<int32_t> cell_of(entry::kFirstBoard + 1, -1);
    for (int32_t i = 0; i <= last_; ++i) {
      if (!holds(i, cell_type::kTextBoard)) continue;
      const int e = cell(i).*cell_slot::kTextEntry;
      if (e <= stations || e > entry::kFirstBoard || cell_of[static_cast<size_t>(e)] >= 0) {
        throw DecompileError(cell_name(i) + " holds a text board naming entry " +
                             std::to_string(e) + ", which is no board entry of its own");
      }
      claim(i);
      cell_of[static_cast<size_t>(e)] = i;
      lowest = std::min(lowest, e);
    }
    for (int e = stations + 1; e <= entry::kFirstBoard; ++e) {
      if (!table_[static_cast<size_t>(e)].text.empty()) lowest = std::min(lowest, e);
    }
    int32_t next_stop = 0;
    for (int e = entry::kFirstBoard; e >= lowest; --e) {
      int32_t i = cell_of[static_cast<size_t>(e)];
      if (i < 0) {
        while (next_stop <= last_ && !open_stop_cell(next_stop)) ++next_stop;
        if (next_stop > last_) {
          throw DecompileError("entry " + std::to_string(e) +
                               " holds a text board whose cell no station's stop cell covers");
        }
        i = next_stop;
        put_under(i, Under::kTextBoard);
      }
      const std::string& text = table_[static_cast<size_t>(e)].text;
      if (!text_field(text)) {
        throw DecompileError("the text of board entry " + std::to_string(e) +
                             " cannot be written as a text field (it opens with a double quote, "
                             "or needs quotes and holds one)");
      }
      rows_.text_boards.push_back({keyword_of(RowKind::kTextBoard), {object_position(i)}, text});
    }
  }

  // --- code-change and abbattimento points ---

  void find_code_points() {
    std::vector<bool> marked(cells_.size(), false);
    std::vector<Cell> before_pass = cells_;
    for (int32_t i = 0; i <= last_; ++i) {
      if (!holds(i, cell_type::kCodeChange) || cell(i).*cell_slot::kCode != kInsertedCode) continue;
      marked[static_cast<size_t>(i)] = true;
      before_pass[static_cast<size_t>(i)] = Cell{};
    }
    std::vector<bool> row_180(cells_.size(), false);
    for (const int32_t i : code_change_rows(before_pass, marked)) {
      row_180[static_cast<size_t>(i)] = true;
    }
    for (const Row& row : slowdowns_) add_train_row(Section::kSlowdowns, row);
    for (int32_t i = 0; i <= last_; ++i) {
      const auto at = static_cast<size_t>(i);
      const bool pass_marks_it = marked[at] && !row_180[at];
      const bool point = holds(i, cell_type::kCodeChange) || holds(i, cell_type::kAbbattimento);
      if (!point) continue;
      claim(i);
      if (pass_marks_it) continue;
      if (i + 2 > last_) {
        throw DecompileError(cell_name(i) +
                             " holds a code-change or abbattimento point, but such a point may "
                             "stand no later than the third-last cell");
      }
      add_train_row(Section::kCodes, {keyword_of(RowKind::kAbbattimento),
                                      {metres_at(i), code_value(i, row_180)},
                                      std::nullopt});
    }
  }

  // A value above 0 makes a code-change point; its low 16 bits are stored.
  int64_t code_value(int32_t i, const std::vector<bool>& row_180) const {
    if (row_180[static_cast<size_t>(i)]) return kInsertedCode;
    if (cell(i).type_code == cell_type::kAbbattimento) return 0;
    const int16_t code = cell(i).*cell_slot::kCode;
    return code > 0 ? code : code + 65536;
  }

  void check_every_cell_claimed() const {
    for (int32_t i = 0; i <= last_; ++i) {
      const uint8_t type = cell(i).type_code;
      if (claimed_[static_cast<size_t>(i)] || type == cell_type::kEmpty ||
          type == cell_type::kTunnelMarker) {
        continue;
      }
      throw DecompileError(cell_name(i) + " holds type code " + std::to_string(type) +
                           ", which no row of either file places there");
    }
  }

  const ScenarioTable& table_;
  std::vector<Cell> cells_;  // as the compilers left them, before the markers
  const int32_t last_;
  std::vector<bool> claimed_;
  std::vector<Under> under_;
  std::vector<int> stop_owner_;  // station index of a stop cell, 0 elsewhere
  std::vector<Station> stations_;
  std::vector<Row> slowdowns_;  // those that come after the stations
  ObjectRows rows_;
};

}  // namespace

ObjectRows object_rows(const Scenario& compiled) {
  return ObjectRecovery(compiled).run();
}

}  // namespace sc
