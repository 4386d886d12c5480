#include "plot/plan_view.h"

#include <algorithm>
#include <cmath>

namespace sc {

PlanView::PlanView(const Profile& profile, int32_t first, int32_t last, double axis_scale,
                   double left, double width, double track_height)
    : profile_(profile), first_(first), last_(last_drawn(profile, last)), left_(left) {
  if (last_ <= first_) return;
  const Point a = raw(first_);
  const Point b = raw(last_);
  const double angle = std::atan2(b.y - a.y, b.x - a.x);
  cos_ = std::cos(angle);
  sin_ = std::sin(angle);
  origin_ = a;
  double u_min = 0, u_max = 0, v_min = 0, v_max = 0;
  for (int32_t m = first_; m <= last_; m += step(axis_scale)) {
    const Point p = turned(m);
    u_min = std::min(u_min, p.x);
    u_max = std::max(u_max, p.x);
    v_min = std::min(v_min, p.y);
    v_max = std::max(v_max, p.y);
  }
  scale_ = axis_scale;
  if (u_max - u_min > 0) scale_ = std::min(scale_, width / (u_max - u_min));
  if (v_max - v_min > 0) scale_ = std::min(scale_, track_height / (v_max - v_min));
  u_min_ = u_min;
  v_middle_ = (v_min + v_max) / 2;
}

Point PlanView::at(int32_t m) const {
  const Point p = turned(std::clamp(m, first_, last_));
  return {left_ + (p.x - u_min_) * scale_, middle_y_ - (p.y - v_middle_) * scale_};
}

Point PlanView::normal_at(int32_t m) const {
  const int32_t reach = std::max<int32_t>(1, static_cast<int32_t>(4 / scale_));
  const Point a = at(m - reach);
  const Point b = at(m + reach);
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  if (length == 0) return {0, -1};
  return {(b.y - a.y) / length, -(b.x - a.x) / length};
}

std::vector<Point> PlanView::track(int32_t from, int32_t to, double pixels) const {
  std::vector<Point> points;
  from = std::max(from, first_);
  to = std::min(to, last_);
  const int32_t s = std::max<int32_t>(1, static_cast<int32_t>(pixels / scale_));
  for (int32_t m = from; m < to; m += s) points.push_back(at(m));
  if (to >= from) points.push_back(at(to));
  return points;
}

int32_t PlanView::last_drawn(const Profile& profile, int32_t last) {
  int32_t m = std::min(last, profile.last_point());
  while (m >= 0 && (profile.tag(m, Profile::kX) == Profile::Tag::kEmpty ||
                    profile.tag(m, Profile::kY) == Profile::Tag::kEmpty)) {
    --m;
  }
  return m;
}

int32_t PlanView::step(double scale) {
  return std::max<int32_t>(1, static_cast<int32_t>(0.5 / scale));
}

Point PlanView::raw(int32_t m) const {
  return {profile_.value(m, Profile::kX), profile_.value(m, Profile::kY)};
}

Point PlanView::turned(int32_t m) const {
  const Point p = raw(m);
  const double dx = p.x - origin_.x;
  const double dy = p.y - origin_.y;
  return {dx * cos_ + dy * sin_, -dx * sin_ + dy * cos_};
}

}  // namespace sc
