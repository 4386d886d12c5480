#include "decompile/line_rows.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "decompile/decompile.h"
#include "format/row_kinds.h"
#include "line/header_values.h"
#include "line/route_profile.h"
#include "line/tunnels.h"
#include "model/cell_fill.h"
#include "model/cell_geometry.h"
#include "model/object_rules.h"
#include "textio/fault.h"

namespace sc {
namespace {

// A row out of order fills the one cell at the cursor.
constexpr int32_t kOutOfOrderPosition = 50;

// --- fills ---

// The last cell the fill writes: the fourth-last, or a later one that holds a
// value.
int32_t last_filled_cell(const std::vector<uint8_t>& bytes) {
  const auto last = static_cast<int32_t>(bytes.size()) - 1;
  auto filled = static_cast<int32_t>(last_tail_cell(last));
  for (int32_t i = last; i > filled; --i) {
    if (bytes[static_cast<size_t>(i)] != 0) return i;
  }
  return filled;
}

// --- tunnels ---

constexpr int32_t kMarkerEvery = kTunnelMarkerEvery;

struct Span {
  int32_t first = 0;
  int32_t last = 0;
  uint8_t type = 0;
  bool markers = false;
};

Row tunnel_row(int64_t inizio, int64_t fine, int64_t tipo) {
  return {keyword_of(RowKind::kTunnel), {inizio, fine, tipo}, std::nullopt};
}

Row tunnel_row(const Span& span) {
  return tunnel_row(tunnel_start(span.first), tunnel_end(span.last),
                    tunnel_tipo(span.type, span.markers));
}

// A row that covers no cell: the next row no longer starts close to the one
// before, so it keeps its own type.
Row tunnel_separator() {
  return tunnel_row(0, -4 * kCellMetres, 0);
}

class TunnelPlan {
 public:
  explicit TunnelPlan(const std::vector<Cell>& cells) : cells_(cells) {}

  std::vector<Row> rows() {
    std::vector<Span> spans = type_runs();
    const std::vector<Span> marker_spans = spans_for_missing_markers(spans);
    add_zero_runs_under(marker_spans, spans);
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.first < b.first; });
    std::vector<Row> rows;
    std::optional<int64_t> previous_end;
    for (const Span& span : marker_spans) {
      rows.push_back(tunnel_row(span));
      previous_end = tunnel_end(span.last);
    }
    for (const Span& span : spans) {
      if (previous_end && close_tunnel(tunnel_start(span.first), *previous_end) &&
          span.type != kCloseTunnelType) {
        rows.push_back(tunnel_separator());
      }
      rows.push_back(tunnel_row(span));
      previous_end = tunnel_end(span.last);
    }
    check(rows);
    return rows;
  }

 private:
  bool wants_marker(int32_t i) const { return cell(i).type_code == cell_type::kTunnelMarker; }
  // A cell that ends up empty never had a marker: nothing turns one back.
  bool forbids_marker(int32_t i) const { return cell(i).type_code == cell_type::kEmpty; }
  const Cell& cell(int32_t i) const { return cells_[static_cast<size_t>(i)]; }
  int32_t last() const { return static_cast<int32_t>(cells_.size()) - 1; }

  // One span per run of equal non-zero types, with markers where its every
  // fourth cell may hold one and at least one does.
  std::vector<Span> type_runs() {
    std::vector<Span> spans;
    for (int32_t i = 0; i <= last(); ++i) {
      const uint8_t type = cell(i).tunnel_type;
      if (type == 0) continue;
      if (!spans.empty() && spans.back().last == i - 1 && spans.back().type == type) {
        spans.back().last = i;
      } else {
        spans.push_back({i, i, type, false});
      }
    }
    for (Span& span : spans) span.markers = markers_fit(span);
    return spans;
  }

