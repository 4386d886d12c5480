#include "model/model.h"

#include <algorithm>
#include <stdexcept>

#include "model/object_rules.h"
#include "textio/fault.h"

namespace sc {

Profile::Points::Points(int32_t last_point)
    : values(2 * (static_cast<size_t>(last_point) + 1)),
      tags(2 * (static_cast<size_t>(last_point) + 1)) {}

Profile::Profile(int32_t last_point) : last_point_(last_point) {}

void Profile::set_integer(int32_t m, int k, int16_t v) {
  if (!points_) build_points();
  runs_.reset();
  points_->values[index(m, k)] = v;
  points_->tags[index(m, k)] = Tag::kInteger;
}

void Profile::set_double(int32_t m, int k, double v) {
  if (!points_) build_points();
  runs_.reset();
  points_->values[index(m, k)] = v;
  points_->tags[index(m, k)] = Tag::kDouble;
}

void Profile::seed() {
  if (!runs_) throw std::logic_error("a profile set point by point cannot be seeded as runs");
  runs_->seeded = true;
  forget_points();
}

void Profile::add_run(const ProfileRun& run) {
  if (!runs_) throw std::logic_error("a profile set point by point takes no runs");
  if (run.last < end_of_runs()) throw std::logic_error("a profile run must compute a point");
  std::vector<ProfileRun>& runs = runs_->runs;
  // Straight track stays one run, however many rows lay it.
  if (!run.arc && !runs.empty() && !runs.back().arc) {
    runs.back().last = run.last;
  } else {
    runs.push_back(run);
  }
  forget_points();
}

void Profile::forget_points() {
  points_.reset();
  points_built_ = {};
}

void Profile::build_points() const {
  Points& points = points_.emplace(last_point_);
  if (!runs_) return;
  if (runs_->seeded) {
    for (int32_t m = 0; m < 2; ++m) {
      points.values[index(m, kX)] = kSeedX[m];
      points.values[index(m, kY)] = kSeedY[m];
      points.tags[index(m, kX)] = points.tags[index(m, kY)] = Tag::kInteger;
    }
  }
  for (ProfileBlocks blocks(*this); blocks.next();) {
    for (int32_t i = 0; i < blocks.count(); ++i) {
      const int32_t m = blocks.first() + i;
      points.values[index(m, kX)] = blocks.x()[i];
      points.values[index(m, kY)] = blocks.y()[i];
      points.tags[index(m, kX)] = points.tags[index(m, kY)] = Tag::kDouble;
    }
  }
}

ProfileBlocks::ProfileBlocks(const Profile& profile) : runs_(profile.runs()) {
  // Points 0 and 1 as a computed point reads them: empty ones read as 0.
  const bool seeded = profile.seeded();
  before_x_ = seeded ? Profile::kSeedX[0] : 0;
  before_y_ = seeded ? Profile::kSeedY[0] : 0;
  last_x_ = seeded ? Profile::kSeedX[1] : 0;
  last_y_ = seeded ? Profile::kSeedY[1] : 0;
}

namespace {

// Computes `count` points into x and y from the two points before them,
// which are left as the last two computed.
template <typename Step>
void lay_points(int32_t count, double* x, double* y, PlanPoint& before, PlanPoint& last,
                Step step) {
  PlanPoint b = before;
  PlanPoint l = last;
  for (int32_t i = 0; i < count; ++i) {
    const PlanPoint next = step(b, l);
    b = l;
    l = next;
    x[i] = next.x;
    y[i] = next.y;
  }
  before = b;
  last = l;
}

}  // namespace

bool ProfileBlocks::next() {
  first_ = point_;
  count_ = 0;
  PlanPoint before{before_x_, before_y_};
  PlanPoint last{last_x_, last_y_};
  while (count_ < kBlockPoints && run_ < runs_.size()) {
    const ProfileRun& run = runs_[run_];
    const int32_t count = std::min(run.last + 1 - point_, kBlockPoints - count_);
    double* x = x_ + count_;
    double* y = y_ + count_;
    if (run.arc) {
      const double curvature = run.curvature;
      lay_points(count, x, y, before, last,
                 [curvature](PlanPoint b, PlanPoint l) { return arc_step(b, l, curvature); });
    } else {
      lay_points(count, x, y, before, last,
                 [](PlanPoint b, PlanPoint l) { return straight_step(b, l); });
    }
    count_ += count;
    point_ += count;
    if (point_ > run.last) ++run_;
  }
  before_x_ = before.x;
  before_y_ = before.y;
  last_x_ = last.x;
  last_y_ = last.y;
  return count_ > 0;
}

Cell& cell_at(Scenario& scenario, int64_t index, SourceLocation where) {
  if (!scenario.has_cells()) {
    throw Fault("a row needs the cells of the route, but the header gave no route length", where);
  }
  if (index < 0 || index > scenario.last_cell()) {
    throw Fault("cell " + std::to_string(index) + " lies outside the route's cells 0 to " +
                    std::to_string(scenario.last_cell()),
                where);
  }
  Cell& cell = scenario.cells[static_cast<size_t>(index)];
  if (scenario.access_listener) scenario.access_listener->cell_reached(index, cell);
  return cell;
}

TableEntry& entry_at(Scenario& scenario, int64_t index, SourceLocation where) {
  if (index < 0 || index >= kTableEntries) {
    throw Fault("table entry " + std::to_string(index) + " lies outside entries 0 to 86", where);
  }
  if (scenario.access_listener) scenario.access_listener->entry_reached(index);
  return scenario.table[static_cast<size_t>(index)];
}

}  // namespace sc
