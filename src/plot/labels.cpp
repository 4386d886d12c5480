#include "plot/labels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sc {
namespace {

constexpr double kColumnWidth = 40;
constexpr double kLabelGap = 3;  // kept between labels stacked by beyond_all

long column(double x) {
  return static_cast<long>(std::floor(x / kColumnWidth));
}

// The distance from a point to the nearest point of a box.
double distance_to(Point p, const Box& b) {
  const double dx = std::max({b.left - p.x, 0.0, p.x - b.right()});
  const double dy = std::max({b.top - p.y, 0.0, p.y - b.bottom()});
  return std::hypot(dx, dy);
}

}  // namespace

bool overlap(const Box& a, const Box& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

bool inside(const Box& inner, const Box& outer) {
  return inner.left >= outer.left && inner.right() <= outer.right() && inner.top >= outer.top &&
         inner.bottom() <= outer.bottom();
}

Box box_around(Point centre, double width, double height) {
  return {centre.x - width / 2, centre.y - height / 2, width, height};
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

// Places for a number just past a post across the track: on the side
// against `normal` (below where the track runs left to right), then on the
// other side, then a little further out on each; after these, the same
// places slid along the track just clear of the post, for a post at the
// edge of the frame.
std::vector<Candidate> places_beside_post(Point post, Point normal, Box size) {
  const Point tangent{-normal.y, normal.x};
  const double clear = std::abs(tangent.x) * size.width / 2 + std::abs(tangent.y) * size.height / 2;
  std::vector<Candidate> places;
  for (double slide : {0.0, clear + 1, -clear - 1}) {
    for (double further : {0.0, 6.0}) {
      for (double side : {-1.0, 1.0}) {
        const Point u = normal * side;
        const double half = std::abs(u.x) * size.width / 2 + std::abs(u.y) * size.height / 2;
        const Point centre = post + u * (7 + further + half) + tangent * slide;
        places.push_back(
            {box_around(centre, size.width, size.height), static_cast<double>(places.size())});
      }
    }
  }
  return places;
}

// Places for a label of the given size that leave `anchor` free: in rows
// above and below it, slid left and right, and beside it. Each costs its
// distance from the anchor, a little more on the side not preferred or
// slid further.
std::vector<Candidate> places_around(Point anchor, Box size, bool above_first) {
  constexpr double kGap = 7;  // kept clear around the anchor
  constexpr int kRows = 10;
  const double w = size.width;
  const double h = size.height;
  std::vector<Candidate> places;
  const auto add = [&](Point centre, bool preferred_side, double slid) {
    const Box box = box_around(centre, w, h);
    places.push_back({box, distance_to(anchor, box) + (preferred_side ? 0 : 4) + 0.05 * slid});
  };
  for (int row = 0; row < kRows; ++row) {
    const double dy = kGap + h / 2 + row * (h + 2);
    for (double slide : {0.0, -0.25, 0.25, -0.5, 0.5, -0.75, 0.75}) {
      add({anchor.x + slide * w, anchor.y - dy}, above_first, std::abs(slide * w));
      add({anchor.x + slide * w, anchor.y + dy}, !above_first, std::abs(slide * w));
    }
  }
  for (double side : {-1.0, 1.0}) {
    for (double dy : {0.0, -h / 2, h / 2}) {
      add({anchor.x + side * (kGap + w / 2), anchor.y + dy}, true, 0);
    }
  }
  return places;
}

}  // namespace sc
