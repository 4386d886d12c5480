#include "line/route_profile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

#include "model/cell_geometry.h"
#include "model/object_rules.h"
#include "textio/fault.h"
#include "textio/keywords.h"
#include "textio/narrow.h"

namespace sc {
namespace {

constexpr int kX = Profile::kX;
constexpr int kY = Profile::kY;

// Points 0 and 1, (0, 0) and (0, 1), as integers: the first step runs along y.
struct SeedValue {
  int32_t point;
  int k;
  int16_t value;
};
constexpr std::array<SeedValue, 4> kSeed = {{{0, kX, 0}, {0, kY, 0}, {1, kX, 0}, {1, kY, 1}}};

// The byte keeps the low eight bits of gradient + 100.
void store_gradient(Cell& cell, int32_t gradient, SourceLocation /*gradient_at*/) {
  cell.gradient = gradient_byte(gradient);
}

// Out of line, so that the check below stays a compare in the profile loop.
[[noreturn, gnu::noinline, gnu::cold]] void point_beyond_end(const Profile& profile,
                                                             int32_t point) {
  throw Fault("profile point " + std::to_string(point) + " lies beyond the last point " +
              std::to_string(profile.last_point()));
}

void check_point(const Profile& profile, int32_t point) {
  if (point > profile.last_point()) point_beyond_end(profile, point);
}

PlanPoint point_at(const Profile& profile, int32_t m) {
  return {profile.value(m, kX), profile.value(m, kY)};
}

void set_point(Profile& profile, int32_t m, PlanPoint p) {
  profile.set_double(m, kX, p.x);
  profile.set_double(m, kY, p.y);
}

void straight_step(Profile& profile, int32_t point) {
  check_point(profile, point);
  set_point(profile, point,
            sc::straight_step(point_at(profile, point - 2), point_at(profile, point - 1)));
}

void stop_if_requested_at(const StopFlag& stop, int32_t point) {
  if ((point & (kPointsBetweenStopChecks - 1)) == 0) stop.stop_if_requested();
}

void arc_step(Profile& profile, int32_t point, double curvature) {
  check_point(profile, point);
  set_point(profile, point,
            sc::arc_step(point_at(profile, point - 2), point_at(profile, point - 1), curvature));
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
  for (const SeedValue& v : kSeed) profile.set_integer(v.point, v.k, v.value);
}

bool seeded(const Profile& profile) {
  return std::all_of(kSeed.begin(), kSeed.end(), [&](const SeedValue& v) {
    return profile.tag(v.point, v.k) == Profile::Tag::kInteger &&
           profile.value(v.point, v.k) == v.value;
  });
}

std::optional<CurveKeyword> curve_keyword(std::string_view keyword) {
  unsigned digits = 0;
  bool left = false;
  for (const char c : keyword) {
    if (c >= '1' && c <= '6') digits |= 1u << (c - '1');
    left = left || to_lower_1252(c) == 's';
  }
  if (digits == 0) return std::nullopt;
  return CurveKeyword{static_cast<char>('1' + std::countr_zero(digits)), left};
}

std::optional<double> curvature_of(std::string_view keyword) {
  static constexpr std::array<double, 6> kByClass = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  const std::optional<CurveKeyword> named = curve_keyword(keyword);
  if (!named) return std::nullopt;
  const double curvature = kByClass[static_cast<size_t>(named->class_digit - '1')];
  return named->left ? -curvature : curvature;
}

bool bend_profile(Profile& profile, int32_t& cursor, int32_t start, int32_t length,
                  SourceLocation length_at, double curvature, const StopFlag& stop) {
  while (cursor <= start) {
    stop_if_requested_at(stop, cursor);
    straight_step(profile, cursor);
    if (++cursor > kCurvePointLimit) return false;
  }
  const int32_t arc_end =
      std::min(checked_add(start, length, "the curve's end", length_at), profile.last_point());
  while (cursor <= arc_end) {
    stop_if_requested_at(stop, cursor);
    arc_step(profile, cursor, curvature);
    if (++cursor > kCurvePointLimit) return false;
  }
  return true;
}

void profile_tail(Profile& profile, int32_t& cursor, const StopFlag& stop) {
  while (cursor <= profile.last_point() - 2) {
    stop_if_requested_at(stop, cursor);
    straight_step(profile, cursor);
    ++cursor;
  }
}

}  // namespace sc
