#include "crowded_route.h"

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_kinds.h"
#include "format/row_writer.h"

namespace sc {
namespace {

// Raw generator output only, so the same seed gives the same texts with any
// standard library.
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  int32_t between(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(engine_() % static_cast<uint32_t>(high - low + 1));
  }
  bool percent(int32_t chance) { return between(1, 100) <= chance; }
  template <typename T>
  const T& pick(const std::vector<T>& values) {
    return values[static_cast<size_t>(between(0, static_cast<int32_t>(values.size()) - 1))];
  }
  template <typename T>
  void shuffle(std::vector<T>& values) {
    for (size_t i = values.size(); i > 1; --i) {
      std::swap(values[i - 1],
                values[static_cast<size_t>(between(0, static_cast<int32_t>(i) - 1))]);
    }
  }

 private:
  std::mt19937 engine_;
};

// Texts that need quotes, or hold a quote, or nothing at all.
const std::vector<std::string> kTexts = {"",          "Bivio Nord", "Km 12, lato mare",
                                         "  rientro", "uscita  ",   "Galleria \"Colle\"",
                                         "PL 3",      "deviata, 30"};

// One row, as the row writer writes it.
struct Line {
  std::string row;
  Line(std::string_view keyword, const std::vector<int64_t>& values,
       const std::string* text = nullptr) {
    TextRows rows;
    rows.row(Row{std::string(keyword), values, text ? std::optional(*text) : std::nullopt});
    row = rows.take();
  }
};

// The route's cells as the objects take them; a cell is taken once.
class Cells {
 public:
  explicit Cells(int32_t last) : taken_(static_cast<size_t>(last) + 1, false), last_(last) {}
  int32_t last() const { return last_; }
  // Cells 0 to 2 and the last three stay free: cell 1 carries the format
  // marker, and no row may stand as far as the last cells.
  bool free(int32_t i) const { return i >= 3 && i <= last_ - 3 && !taken_[static_cast<size_t>(i)]; }
  bool all_free(std::initializer_list<int32_t> cells) const {
    return std::all_of(cells.begin(), cells.end(), [this](int32_t i) { return free(i); });
  }
  void take(int32_t i) { taken_[static_cast<size_t>(i)] = true; }

 private:
  std::vector<bool> taken_;
  int32_t last_;
};

class Generator {
 public:
  explicit Generator(uint32_t seed)
      : random_(seed),
        length_(random_.between(60, 400) * kCellMetres),
        cells_((length_ + kRunOut) / kCellMetres) {}

  RouteTexts texts() {
    plan_stations();
    plan_slowdowns();
    plan_objects_under_stops();
    plan_signals();
    plan_boards();
    plan_points();
    return {line_text(), train_text()};
  }

 private:
  int32_t cell_of_position(int32_t cell) const { return (cell - 1) * kCellMetres; }  // +1 rule
  int32_t random_cell() {
    return random_.between(3, std::min(cells_.last() - 3, length_ / kCellMetres + 2));
  }

  void plan_stations() {
    const std::vector<int32_t> types = {5, 6, 7, 8, 12, 22, 27, 28};
    int32_t previous_end = -1000;
    const int32_t count = random_.between(1, 5);
    for (int32_t k = 0; k < count; ++k) {
      const int32_t type = random_.pick(types);
      const int32_t len = random_.between(1, 6) * 100;
      const int32_t byte3 = random_.between(0, 1);
      const int32_t p =
          (std::max(previous_end + 350 + len, 200) / kCellMetres + random_.between(0, 40)) *
          kCellMetres;
      if (p > length_) break;
      int32_t first = p - len / 2;
      int32_t end = p + len / 2 + (byte3 != 0 ? 50 : 0);
      if (type == 5 || type == 6) first = p - len, end = p + 150;
      if (type == 7 || type == 8) first = p - len, end = p + len;
      if (first - 350 < previous_end) break;
      previous_end = end;
      const int32_t seconds = 6 * 3600 + k * 437;
      const std::string& name = random_.pick(kTexts);
      stations_.emplace_back(
          keyword_of(RowKind::kStation),
          std::vector<int64_t>{p, type, len, random_.between(0, 1), random_.between(0, 3), byte3,
                               random_.between(-3, 40), random_.between(0, 9),
                               random_.between(0, 255), 4, 1, 1, random_.between(0, 30),
                               seconds / 3600, seconds / 60 % 60, seconds % 60},
          &name);
      if (type < 25) stops_.push_back(end / kCellMetres - 1);
    }
  }