  bool markers_fit(const Span& span) const {
    bool any_wanted = false;
    for (int32_t i = span.first + kMarkerEvery - 1; i <= span.last; i += kMarkerEvery) {
      if (forbids_marker(i)) return false;
      any_wanted = any_wanted || wants_marker(i);
    }
    return any_wanted;
  }

  // Markers the type runs do not place come from marker-only spans written
  // first (their types are overwritten): each covers a chain of missing
  // markers four cells apart.
  std::vector<Span> spans_for_missing_markers(const std::vector<Span>& runs) const {
    std::vector<bool> placed(cells_.size(), false);
    for (const Span& run : runs) {
      if (!run.markers) continue;
      for (int32_t i = run.first + kMarkerEvery - 1; i <= run.last; i += kMarkerEvery) {
        placed[static_cast<size_t>(i)] = true;
      }
    }
    std::vector<Span> spans;
    for (int32_t i = 0; i <= last(); ++i) {
      if (!wants_marker(i) || placed[static_cast<size_t>(i)]) continue;
      if (i < kMarkerEvery - 1) {
        throw DecompileError("cell " + std::to_string(i) +
                             " holds a tunnel marker, but a tunnel's first marker stands in its "
                             "fourth cell, cell 3 or later");
      }
      int32_t end = i;
      while (end + kMarkerEvery <= last() && wants_marker(end + kMarkerEvery) &&
             !placed[static_cast<size_t>(end + kMarkerEvery)]) {
        end += kMarkerEvery;
        placed[static_cast<size_t>(end)] = true;
      }
      spans.push_back({i - (kMarkerEvery - 1), end, kCloseTunnelType, true});
    }
    return spans;
  }

  // Cells under a marker-only span that end up outside every tunnel get a
  // span of type 0 after it.
  void add_zero_runs_under(const std::vector<Span>& marker_spans, std::vector<Span>& spans) const {
    std::vector<bool> covered(cells_.size(), false);
    for (const Span& span : marker_spans) {
      for (int32_t i = span.first; i <= span.last; ++i) covered[static_cast<size_t>(i)] = true;
    }
    for (int32_t i = 0; i <= last(); ++i) {
      if (!covered[static_cast<size_t>(i)] || cell(i).tunnel_type != 0) continue;
      if (!spans.empty() && spans.back().type == 0 && spans.back().last == i - 1) {
        spans.back().last = i;
      } else {
        spans.push_back({i, i, 0, false});
      }
    }
  }

  // Runs the rows through the tunnel handler on empty cells and checks what
  // they leave.
  void check(const std::vector<Row>& rows) const {
    Scenario scratch;
    scratch.cells.assign(cells_.size(), Cell{});
    TunnelList tunnels;
    for (const Row& row : rows) {
      const auto inizio = static_cast<int32_t>(row.values[0]);
      if (inizio + 100 > int64_t{kCellMetres} * last()) {
        throw DecompileError("a tunnel starting at " + std::to_string(inizio) +
                             " m would lie beyond the last position a row may have");
      }
      memo_montagna(scratch, tunnels, inizio, static_cast<int32_t>(row.values[1]),
                    static_cast<int32_t>(row.values[2]), {});
    }
    for (int32_t i = 0; i <= last(); ++i) {
      const Cell& got = scratch.cells[static_cast<size_t>(i)];
      const bool marker = got.type_code == cell_type::kTunnelMarker;
      if (got.tunnel_type != cell(i).tunnel_type || (wants_marker(i) && !marker) ||
          (forbids_marker(i) && marker)) {
        throw DecompileError("no tunnel rows give cell " + std::to_string(i) +
                             " its tunnel type and marker");
      }
    }
  }

  const std::vector<Cell>& cells_;
};

// --- curves ---

// The keywords of the twelve arcs: classes 1 to 6 turning right, then left.
std::array<std::string, 12> curve_keywords() {
  std::array<std::string, 12> keywords;
  for (size_t i = 0; i < 6; ++i) {
    const char class_digit = static_cast<char>('1' + i);
    keywords[i] = curve_keyword(CurveKeyword{class_digit, false});
    keywords[i + 6] = curve_keyword(CurveKeyword{class_digit, true});
  }
  return keywords;
}

