#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "format/row_kinds.h"
#include "model/cell_fill.h"
#include "model/model.h"
#include "textio/fault.h"
#include "textio/stop_flag.h"

namespace sc {

// A gradient row at `position` with gradient `gradient`: the previous row's
// gradient fills the cells up to this row's cell.
void fill_gradient(Scenario& model, CellFill& gradients, int32_t position,
                   SourceLocation position_at, int32_t gradient);
// After the last row: the last gradient runs on to three cells before the end.
void gradient_tail(Scenario& model, CellFill& gradients);

// The plan view: points 0 and 1 are seeded, every further point continues
// the last step, bent by the curvature where a curve lies.
constexpr int32_t kFirstComputedPoint = 2;
// A curve may not take the profile cursor beyond this point.
constexpr int32_t kCurvePointLimit = kLongestRoute;

void seed_profile(Profile& profile);
// Whether points 0 and 1 hold what seed_profile writes.
bool seeded(const Profile& profile);

// Curvature per metre named by a curve keyword, negative to the left; nullopt
// when no class is named.
std::optional<double> curvature_of(std::string_view keyword);

// A curve from `start` over `length` metres. Straight track runs up to the
// start, then the arc bends each step by `curvature`; the arc is cut at the
// last profile point. Returns false when the cursor passes kCurvePointLimit;
// throws Fault at `length_at` when start + length does not fit 32 bits.
// Both look at `stop` once a call: they lay their points as runs, which
// costs nothing per point.
bool bend_profile(Profile& profile, int32_t& cursor, int32_t start, int32_t length,
                  SourceLocation length_at, double curvature, const StopFlag& stop = {});

// After the last row: straight track up to two points before the end.
void profile_tail(Profile& profile, int32_t& cursor, const StopFlag& stop = {});

}  // namespace sc