  bool is_stop(int32_t i) const {
    return std::find(stops_.begin(), stops_.end(), i) != stops_.end();
  }

  // Slowdowns, some starting within 1500 m (no warning), some with a
  // code-change point of value 180 where the post-pass would put a mark.
  // A countdown of a start in an even cell may come from 25 m before the
  // cell's position, which puts it a cell further back.
  void plan_slowdowns() {
    const int32_t count = random_.between(0, 4);
    for (int32_t k = 0; k < count; ++k) {
      const bool near_start = random_.percent(30);
      const int32_t s = near_start ? random_.between(3, 31) : random_cell();
      const int32_t e = s + random_.between(0, 30);
      const bool warned = cell_of_position(s) > 1500;
      const bool countdown = warned && random_.percent(60);
      const bool off_grid = countdown && s % 2 == 0 && random_.percent(40);
      const int32_t x = cell_of_position(s) - (off_grid ? kCellMetres / 2 : 0);
      const int32_t w = s - 24;
      const int32_t top = off_grid ? w - 2 : w - 1;  // the countdown cell numbered 1
      if (!cells_.all_free({s, e}) || is_stop(s) || is_stop(e)) continue;
      if (warned && (!cells_.free(w) || is_stop(w))) continue;
      if (countdown && !cells_.all_free({top, top - 1, top - 2, top - 3})) continue;
      for (const int32_t c : {s, e}) cells_.take(c);
      if (warned) cells_.take(w);
      if (countdown) {
        for (int32_t j = 0; j < 4; ++j) cells_.take(top - j);
      }
      const int32_t speed = random_.pick(std::vector<int32_t>{60, 100, 109, 110, 120});
      slowdowns_.emplace_back(
          keyword_of(RowKind::kSlowdown),
          std::vector<int64_t>{x, speed, cell_of_position(e) - x, random_.between(0, 3),
                               countdown ? 1 : 0, random_.between(0, 2)});
      // A code-change point of 180 in a cell the post-pass looks at.
      const int32_t beside =
          random_.pick(std::vector<int32_t>{s - 5, s - 6, s - 11, s - 18, s + 8, s + 7, s + 9});
      if (random_.percent(60) && cells_.free(beside) && !is_stop(beside)) {
        cells_.take(beside);
        points_.emplace_back(keyword_of(RowKind::kAbbattimento),
                             std::vector<int64_t>{beside * kCellMetres, 180});
      }
    }
  }

  Line signal(int32_t cell, int32_t sx) {
    const std::vector<int32_t> tempos = {0, 30, 101, 300};
    return Line(
        keyword_of(RowKind::kSignal),
        {cell_of_position(cell), sx, random_.between(-2, 9), random_.between(0, 9),
         random_.between(0, 9), random_.between(0, 3), random_.between(0, 2), random_.between(0, 9),
         random_.between(0, 9), random_.between(0, 9), random_.pick(tempos)});
  }

  Line speed_board(int32_t cell) {
    return Line(keyword_of(RowKind::kSpeedBoard),
                {cell_of_position(cell), random_.between(30, 150), random_.between(30, 150),
                 random_.between(30, 150), random_.between(0, 1), random_.between(0, 20), 0,
                 random_.between(0, 20), random_.between(0, 1)});
  }

  // A slowdown whose warning cell a stop cell later takes.
  bool slowdown_warned_at(int32_t w) {
    const int32_t s = w + 24;
    if (!cells_.free(s) || is_stop(s)) return false;
    cells_.take(s);
    early_slowdowns_.emplace_back(keyword_of(RowKind::kSlowdown),
                                  std::vector<int64_t>{cell_of_position(s), 120, 0, 1, 0, 2});
    return true;
  }

  // A slowdown whose start a stop cell later takes, ending before its start
  // (the post-pass sees no start, so even a slow one records no error).
  bool slowdown_started_at(int32_t s) {
    const int32_t e = s - random_.between(1, 20);
    const int32_t x = cell_of_position(s);
    const bool warned = x > 1500;
    const bool countdown = warned && random_.percent(60);
    const int32_t w = s - 24;
    if (!cells_.free(e) || is_stop(e)) return false;
    if (warned && (!cells_.free(w) || is_stop(w) || w == e)) return false;
    if (countdown && !cells_.all_free({w - 1, w - 2, w - 3, w - 4})) return false;
    if (countdown && e >= w - 4 && e <= w - 1) return false;
    cells_.take(e);
    if (warned) cells_.take(w);
    if (countdown) {
      for (int32_t j = 1; j <= 4; ++j) cells_.take(w - j);
    }
    early_slowdowns_.emplace_back(
        keyword_of(RowKind::kSlowdown),
        std::vector<int64_t>{x, random_.pick(std::vector<int32_t>{60, 120}),
                             cell_of_position(e) - x, random_.between(0, 3), countdown ? 1 : 0,
                             random_.between(0, 2)});
    return true;
  }