// Which step made point m: straight (no curvature) or an arc; nullopt when
// none did.
PlanPoint point_at(const Profile& p, int32_t m) {
  return {p.value(m, Profile::kX), p.value(m, Profile::kY)};
}

std::optional<double> step_at(const Profile& p, int32_t m, const std::vector<double>& curvatures) {
  const PlanPoint before = point_at(p, m - 2);
  const PlanPoint last = point_at(p, m - 1);
  const PlanPoint point = point_at(p, m);
  if (same_point(point, straight_step(before, last))) return 0.0;
  for (const double k : curvatures) {
    if (same_point(point, arc_step(before, last, k))) return k;
  }
  return std::nullopt;
}

void check_seed(const Profile& p) {
  if (!seeded(p)) {
    throw DecompileError("the line profile does not start with the points (0, 0) and (0, 1)");
  }
}

// The last point a curve row bends.
int64_t arc_end(const Row& curve) {
  return curve.values[0] + curve.values[1];
}

bool computed(const Profile& p, int32_t m) {
  return p.tag(m, Profile::kX) == Profile::Tag::kDouble &&
         p.tag(m, Profile::kY) == Profile::Tag::kDouble;
}

// --- kilometre references ---

struct Reference {
  int64_t a = 0, b = 0, c = 0;
};

bool same_references(const ScenarioTable& a, const ScenarioTable& b);

// Whether the ordering turns the references as read in `trial` into those of
// `table`.
bool ordered_as(ScenarioTable& trial, const ScenarioTable& table) {
  try {
    progressive_ordina(trial);
  } catch (const Fault&) {
    return false;
  }
  return same_references(trial, table);
}

bool same_references(const ScenarioTable& a, const ScenarioTable& b) {
  for (int i = entry::kReferenceTre; i <= entry::kReferenceUno; ++i) {
    for (const slot::Field<int32_t> field :
         {slot::kReferenceA, slot::kReferenceB, slot::kReferenceC}) {
      if (a[i].*field != b[i].*field) return false;
    }
  }
  return true;
}

}  // namespace

std::vector<Row> fill_rows(std::string_view keyword, const std::vector<uint8_t>& bytes,
                           const std::function<int64_t(uint8_t)>& value_of) {
  const auto last = static_cast<int32_t>(bytes.size()) - 1;
  const int32_t filled = last_filled_cell(bytes);
  const auto value = [&](int32_t i) { return value_of(bytes[static_cast<size_t>(i)]); };
  const auto row = [&](int64_t position, int64_t v) {
    return Row{std::string(keyword), {position, v}, std::nullopt};
  };
  // A row at 0 fills nothing: it only sets the first value.
  std::vector<Row> rows = {row(0, value(0))};
  const auto in_order_end = static_cast<int32_t>(last_tail_cell(last));
  for (int32_t i = 1; i <= in_order_end; ++i) {
    if (bytes[static_cast<size_t>(i)] != bytes[static_cast<size_t>(i) - 1]) {
      rows.push_back(row(int64_t{i} * kCellMetres, value(i)));
    }
  }
  if (filled > in_order_end) {
    // The last position a row may have: the fill reaches the fourth-last cell.
    rows.push_back(row(int64_t{in_order_end + 1} * kCellMetres, value(in_order_end + 1)));
    for (int32_t i = in_order_end + 1; i < filled; ++i) {
      rows.push_back(row(kOutOfOrderPosition, value(i + 1)));
    }
  }
  return rows;
}

std::vector<Row> tunnel_rows(const std::vector<Cell>& cells) {
  return TunnelPlan(cells).rows();
}

