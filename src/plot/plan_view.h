#pragma once

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "plot/svg.h"

namespace sc {

// The plan view of one strip: the track turned so that the strip runs from
// left to right, at the distance axis's scale unless its bends need less.
// Its points are on the page once `place` has set where the track's middle
// runs; before that, around a middle at 0.
class PlanView {
 public:
  // The track of metres `first` to `last` (as far as the profile has points)
  // in a space from `left`, `width` wide and at most `track_height` high.
  PlanView(const Profile& profile, int32_t first, int32_t last, double axis_scale, double left,
           double width, double track_height);

  bool drawable() const { return last_ > first_; }
  void place(double middle_y) { middle_y_ = middle_y; }
  // The point of metre m, clamped to the strip's drawn metres.
  Point at(int32_t m) const;
  // The unit vector square to the track at metre m, to the left of the
  // direction of travel (up where the track runs left to right).
  Point normal_at(int32_t m) const;
  // Points of the track from `from` to `to`, about `pixels` apart.
  std::vector<Point> track(int32_t from, int32_t to, double pixels = 0.5) const;
  bool covers(int32_t m) const { return m >= first_ && m <= last_; }

 private:
  // The last metre with both coordinates, at most `last`.
  static int32_t last_drawn(const Profile& profile, int32_t last);
  // About two points a pixel.
  static int32_t step(double scale);
  Point raw(int32_t m) const;
  Point turned(int32_t m) const;

  const Profile& profile_;
  int32_t first_;
  int32_t last_;
  double left_;
  double cos_ = 1, sin_ = 0;
  Point origin_;
  double scale_ = 1;
  double u_min_ = 0;
  double v_middle_ = 0;
  double middle_y_ = 0;
};

}  // namespace sc
