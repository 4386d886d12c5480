#include "line/route_profile.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "model/cell_geometry.h"
#include "model/object_rules.h"
#include "textio/fault.h"
#include "textio/keywords.h"
#include "textio/narrow.h"

namespace sc {
namespace {

// The byte keeps the low eight bits of gradient + 100.
void store_gradient(Cell& cell, int32_t gradient, SourceLocation /*gradient_at*/) {
  cell.gradient = gradient_byte(gradient);
}

// Out of line: a cold path.
[[noreturn, gnu::noinline, gnu::cold]] void point_beyond_end(const Profile& profile,
                                                             int32_t point) {
  throw Fault("profile point " + std::to_string(point) + " lies beyond the last point " +
              std::to_string(profile.last_point()));
}

// The steps from the cursor through point `through`, as one run: each step
// is first checked against the last point, then computed, and then the
// cursor, one further on, checked against `limit`. Returns false at the
// first step that takes the cursor past `limit`.
bool lay_run(Profile& profile, int32_t& cursor, int32_t through, int32_t limit, bool arc,
             double curvature) {
  if (cursor > through) return true;
  // The last point computed: `through`, or the last point of the profile, or
  // the point after which the cursor passes the limit (at least one step is
  // taken, so at the latest the cursor's own).
  const int32_t last = std::min({through, profile.last_point(), std::max(cursor, limit)});
  if (last >= cursor) {
    profile.add_run({.last = last, .arc = arc, .curvature = curvature});
    cursor = last + 1;
    if (cursor > limit) return false;
  }
  if (cursor <= through) point_beyond_end(profile, cursor);
  return true;
}

}  // namespace

void fill_gradient(Scenario& model, CellFill& gradients, int32_t position,
                   SourceLocation position_at, int32_t gradient) {
  fill_up_to(model, gradients, cell_index(position), position_at, PastLastCell::kFault,
             store_gradient);
  gradients.previous = gradient;
}

void gradient_tail(Scenario& model, CellFill& gradients) {
  fill_tail(model, gradients, store_gradient);
}

void seed_profile(Profile& profile) {
  profile.seed();
}

bool seeded(const Profile& profile) {
  const auto holds = [&profile](int32_t m, int k, int16_t seed) {
    return profile.tag(m, k) == Profile::Tag::kInteger && profile.value(m, k) == seed;
  };
  for (int32_t m = 0; m < 2; ++m) {
    if (!holds(m, Profile::kX, Profile::kSeedX[m]) || !holds(m, Profile::kY, Profile::kSeedY[m]))
      return false;
  }
  return true;
}

std::optional<double> curvature_of(std::string_view keyword) {
  const std::optional<CurveKeyword> named = curve_keyword(keyword);
  if (!named) return std::nullopt;
  const double curvature = class_curvature(named->class_digit);
  return named->left ? -curvature : curvature;
}

bool bend_profile(Profile& profile, int32_t& cursor, int32_t start, int32_t length,
                  SourceLocation length_at, double curvature, const StopFlag& stop) {
  stop.stop_if_requested();
  if (!lay_run(profile, cursor, start, kCurvePointLimit, false, 0)) return false;
  const int32_t arc_end =
      std::min(checked_add(start, length, "the curve's end", length_at), profile.last_point());
  return lay_run(profile, cursor, arc_end, kCurvePointLimit, true, curvature);
}

void profile_tail(Profile& profile, int32_t& cursor, const StopFlag& stop) {
  stop.stop_if_requested();
  // The tail never stops at the curves' limit.
  lay_run(profile, cursor, profile.last_point() - 2, std::numeric_limits<int32_t>::max(), false, 0);
}

}  // namespace sc
