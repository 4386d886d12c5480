#include "plot/route_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "inspect/describe.h"
#include "objects/route_objects.h"
#include "plot/svg.h"
#include "textio/codepage.h"

namespace sc {
namespace {

using objects::RouteObjects;

constexpr double kWidth = 1600;
constexpr double kLeft = 90;
constexpr double kRight = 40;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kHeaderHeight = 96;  // title and legend
constexpr double kStripTitle = 30;
constexpr double kMinPlanHeight = 170;
constexpr double kMaxTrackHeight = 320;  // the bends of a strip's track at most this high
// Room around the track for boards and station names above it, and signals
// and kilometres below.
constexpr double kRoomAbove = 100;
constexpr double kRoomBelow = 45;
constexpr double kPanelGap = 22;
constexpr double kGradientHeight = 110;
constexpr double kSpeedHeight = 130;
constexpr double kAdhesionHeight = 60;
constexpr double kAxisHeight = 92;  // ticks, kilometres and up to three rows of station names
constexpr double kStripGap = 36;
constexpr double kErrorLine = 18;
constexpr double kCharWidth = 7.4;  // of 12 px text, for placing labels apart
constexpr int32_t kMetresPerKm = 1000;

// A strip's height but for its plan view's.
constexpr double kPanelsHeight = kStripTitle + kPanelGap + kGradientHeight + kPanelGap +
                                 kSpeedHeight + kPanelGap + kAdhesionHeight + kAxisHeight +
                                 kStripGap;

constexpr std::string_view kStyle =
    R"(text { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 12px; fill: #222; }
.title { font-size: 20px; font-weight: bold; }
.subtitle { font-size: 13px; fill: #555; }
.strip-title { font-size: 14px; font-weight: bold; }
.panel-title { font-size: 12px; font-weight: bold; fill: #444; }
.small { font-size: 10px; fill: #555; }
.km { font-size: 10px; fill: #777; }
.board-speed { font-size: 9px; font-weight: bold; }
.station-name { font-size: 12px; font-weight: bold; fill: #0b3d91; }
.error { font-family: 'DejaVu Sans Mono', monospace; font-size: 12px; fill: #a00; }
.frame { fill: #fafafa; stroke: #bbb; stroke-width: 1; }
.grid { stroke: #e2e2e2; stroke-width: 1; }
.zero { stroke: #999; stroke-width: 1; }
.track { fill: none; stroke: #333; stroke-width: 2.5; stroke-linejoin: round; }
.tunnel { fill: none; stroke: #8d6e63; stroke-width: 11; stroke-linecap: butt; stroke-opacity: 0.75; }
.station-extent { fill: none; stroke: #4a90e2; stroke-width: 7; stroke-opacity: 0.6; }
.slowdown-band { fill: none; stroke: #f39c12; stroke-width: 7; stroke-opacity: 0.8; }
.station-dot { fill: #0b3d91; stroke: #fff; stroke-width: 1.5; }
.leader { stroke: #0b3d91; stroke-width: 0.8; }
.stalk { stroke: #555; stroke-width: 1; }
.signal { fill: #d62728; stroke: #600; stroke-width: 1; }
.speed-board { fill: #fff; stroke: #222; stroke-width: 1; }
.text-board { fill: #ffe066; stroke: #222; stroke-width: 1; }
.warning { fill: #f39c12; stroke: #8a5300; stroke-width: 1; }
.code-change { fill: #2ca02c; stroke: #145214; stroke-width: 1; }
.abbattimento { fill: #9467bd; stroke: #3d2459; stroke-width: 1; }
.km-post { stroke: #777; stroke-width: 1.2; }
.gradient-fill { fill: #9ecae1; stroke: none; }
.gradient-line { fill: none; stroke: #08519c; stroke-width: 1.5; }
.speed-line { fill: none; stroke: #222; stroke-width: 2; }
.slowdown-line { fill: none; stroke: #d62728; stroke-width: 2.5; }
.adhesion-line { fill: none; stroke: #2ca02c; stroke-width: 1.8; }
.station-mark { stroke: #4a90e2; stroke-width: 1; stroke-dasharray: 4 3; }
.run-out { fill: #eeeeee; stroke: none; }
.route-end { stroke: #555; stroke-width: 1.2; stroke-dasharray: 6 3; }
)";

std::string utf8(const std::string& text_1252) {
  return cp1252_to_utf8(text_1252);
}

int32_t cell_metres(int32_t index) {
  return index * kCellMetres;
}

// A slowdown covers its start and end cells and those between, whichever
// comes first along the route.
int32_t slowdown_from(const objects::Slowdown& s) {
  return cell_metres(std::min(s.start_cell, s.end_cell));
}
int32_t slowdown_to(const objects::Slowdown& s) {
  return cell_metres(std::max(s.start_cell, s.end_cell) + 1);
}

// The smallest of 1, 2 or 5 times a power of ten that is at least `value`.
double nice_ceiling(double value) {
  double step = 1;
  while (step * 10 <= value) step *= 10;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (step * factor >= value) return step * factor;
  }
  return step * 10;
}

// Places labels of estimated width in rows so that no two in a row overlap;
// returns the row of each label, or -1 where all `rows` are taken.
class LabelRows {
 public:
  explicit LabelRows(int rows) : ends_(static_cast<size_t>(rows), -1e9) {}
  int place(double centre, double width) {
    for (size_t row = 0; row < ends_.size(); ++row) {
      if (centre - width / 2 > ends_[row] + 6) {
        ends_[row] = centre + width / 2;
        return static_cast<int>(row);
      }
    }
    return -1;
  }

 private:
  std::vector<double> ends_;
};

double text_width(const std::string& utf8_text) {
  size_t characters = 0;
  for (char c : utf8_text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return static_cast<double>(characters) * kCharWidth;
}

// Where a label centred at x goes so that it stays on the page.
double label_centre(double x, const std::string& utf8_text) {
  const double half = text_width(utf8_text) / 2 + 4;
  return std::clamp(x, half, std::max(half, kWidth - half));
}

// The plan view of one strip: the track turned so that the strip runs from
// left to right, at the distance axis's scale unless its bends need less.
class PlanView {
 public:
  PlanView(const Profile& profile, int32_t first, int32_t last, double axis_scale)
      : profile_(profile), first_(first), last_(last_drawn(profile, last)) {
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
    if (u_max - u_min > 0) scale_ = std::min(scale_, kPlotWidth / (u_max - u_min));
    if (v_max - v_min > 0) scale_ = std::min(scale_, kMaxTrackHeight / (v_max - v_min));
    u_min_ = u_min;
    v_middle_ = (v_min + v_max) / 2;
    track_height_ = (v_max - v_min) * scale_;
  }

  bool drawable() const { return last_ > first_; }
  double height() const {
    return std::max(kMinPlanHeight, track_height_ + kRoomAbove + kRoomBelow);
  }
  // The track's middle lies halfway between the room above and below it.
  void place(double top) {
    middle_y_ = top + kRoomAbove + (height() - kRoomAbove - kRoomBelow) / 2;
  }
  // The screen point of metre m, clamped to the strip's drawn metres.
  Point at(int32_t m) const {
    const Point p = turned(std::clamp(m, first_, last_));
    return {kLeft + (p.x - u_min_) * scale_, middle_y_ - (p.y - v_middle_) * scale_};
  }
  std::vector<Point> track(int32_t from, int32_t to) const {
    std::vector<Point> points;
    from = std::max(from, first_);
    to = std::min(to, last_);
    const int32_t s = step(scale_);
    for (int32_t m = from; m < to; m += s) points.push_back(at(m));
    if (to >= from) points.push_back(at(to));
    return points;
  }
  bool covers(int32_t m) const { return m >= first_ && m <= last_; }

 private:
  // The last metre with both coordinates, at most `last`.
  static int32_t last_drawn(const Profile& profile, int32_t last) {
    int32_t m = std::min(last, profile.last_point());
    while (m >= 0 && (profile.tag(m, Profile::kX) == Profile::Tag::kEmpty ||
                      profile.tag(m, Profile::kY) == Profile::Tag::kEmpty)) {
      --m;
    }
    return m;
  }
  // About two points a pixel.
  static int32_t step(double scale) {
    return std::max<int32_t>(1, static_cast<int32_t>(0.5 / scale));
  }
  Point raw(int32_t m) const {
    return {profile_.value(m, Profile::kX), profile_.value(m, Profile::kY)};
  }
  Point turned(int32_t m) const {
    const Point p = raw(m);
    const double dx = p.x - origin_.x;
    const double dy = p.y - origin_.y;
    return {dx * cos_ + dy * sin_, -dx * sin_ + dy * cos_};
  }

  const Profile& profile_;
  int32_t first_;
  int32_t last_;
  double cos_ = 1, sin_ = 0;
  Point origin_;
  double scale_ = 1;
  double u_min_ = 0;
  double v_middle_ = 0;
  double track_height_ = 0;
  double middle_y_ = 0;
};

// One strip of the route, [first, last) metres, and where it stands on the page.
struct Strip {
  int32_t first = 0;
  int32_t last = 0;
  std::optional<PlanView> plan;  // none without a profile
  double top = 0;
  double plan_height() const { return plan && plan->drawable() ? plan->height() : kMinPlanHeight; }
  double height() const { return plan_height() + kPanelsHeight; }
};

// One panel of values along the distance axis.
struct Panel {
  double top = 0;
  double height = 0;
  double low = 0;
  double high = 1;
  double y(double value) const { return top + height - (value - low) / (high - low) * height; }
};

class RoutePlot {
 public:
  RoutePlot(const Scenario& model, const std::vector<std::string>& errors)
      : model_(model),
        features_(objects::decode_objects(model)),
        layout_(strip_layout(model)),
        scale_(kPlotWidth / layout_.strip_metres),
        errors_(errors),
        strips_(make_strips()),
        svg_(kWidth, height(), kStyle) {}

  std::string draw() && {
    draw_header();
    for (size_t i = 0; i < strips_.size(); ++i) draw_strip(i);
    draw_errors();
    return std::move(svg_).finish();
  }

 private:
  std::vector<Strip> make_strips() const {
    std::vector<Strip> strips;
    double top = kHeaderHeight;
    for (int i = 0; i < layout_.count; ++i) {
      Strip strip;
      strip.first = i * layout_.strip_metres;
      strip.last = std::min(layout_.extent, (i + 1) * layout_.strip_metres);
      if (model_.profile) strip.plan.emplace(*model_.profile, strip.first, strip.last, scale_);
      strip.top = top;
      if (strip.plan) strip.plan->place(top + kStripTitle);
      top += strip.height();
      strips.push_back(std::move(strip));
    }
    return strips;
  }

  double strips_bottom() const {
    return strips_.empty() ? kHeaderHeight : strips_.back().top + strips_.back().height();
  }

  double height() const {
    const double errors =
        errors_.empty() ? 0 : 40 + kErrorLine * static_cast<double>(errors_.size());
    return strips_bottom() + errors + 20;
  }

  std::string name_of(int entry) const {
    return utf8(model_.table[static_cast<size_t>(entry)].text);
  }

  void draw_header() {
    const std::string title =
        name_of(entry::kLineHeader) + " \u2014 train " + name_of(entry::kTrainHeader);
    svg_.title(title);
    svg_.text({kLeft, 30}, title, "title");
    std::string subtitle = "route " + std::to_string(features_.route_length) + " m, " +
                           std::to_string(features_.stations.size()) +
                           (features_.stations.size() == 1 ? " station" : " stations");
    if (layout_.count > 1) {
      subtitle += ", in " + std::to_string(layout_.count) + " strips of " +
                  std::to_string(layout_.strip_metres / kMetresPerKm) + " km";
    }
    if (!errors_.empty()) subtitle += "; compiled with errors, listed at the end";
    svg_.text({kLeft, 52}, subtitle, "subtitle");
    draw_legend(78);
  }

  void draw_legend(double y) {
    double x = kLeft;
    const auto item = [&](std::string_view label, auto&& symbol) {
      symbol(Point{x + 8, y - 4});
      svg_.text({x + 20, y}, label, "small");
      x += 28 + text_width(std::string(label)) * 0.85;
    };
    item("station", [&](Point p) { svg_.circle(p, 5, "station-dot"); });
    item("station extent", [&](Point p) {
      svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "station-extent");
    });
    item("signal", [&](Point p) { svg_.circle(p, 4.5, "signal"); });
    item("speed board (km/h)", [&](Point p) { speed_board_symbol(p, "80"); });
    item("text board", [&](Point p) { text_board_symbol(p); });
    item("slowdown", [&](Point p) { svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "slowdown-band"); });
    item("slowdown warning", [&](Point p) { warning_symbol(p); });
    item("code change", [&](Point p) { diamond(p, "code-change"); });
    item("abbattimento point", [&](Point p) { diamond(p, "abbattimento"); });
    item("tunnel", [&](Point p) { svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "tunnel"); });
    item("km post", [&](Point p) { svg_.line({p.x, p.y - 6}, {p.x, p.y + 6}, "km-post"); });
  }

  void speed_board_symbol(Point p, const std::string& speed) {
    svg_.rect({p.x - 9, p.y - 7}, 18, 14, "speed-board");
    svg_.text({p.x, p.y + 3.5}, speed, "board-speed", "middle");
  }
  void text_board_symbol(Point p) {
    svg_.rect({p.x - 6, p.y - 6}, 12, 12, "text-board");
    svg_.text({p.x, p.y + 3.5}, "T", "board-speed", "middle");
  }
  void warning_symbol(Point p) {
    svg_.polygon({{p.x, p.y - 7}, {p.x + 7, p.y + 5}, {p.x - 7, p.y + 5}}, "warning");
  }
  void diamond(Point p, std::string_view css_class) {
    svg_.polygon({{p.x, p.y - 5}, {p.x + 5, p.y}, {p.x, p.y + 5}, {p.x - 5, p.y}}, css_class);
  }

  double axis_x(int32_t first, double metres) const { return kLeft + (metres - first) * scale_; }

  void draw_strip(size_t i) {
    const Strip& strip = strips_[i];
    const int32_t first = strip.first;
    const int32_t last = strip.last;
    std::string title = "km " + std::to_string(first / kMetresPerKm) + " to " + km_text(last);
    if (strips_.size() > 1) {
      title =
          "strip " + std::to_string(i + 1) + " of " + std::to_string(strips_.size()) + ": " + title;
    }
    svg_.text({kLeft, strip.top + 18}, title, "strip-title");
    double top = strip.top + kStripTitle;
    draw_plan(strip, top);
    top += strip.plan_height() + kPanelGap;
    const Panel gradient = gradient_panel(top);
    const Panel speed = speed_panel(top + kGradientHeight + kPanelGap);
    const Panel adhesion = adhesion_panel(speed.top + kSpeedHeight + kPanelGap);
    for (const Panel& p : {gradient, speed, adhesion}) draw_frame(first, last, p);
    draw_gradient(first, last, gradient);
    draw_speed(first, last, speed);
    draw_adhesion(first, last, adhesion);
    draw_station_marks(first, last, gradient.top, adhesion.top + adhesion.height);
    draw_axis(first, last, adhesion.top + adhesion.height);
  }

  static std::string km_text(int32_t metres) {
    char text[32];
    if (metres % kMetresPerKm == 0) {
      std::snprintf(text, sizeof text, "%d", metres / kMetresPerKm);
    } else {
      std::snprintf(text, sizeof text, "%.2f", metres / 1000.0);
    }
    return text;
  }

  // ---- plan view ----

  void draw_plan(const Strip& strip, double top) {
    const int32_t first = strip.first;
    const int32_t last = strip.last;
    svg_.rect({kLeft, top}, kPlotWidth, strip.plan_height(), "frame");
    svg_.text({kLeft + 6, top + 15}, "plan view, turned so that the strip runs left to right",
              "panel-title");
    const Point middle{kLeft + kPlotWidth / 2, top + strip.plan_height() / 2};
    if (!strip.plan) {
      svg_.text(middle, "no plan view: no line profile was built", "small", "middle");
      return;
    }
    const PlanView& plan = *strip.plan;
    if (!plan.drawable()) {
      svg_.text(middle, "no plan view: the profile has no points here", "small", "middle");
      return;
    }
    for (const objects::Tunnel& t : features_.tunnels) {
      svg_.polyline(plan.track(cell_metres(t.first_cell), cell_metres(t.last_cell + 1)), "tunnel");
    }
    for (const objects::Slowdown& s : features_.slowdowns) {
      svg_.polyline(plan.track(slowdown_from(s), slowdown_to(s)), "slowdown-band");
    }
    for (const objects::Station& s : features_.stations) {
      svg_.polyline(plan.track(s.start, s.end), "station-extent");
    }
    svg_.polyline(plan.track(first, last), "track");
    draw_km_posts(plan, first, last);
    draw_plan_objects(plan, first, last);
    draw_plan_stations(plan, first, last);
  }

  void draw_km_posts(const PlanView& plan, int32_t first, int32_t last) {
    const int32_t label_every = scale_ * kMetresPerKm >= 30 ? 1 : 5;
    for (int32_t km = (first + kMetresPerKm - 1) / kMetresPerKm; km * kMetresPerKm <= last; ++km) {
      const int32_t m = km * kMetresPerKm;
      if (!plan.covers(m)) continue;
      const Point p = plan.at(m);
      svg_.line({p.x, p.y - 5}, {p.x, p.y + 5}, "km-post");
      if (km % label_every == 0) svg_.text({p.x, p.y + 30}, std::to_string(km), "km", "middle");
    }
  }

  void draw_plan_objects(const PlanView& plan, int32_t first, int32_t last) {
    const auto in_strip = [&](int32_t cell) {
      return cell >= 0 && cell_metres(cell) >= first && cell_metres(cell) < last &&
             plan.covers(cell_metres(cell));
    };
    // Boards stand above the track, in a second row where two would touch.
    std::vector<std::pair<int32_t, std::function<void(Point)>>> boards;
    for (const objects::SpeedBoard& b : features_.speed_boards) {
      if (in_strip(b.cell)) {
        boards.emplace_back(b.cell, [this, speed = std::to_string(b.vas)](Point p) {
          speed_board_symbol(p, speed);
        });
      }
    }
    for (const objects::TextBoard& b : features_.text_boards) {
      if (in_strip(b.cell)) boards.emplace_back(b.cell, [this](Point p) { text_board_symbol(p); });
    }
    std::stable_sort(boards.begin(), boards.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    LabelRows rows(2);
    for (const auto& [cell, symbol] : boards) {
      const Point p = plan.at(cell_metres(cell));
      const double lift = 12 + 17 * std::max(rows.place(p.x, 18), 0);
      svg_.line(p, {p.x, p.y - lift}, "stalk");
      symbol({p.x, p.y - lift - 7});
    }
    for (const objects::Signal& signal : features_.signals) {
      if (!in_strip(signal.cell)) continue;
      const Point p = plan.at(cell_metres(signal.cell));
      svg_.line(p, {p.x, p.y + 11}, "stalk");
      svg_.circle({p.x, p.y + 14}, 4.5, "signal");
    }
    for (const objects::Slowdown& s : features_.slowdowns) {
      if (s.warning_cell && in_strip(*s.warning_cell)) {
        warning_symbol(shifted(plan.at(cell_metres(*s.warning_cell)), 0, 14));
      }
    }
    for (const objects::CodePoint& point : features_.code_points) {
      if (in_strip(point.cell)) {
        diamond(plan.at(cell_metres(point.cell)), point.code ? "code-change" : "abbattimento");
      }
    }
  }

  static Point shifted(Point p, double dx, double dy) { return {p.x + dx, p.y + dy}; }

  void draw_plan_stations(const PlanView& plan, int32_t first, int32_t last) {
    LabelRows rows(3);
    for (const objects::Station& s : features_.stations) {
      if (s.position < first || s.position >= last || !plan.covers(s.position)) continue;
      const Point p = plan.at(s.position);
      const std::string name = utf8(s.name);
      const double x = label_centre(p.x, name);
      const int row = std::max(rows.place(x, text_width(name)), 0);
      const double label_y = p.y - 50 - 14 * row;
      svg_.line(p, {p.x, label_y + 3}, "leader");
      svg_.circle(p, 5, "station-dot");
      svg_.text({x, label_y}, name, "station-name", "middle");
    }
  }

  // ---- panels on the distance axis ----

  // The cells that overlap [first, last), as (start metre, value) steps, with
  // equal neighbours merged; the last step ends at `last`.
  template <typename Value>
  std::vector<Point> steps(int32_t first, int32_t last, const Panel& panel, Value value) const {
    std::vector<Point> points;
    const int32_t from = std::max<int32_t>(0, first / kCellMetres);
    const int32_t to = std::min(model_.last_cell(), (last - 1) / kCellMetres);
    std::optional<double> previous;
    for (int32_t i = from; i <= to; ++i) {
      const double v = value(model_.cells[static_cast<size_t>(i)]);
      const double x = axis_x(first, std::max(first, cell_metres(i)));
      if (previous && *previous == v) continue;
      if (previous) points.push_back({x, panel.y(*previous)});
      points.push_back({x, panel.y(v)});
      previous = v;
    }
    if (previous)
      points.push_back({axis_x(first, std::min(last, cell_metres(to + 1))), panel.y(*previous)});
    return points;
  }

  void draw_frame(int32_t first, int32_t last, const Panel& p) {
    svg_.rect({kLeft, p.top}, kPlotWidth, p.height, "frame");
    if (last > features_.route_length && features_.route_length >= first) {
      const double x = axis_x(first, features_.route_length);
      svg_.rect({x, p.top}, axis_x(first, last) - x, p.height, "run-out");
    }
  }

  void y_label(const Panel& p, double value, const std::string& text, bool grid) {
    const double y = p.y(value);
    if (grid) svg_.line({kLeft, y}, {kLeft + kPlotWidth, y}, "grid");
    svg_.text({kLeft - 6, y + 4}, text, "small", "end");
  }

  // Above the panel, in the gap, so that no line crosses it.
  void panel_title(const Panel& p, const std::string& text) {
    svg_.text({kLeft, p.top - 6}, text, "panel-title");
  }

  // The cells that begin within the drawn metres: the panels' scales come from
  // them, not from the run-out's unfilled last cells.
  std::span<const Cell> cells_drawn() const {
    const size_t count = std::min(
        model_.cells.size(), static_cast<size_t>((layout_.extent + kCellMetres - 1) / kCellMetres));
    return std::span<const Cell>(model_.cells).first(count);
  }

  double largest_gradient() const {
    int largest = 0;
    for (const Cell& c : cells_drawn())
      largest = std::max(largest, std::abs(gradient_per_mille(c.gradient)));
    return largest;
  }

  Panel gradient_panel(double top) const {
    const double bound = nice_ceiling(std::max(5.0, largest_gradient()));
    return {top, kGradientHeight, -bound, bound};
  }

  Panel speed_panel(double top) const {
    int fastest = 40;
    for (const Cell& c : cells_drawn()) fastest = std::max(fastest, c.speed_limit * kSpeedStepKmh);
    for (const objects::Slowdown& s : features_.slowdowns)
      fastest = std::max<int>(fastest, s.speed);
    return {top, kSpeedHeight, 0, std::ceil(fastest / 20.0) * 20};
  }

  Panel adhesion_panel(double top) const {
    int highest = 100;
    for (const Cell& c : cells_drawn()) highest = std::max<int>(highest, c.adhesion);
    return {top, kAdhesionHeight, 0, nice_ceiling(highest)};
  }

  void draw_gradient(int32_t first, int32_t last, const Panel& p) {
    for (double v : {p.low, p.low / 2, p.high / 2, p.high}) {
      y_label(p, v, (v > 0 ? "+" : "") + std::to_string(static_cast<int>(v)), true);
    }
    y_label(p, 0, "0", false);
    svg_.line({kLeft, p.y(0)}, {kLeft + kPlotWidth, p.y(0)}, "zero");
    std::vector<Point> line =
        steps(first, last, p, [](const Cell& c) { return double(gradient_per_mille(c.gradient)); });
    if (line.empty()) return;
    std::vector<Point> area = line;
    area.push_back({line.back().x, p.y(0)});
    area.insert(area.begin(), {line.front().x, p.y(0)});
    svg_.polygon(area, "gradient-fill");
    svg_.polyline(line, "gradient-line");
    panel_title(p, "gradient \u2030 (uphill above the line)");
  }

  void draw_speed(int32_t first, int32_t last, const Panel& p) {
    const double step = p.high > 160 ? 40 : 20;
    for (double v = 0; v <= p.high; v += step)
      y_label(p, v, std::to_string(static_cast<int>(v)), true);
    svg_.polyline(
        steps(first, last, p, [](const Cell& c) { return double(c.speed_limit * kSpeedStepKmh); }),
        "speed-line");
    for (const objects::Slowdown& s : features_.slowdowns) {
      const int32_t from = std::max(first, slowdown_from(s));
      const int32_t to = std::min(last, slowdown_to(s));
      if (from < to) {
        const double y = p.y(std::clamp<double>(s.speed, p.low, p.high));
        svg_.polyline({{axis_x(first, from), p.top + p.height},
                       {axis_x(first, from), y},
                       {axis_x(first, to), y},
                       {axis_x(first, to), p.top + p.height}},
                      "slowdown-line");
      }
      if (!s.warning_cell) continue;
      const int32_t warning = cell_metres(*s.warning_cell);
      if (warning >= first && warning < last) warning_symbol({axis_x(first, warning), p.top + 8});
    }
    panel_title(p, "line speed limit km/h, slowdowns in red");
  }

  void draw_adhesion(int32_t first, int32_t last, const Panel& p) {
    y_label(p, 0, "0", false);
    y_label(p, p.high, std::to_string(static_cast<int>(p.high)), true);
    svg_.polyline(steps(first, last, p, [](const Cell& c) { return double(c.adhesion); }),
                  "adhesion-line");
    panel_title(p, "adhesion");
  }

  void draw_station_marks(int32_t first, int32_t last, double top, double bottom) {
    LabelRows rows(3);
    for (const objects::Station& s : features_.stations) {
      if (s.position < first || s.position >= last) continue;
      const double x = axis_x(first, s.position);
      svg_.line({x, top}, {x, bottom + 30}, "station-mark");
      const std::string name = utf8(s.name);
      const double centre = label_centre(x, name);
      const int row = std::max(rows.place(centre, text_width(name)), 0);
      svg_.text({centre, bottom + 44 + 15 * row}, name, "station-name", "middle");
    }
  }

  void draw_axis(int32_t first, int32_t last, double y) {
    const int32_t label_every = scale_ * kMetresPerKm >= 30 ? 1 : 5;
    for (int32_t km = (first + kMetresPerKm - 1) / kMetresPerKm; km * kMetresPerKm <= last; ++km) {
      const double x = axis_x(first, km * kMetresPerKm);
      const bool labelled = km % label_every == 0;
      svg_.line({x, y}, {x, y + (labelled ? 7 : 4)}, "km-post");
      if (labelled) svg_.text({x, y + 19}, std::to_string(km), "km", "middle");
    }
    svg_.text({kLeft - 6, y + 19}, "km", "km", "end");
    if (features_.route_length > first && features_.route_length < last) {
      const double x = axis_x(first, features_.route_length);
      svg_.text({x + 4, y - 4}, "end of route", "small");
    }
  }

  void draw_errors() {
    if (errors_.empty()) return;
    double y = strips_bottom() + 10;
    svg_.text({kLeft, y},
              std::to_string(errors_.size()) + (errors_.size() == 1 ? " error" : " errors") +
                  " recorded while compiling; the route is drawn as far as it was compiled:",
              "strip-title");
    for (const std::string& e : errors_) {
      y += kErrorLine;
      svg_.text({kLeft, y}, e, "error");
    }
  }

  const Scenario& model_;
  RouteObjects features_;
  StripLayout layout_;
  double scale_;
  const std::vector<std::string>& errors_;
  std::vector<Strip> strips_;
  Svg svg_;
};

// The last metre anything is placed at, or the route's end if further.
int32_t furthest_metre(const Scenario& model, const RouteObjects& f) {
  int32_t furthest = std::max(f.route_length, 0);
  for (const objects::Station& s : f.stations) furthest = std::max(furthest, s.end);
  for (int32_t i = 0; i <= model.last_cell(); ++i) {
    const Cell& c = model.cells[static_cast<size_t>(i)];
    if (c.type_code != cell_type::kEmpty && c.type_code != cell_type::kTunnelMarker) {
      furthest = std::max(furthest, cell_metres(i + 1));
    }
  }
  return furthest;
}

}  // namespace

StripLayout strip_layout(const Scenario& model) {
  const int32_t extent =
      std::max(furthest_metre(model, objects::decode_objects(model)), kMetresPerKm);
  const int32_t km = (extent + kMetresPerKm - 1) / kMetresPerKm;
  const int count = (km + kLongestStripKm - 1) / kLongestStripKm;
  const int32_t strip_km = (km + count - 1) / count;
  return {extent, strip_km * kMetresPerKm, count};
}

std::string plot_route(const Scenario& model, const std::vector<std::string>& errors) {
  return RoutePlot(model, errors).draw();
}

}  // namespace sc