  // A signal, a speed board, a text board, a slowdown warning or a slowdown
  // start in a cell a stop cell later takes.
  void plan_objects_under_stops() {
    for (const int32_t stop : stops_) {
      if (!cells_.free(stop)) continue;
      switch (random_.between(0, 5)) {
        case 5:
          if (!slowdown_started_at(stop)) continue;
          break;
        case 4:
          if (!slowdown_warned_at(stop)) continue;
          break;
        case 1:
          early_signals_.push_back(signal(stop, random_.between(0, 3)));
          break;
        case 2:
          speed_boards_.push_back(speed_board(stop));
          break;
        case 3:
          text_boards_.emplace_back(keyword_of(RowKind::kTextBoard),
                                    std::vector<int64_t>{cell_of_position(stop)},
                                    &random_.pick(kTexts));
          break;
        default:
          continue;
      }
      cells_.take(stop);
    }
  }

  void plan_signals() {
    const int32_t count = random_.between(2, 10);
    for (int32_t k = 0; k < count; ++k) {
      const int32_t i = random_cell();
      if (!cells_.free(i) || is_stop(i)) continue;
      cells_.take(i);
      signals_.push_back(signal(i, random_.between(0, 3)));
    }
  }

  void plan_boards() {
    for (int32_t k = random_.between(0, 5); k > 0; --k) {
      const int32_t i = random_cell();
      if (!cells_.free(i) || is_stop(i)) continue;
      cells_.take(i);
      if (random_.percent(50)) {
        speed_boards_.push_back(speed_board(i));
      } else {
        text_boards_.emplace_back(keyword_of(RowKind::kTextBoard),
                                  std::vector<int64_t>{cell_of_position(i)}, &random_.pick(kTexts));
      }
    }
  }

  void plan_points() {
    const std::vector<int32_t> values = {0, 180, 50, 300, -5};
    for (int32_t k = random_.between(0, 5); k > 0; --k) {
      const int32_t i = random_cell();
      if (!cells_.free(i) || is_stop(i)) continue;
      cells_.take(i);
      points_.emplace_back(keyword_of(RowKind::kAbbattimento),
                           std::vector<int64_t>{i * kCellMetres, random_.pick(values)});
    }
  }

  // Rows at random positions, in random order.
  std::vector<Line> scattered(std::string_view keyword, int32_t most, int32_t low, int32_t high) {
    std::vector<Line> rows;
    for (int32_t k = random_.between(0, most); k > 0; --k) {
      const int32_t p = random_.between(0, length_ / 25) * 25;
      rows.emplace_back(keyword, std::vector<int64_t>{p, random_.between(low, high)});
    }
    std::sort(rows.begin(), rows.end(), [](const Line& a, const Line& b) {
      return std::stoi(a.row.substr(a.row.find(',') + 1)) <
             std::stoi(b.row.substr(b.row.find(',') + 1));
    });
    if (random_.percent(50) && rows.size() > 2) random_.shuffle(rows);
    return rows;
  }

  std::vector<Line> curves() {
    std::vector<Line> rows;
    int32_t start = 0;
    for (int32_t k = random_.between(0, 8); k > 0; --k) {
      start = random_.percent(20) ? random_.between(0, start) : start + random_.between(0, 800);
      if (start > length_) break;
      const auto class_digit = static_cast<char>('0' + random_.between(1, 6));
      const bool left = !random_.percent(50);
      const std::string keyword = curve_keyword(CurveKeyword{class_digit, left});
      const int32_t len = random_.between(0, 300);
      rows.emplace_back(keyword, std::vector<int64_t>{start, len});
      start += len;
    }
    // An arc that runs almost to the last point, and one that an earlier row
    // starts and that bends the last points, where no row may start.
    if (random_.percent(25)) {
      const int32_t last_point = length_ + kRunOut;
      const int32_t from = random_.between(0, length_);
      rows.emplace_back(curve_keyword(CurveKeyword{'1', false}),
                        std::vector<int64_t>{from, last_point - random_.between(1, 99) - from});
      rows.emplace_back(curve_keyword(CurveKeyword{'2', true}),
                        std::vector<int64_t>{random_.between(0, from), last_point});
    }
    return rows;
  }

