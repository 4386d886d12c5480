#include "plot/labels.h"

#include <algorithm>
#include <cmath>

namespace sc {
namespace {

constexpr double kColumnWidth = 40;
constexpr double kLabelGap = 3;  // kept between labels stacked by beyond_all

long column(double x) {
  return static_cast<long>(std::floor(x / kColumnWidth));
}

}  // namespace

bool overlap(const Box& a, const Box& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

bool inside(const Box& inner, const Box& outer) {
  return inner.left >= outer.left && inner.right() <= outer.right() && inner.top >= outer.top &&
         inner.bottom() <= outer.bottom();
}

Box united(const Box& a, const Box& b) {
  const double left = std::min(a.left, b.left);
  const double top = std::min(a.top, b.top);
  return {left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top};
}

void BoxIndex::add(const Box& box) {
  for (long c = column(box.left); c <= column(box.right()); ++c) columns_[c].push_back(box);
}

bool BoxIndex::hits(const Box& box) const {
  for (long c = column(box.left); c <= column(box.right()); ++c) {
    const auto found = columns_.find(c);
    if (found == columns_.end()) continue;
    for (const Box& other : found->second) {
      if (overlap(box, other)) return true;
    }
  }
  return false;
}

std::optional<Box> LabelPlacer::place(std::span<const Candidate> candidates, double covering_cost) {
  std::optional<Box> chosen;
  double least = 0;
  for (const Candidate& c : candidates) {
    if (chosen && c.cost >= least) continue;
    if (!within_bounds(c.box) || labels_.hits(c.box)) continue;
    const double cost = c.cost + (obstacles_.hits(c.box) ? covering_cost : 0);
    if (!chosen || cost < least) {
      chosen = c.box;
      least = cost;
    }
  }
  if (chosen) {
    labels_.add(*chosen);
    extent_ = extent_ ? united(*extent_, *chosen) : *chosen;
  }
  return chosen;
}

Box LabelPlacer::beyond_all(double left, double width, double height, bool above) const {
  const double x = std::clamp(left, left_, std::max(left_, right_ - width));
  if (!extent_) return {x, above ? -height : 0, width, height};
  const double top = above ? extent_->top - kLabelGap - height : extent_->bottom() + kLabelGap;
  return {x, top, width, height};
}

}  // namespace sc