std::vector<Row> curve_rows(const Profile& profile, int32_t last_cell) {
  check_seed(profile);
  const std::array<std::string, 12> keywords = curve_keywords();
  std::vector<double> curvatures;
  for (const std::string& keyword : keywords) curvatures.push_back(*curvature_of(keyword));

  const int32_t last = profile.last_point();
  const int64_t last_row_position = int64_t{kCellMetres} * last_cell - kRowMargin;
  std::vector<Row> rows;
  int32_t m = kFirstComputedPoint;
  for (; m <= last && computed(profile, m); ++m) {
    const std::optional<double> k = step_at(profile, m, curvatures);
    if (!k) {
      throw DecompileError("line profile point " + std::to_string(m) +
                           " follows from the two before it by no straight or curve step");
    }
    if (*k == 0.0) continue;
    const auto index = static_cast<size_t>(std::find(curvatures.begin(), curvatures.end(), *k) -
                                           curvatures.begin());
    if (!rows.empty() && rows.back().keyword == keywords[index] && arc_end(rows.back()) == m - 1) {
      ++rows.back().values[1];
    } else {
      // The arc's first point follows the row's start. Near the route's end,
      // where no row may start, an arc that goes on from an earlier arc
      // starts back at the last position a row may have: a row that starts
      // behind the profile cursor bends from the cursor on.
      const int64_t start = std::min<int64_t>(m - 1, last_row_position);
      rows.push_back({keywords[index], {start, m - start}, std::nullopt});
    }
  }
  // Straight track runs on to the third-last point; only an arc goes further.
  const bool arc_at_end = !rows.empty() && arc_end(rows.back()) == m - 1;
  if (m <= last - 2 || (m - 1 > last - 2 && !arc_at_end)) {
    throw DecompileError("the line profile's computed points end at point " +
                         std::to_string(m - 1) + " instead of point " + std::to_string(last - 2));
  }
  for (; m <= last; ++m) {
    if (profile.tag(m, Profile::kX) != Profile::Tag::kEmpty ||
        profile.tag(m, Profile::kY) != Profile::Tag::kEmpty) {
      throw DecompileError("line profile point " + std::to_string(m) +
                           " holds a value after the last computed point");
    }
  }
  return rows;
}

std::vector<Row> reference_rows(const ScenarioTable& table) {
  // Slot of each written row as read: "uno" (83), "due" (82), "tre" (81).
  std::array<int, 3> from = {entry::kReferenceTre, entry::kReferenceDue, entry::kReferenceUno};
  std::sort(from.begin(), from.end());
  do {
    std::array<Reference, 3> written;
    ScenarioTable trial{};
    for (size_t i = 0; i < 3; ++i) {
      const TableEntry& e = table[from[i]];
      // The ordering adds 100 to the second value of a reference flagged 1.
      const int32_t a = e.*slot::kReferenceA;
      const int32_t b = e.*slot::kReferenceB;
      const int32_t c = e.*slot::kReferenceC;
      written[i] = {a, int64_t{b} - (c == 1 ? 100 : 0), c};
      if (written[i].b < INT32_MIN) written[i].b = b;  // no row gives it; the check fails
      TableEntry& as_read = trial[entry::kReferenceUno - static_cast<int>(i)];
      as_read.*slot::kReferenceA = a;
      as_read.*slot::kReferenceB = static_cast<int32_t>(written[i].b);
      as_read.*slot::kReferenceC = c;
    }
    if (!ordered_as(trial, table)) continue;
    const std::array<std::string, 3> names = {keyword_of(RowKind::kReferenceUno),
                                              keyword_of(RowKind::kReferenceDue),
                                              keyword_of(RowKind::kReferenceTre)};
    std::vector<Row> rows;
    for (size_t i = 0; i < 3; ++i) {
      rows.push_back({names[i], {written[i].a, written[i].b, written[i].c}, std::nullopt});
    }
    return rows;
  } while (std::next_permutation(from.begin(), from.end()));
  throw DecompileError(
      "no three kilometre-reference rows are put by the ordering into entries 81 to 83 as they "
      "stand");
}

}  // namespace sc