  std::vector<Line> tunnels() {
    std::vector<Line> rows;
    for (int32_t k = random_.between(0, 8); k > 0; --k) {
      const int32_t inizio = random_.between(0, length_ / 25) * 25;
      rows.emplace_back(keyword_of(RowKind::kTunnel),
                        std::vector<int64_t>{inizio, inizio + random_.between(1, 40) * kCellMetres,
                                             random_.between(0, 20)});
    }
    return rows;
  }

  static void add(std::string& text, const std::vector<Line>& rows) {
    for (const Line& line : rows) text += line.row;
  }
  static void add(std::string& text, Section section) {
    text += section_name(section);
    text += "\r\n";
  }

  std::string line_text() {
    std::string text = std::string(kGeneralSection) + "\r\n" + keyword_of(RowKind::kRouteLength) +
                       ", " + std::to_string(length_) + "\r\n";
    for (const RowKind slot :
         {RowKind::kReferenceUno, RowKind::kReferenceDue, RowKind::kReferenceTre}) {
      text += keyword_of(slot) + ", " + std::to_string(random_.between(0, 3) * 1000) + ", " +
              std::to_string(random_.between(0, 40) * 50) + ", " +
              std::to_string(random_.between(0, 1)) + "\r\n";
    }
    for (const RowKind background :
         {RowKind::kBackgroundUno, RowKind::kBackgroundDue, RowKind::kBackgroundTre}) {
      text += keyword_of(background) + ", " + std::to_string(random_.between(0, 3)) + "\r\n";
    }
    text += repetition_keyword(random_.percent(50) ? 4 : 9) + ", " +
            std::to_string(random_.between(0, 20) * 50) + ", " +
            std::to_string(random_.between(0, 2) * 50) + "\r\n";
    add(text, Section::kGradients);
    add(text, scattered(keyword_of(RowKind::kGradient), 30, -100, 155));
    add(text, Section::kCurves);
    add(text, curves());
    add(text, Section::kTunnels);
    add(text, tunnels());
    add(text, Section::kSpeedBoards);
    add(text, speed_boards_);
    add(text, Section::kTextBoards);
    add(text, text_boards_);
    add(text, Section::kEnd);
    return text;
  }

  std::string train_text() {
    std::string text =
        std::string(kGeneralSection) + "\r\n" + keyword_of(RowKind::kCars) + ", " +
        std::to_string(random_.between(1, 12)) + "\r\n" + keyword_of(RowKind::kBrakedMass) + ", " +
        std::to_string(random_.between(50, 150)) + "\r\n" + keyword_of(RowKind::kSand) + ", " +
        std::to_string(random_.between(0, 100)) + "\r\n" + keyword_of(RowKind::kClock) + ", " +
        std::to_string(random_.between(0, 23)) + ", " + std::to_string(random_.between(0, 59)) +
        ", 0\r\n";
    add(text, Section::kAdhesions);
    add(text, scattered(keyword_of(RowKind::kAdhesion), 20, 0, 300));
    add(text, Section::kSpeedLimits);
    add(text, scattered(keyword_of(RowKind::kSpeedLimit), 20, 0, 250));
    add(text, Section::kSignals);
    add(text, early_signals_);
    add(text, Section::kSlowdowns);
    add(text, early_slowdowns_);
    random_.shuffle(slowdowns_);
    add(text, Section::kStations);
    add(text, stations_);
    add(text, Section::kSlowdowns);
    add(text, slowdowns_);
    random_.shuffle(signals_);
    add(text, Section::kSignals);
    add(text, signals_);
    add(text, Section::kCodes);
    add(text, points_);
    add(text, Section::kEnd);
    return text;
  }

  Random random_;
  const int32_t length_;
  Cells cells_;
  std::vector<int32_t> stops_;
  std::vector<Line> stations_, slowdowns_, early_slowdowns_, early_signals_, signals_,
      speed_boards_, text_boards_, points_;
};

}  // namespace

RouteTexts crowded_route(uint32_t seed) {
  return Generator(seed).texts();
}

}  // namespace sc
