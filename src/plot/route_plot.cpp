#include "plot/route_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

#include "model/object_rules.h"
#include "objects/route_objects.h"
#include "plot/plan_view.h"
#include "plot/svg.h"
#include "plot/text_metrics.h"
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
constexpr double kPlanPadding = 12;      // between the plan view's frame and what it holds
constexpr double kPanelGap = 22;
constexpr double kGradientHeight = 110;
constexpr double kSpeedHeight = 130;
constexpr double kAdhesionHeight = 60;
constexpr double kAxisNumbers = 28;  // under the panels: ticks and kilometre numbers
constexpr double kStationRow = 16;   // and under them, rows of station names
constexpr double kStripGap = 36;
constexpr double kErrorLine = 18;
constexpr int32_t kMetresPerKm = 1000;
constexpr size_t kLongestLabel = 40;  // characters of a board's text shown on the picture

// A strip's height but for its plan view's and its station rows'.
constexpr double kPanelsHeight = kStripTitle + kPanelGap + kPanelGap + kGradientHeight + kPanelGap +
                                 kSpeedHeight + kPanelGap + kAdhesionHeight + kAxisNumbers +
                                 kStripGap;

constexpr std::string_view kStyle =
    R"(text { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 12px; fill: #222; }
.title { font-size: 20px; font-weight: bold; }
.subtitle { font-size: 13px; fill: #555; }
.strip-title { font-size: 14px; font-weight: bold; }
.panel-title { font-size: 12px; font-weight: bold; fill: #444; }
.small { font-size: 10px; fill: #555; }
.km { font-size: 10px; fill: #666; paint-order: stroke; stroke: #fafafa; stroke-width: 3px; }
.board-text { font-size: 10px; }
.speed-board-text { font-size: 10px; font-weight: bold; }
.station-name { font-size: 12px; font-weight: bold; fill: #0b3d91; paint-order: stroke; stroke: #fafafa; stroke-width: 3px; stroke-linejoin: round; }
.error { font-family: 'DejaVu Sans Mono', monospace; font-size: 12px; fill: #a00; }
.frame { fill: #fafafa; stroke: #bbb; stroke-width: 1; }
.grid { stroke: #e2e2e2; stroke-width: 1; }
.zero { stroke: #999; stroke-width: 1; }
.track { fill: none; stroke: #333; stroke-width: 2.5; stroke-linejoin: round; }
.tunnel { fill: none; stroke: #8d6e63; stroke-width: 11; stroke-linecap: butt; stroke-opacity: 0.75; }
.station-extent { fill: none; stroke: #4a90e2; stroke-width: 10; stroke-opacity: 0.7; stroke-linecap: butt; }
.station-end { stroke: #0b3d91; stroke-width: 2; }
.station-band { fill: #4a90e2; fill-opacity: 0.16; stroke: none; }
.slowdown-band { fill: none; stroke: #f39c12; stroke-width: 7; stroke-opacity: 0.8; }
.station-dot { fill: #0b3d91; stroke: #fff; stroke-width: 1.5; }
.leader { stroke: #777; stroke-width: 0.8; }
.signal { fill: #d62728; stroke: #600; stroke-width: 1; }
.speed-board { fill: #fff; stroke: #222; stroke-width: 1; }
.text-board { fill: #ffe066; stroke: #222; stroke-width: 1; }
.warning { fill: #f39c12; stroke: #8a5300; stroke-width: 1; }
.code-change { fill: #2ca02c; stroke: #145214; stroke-width: 1; }
.codeless { fill: #9467bd; stroke: #3d2459; stroke-width: 1; }
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

Box moved(Box box, double dy) {
  box.top += dy;
  return box;
}

bool continues_character(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// At most kLongestLabel characters, the last of them an ellipsis where the
// text was cut.
std::string shortened(const std::string& utf8_text) {
  size_t characters = 0;
  for (size_t i = 0; i < utf8_text.size(); ++i) {
    if (continues_character(utf8_text[i])) continue;
    if (++characters == kLongestLabel) return utf8_text.substr(0, i) + "\u2026";
  }
  return utf8_text;
}

std::string metres(int64_t m) {
  return std::to_string(m) + " m";
}

// Where an object stands and where its row put it, when the two differ.
std::string landing(int32_t cell, int64_t written) {
  const int32_t at = cell_metres(cell);
  std::string text = "at " + metres(at);
  if (written != at) text += " (written " + metres(written) + ")";
  return text;
}

std::string speeds(int a, int b, int c) {
  return std::to_string(a) + "/" + std::to_string(b) + "/" + std::to_string(c);
}

// The speeds an author wrote on a board: the three left ones, and the right
// ones where any is given.
std::string board_speeds(const objects::SpeedBoard& b) {
  std::string text = speeds(b.vas, b.vbs, b.vcs);
  if (b.vad != 0 || b.vbd != 0 || b.vcd != 0) text += " | " + speeds(b.vad, b.vbd, b.vcd);
  return text;
}

std::string board_text(const objects::TextBoard& b) {
  return b.text.empty() ? "(no text)" : shortened(utf8(b.text));
}

std::string station_label(const objects::Station& s) {
  return s.name.empty() ? "(no name)" : shortened(utf8(s.name));
}

// ---- labels ----

enum class LabelKind { kStation, kSpeedBoard, kTextBoard, kKm, kNote };

struct LabelLook {
  double font_size = 10;
  bool bold = false;
  double padding = 1;  // left and right of the text
  double height = 12;
  std::string_view text_class;
  std::string_view sign_class;  // a sign's background, or none
};

LabelLook look_of(LabelKind kind) {
  switch (kind) {
    case LabelKind::kStation:
      return {12, true, 1, 15, "station-name", ""};
    case LabelKind::kSpeedBoard:
      return {10, true, 3, 14, "speed-board-text", "speed-board"};
    case LabelKind::kTextBoard:
      return {10, false, 3, 14, "board-text", "text-board"};
    case LabelKind::kKm:
      return {10, false, 1, 12, "km", ""};
    case LabelKind::kNote:
      break;
  }
  return {10, false, 1, 13, "small", ""};
}

struct Label {
  LabelKind kind = LabelKind::kNote;
  std::string text;  // UTF-8
  Box box;
  std::optional<Point> anchor;  // what the label names, joined to it by a leader
};

// The width and height a label needs; its place is for the placer.
Box label_size(LabelKind kind, const std::string& text) {
  const LabelLook look = look_of(kind);
  return {0, 0, text_width(text, look.font_size, look.bold) + 2 * look.padding, look.height};
}

// What the plan view marks on the track.
enum class MarkerKind {
  kStation,
  kSignal,
  kSpeedBoard,
  kTextBoard,
  kWarning,
  kCodeChange,
  kCodeless
};

struct Marker {
  MarkerKind kind = MarkerKind::kSignal;
  int32_t metre = 0;
  std::string tooltip;  // UTF-8
};

constexpr double kMarkerSize = 12;  // a marker's box, for the labels to keep off

// One strip of the route, [first, last) metres, and where it stands on the page.
struct Strip {
  int32_t first = 0;
  int32_t last = 0;
  double top = 0;
  std::optional<PlanView> plan;  // none without a profile
  std::vector<Marker> markers;
  std::vector<Label> plan_labels;
  double plan_height = kMinPlanHeight;
  std::vector<Label> axis_labels;  // under the panels
  double station_rows_height = 0;
  double plan_top() const { return top + kStripTitle + kPanelGap; }
  double panels_top() const { return plan_top() + plan_height + kPanelGap; }
  double axis_y() const {
    return panels_top() + kGradientHeight + kPanelGap + kSpeedHeight + kPanelGap + kAdhesionHeight;
  }
  double height() const { return plan_height + station_rows_height + kPanelsHeight; }
  bool drawable() const { return plan && plan->drawable(); }
};

// One panel of values along the distance axis.
struct Panel {
  double top = 0;
  double height = 0;
  double low = 0;
  double high = 1;
  double y(double value) const { return top + height - (value - low) / (high - low) * height; }
};

Box plan_frame(const Strip& strip) {
  return {kLeft, strip.plan_top(), kPlotWidth, strip.plan_height};
}

// Station names and kilometre numbers under the panels keep to the page's
// margins, those on the plan view to its frame.
constexpr double kAxisLeft = kLeft - 40;
constexpr double kAxisRight = kWidth - 10;
Box axis_frame(const Strip& strip) {
  return {kAxisLeft, strip.axis_y(), kAxisRight - kAxisLeft,
          kAxisNumbers + strip.station_rows_height};
}

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

  RoutePicture draw() && {
    draw_header();
    for (const Strip& strip : strips_) draw_strip(strip);
    draw_errors();
    return {std::move(svg_).finish(), std::move(placed_)};
  }

 private:
  std::vector<Strip> make_strips() const {
    std::vector<Strip> strips;
    double top = kHeaderHeight;
    for (int i = 0; i < layout_.count; ++i) {
      Strip strip;
      strip.first = i * layout_.strip_metres;
      strip.last = std::min(layout_.extent, (i + 1) * layout_.strip_metres);
      strip.top = top;
      if (model_.profile)
        strip.plan.emplace(*model_.profile, strip.first, strip.last, scale_, kLeft, kPlotWidth,
                           kMaxTrackHeight);
      if (strip.drawable()) lay_out_plan(strip);
      lay_out_axis(strip);
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

  // ---- layout of the plan view ----

  bool in_strip(const Strip& strip, int32_t metre) const {
    return metre >= strip.first && metre < strip.last && strip.plan->covers(metre);
  }

  std::vector<Marker> markers_of(const Strip& strip) const {
    std::vector<Marker> markers;
    const auto add = [&](MarkerKind kind, int32_t metre, std::string tooltip) {
      if (in_strip(strip, metre)) markers.push_back({kind, metre, std::move(tooltip)});
    };
    for (const objects::Slowdown& s : features_.slowdowns) {
      if (s.warning_cell) {
        add(MarkerKind::kWarning, cell_metres(*s.warning_cell),
            "warning of a " + std::to_string(s.speed) + " km/h slowdown, " +
                landing(*s.warning_cell, *s.warning));
      }
    }
    for (const objects::CodePoint& p : features_.code_points) {
      add(p.code ? MarkerKind::kCodeChange : MarkerKind::kCodeless, cell_metres(p.cell),
          (p.code ? "code change " + std::to_string(*p.code)
                  : std::string("point without a code")) +
              " at " + metres(cell_metres(p.cell)));
    }
    for (const objects::Signal& s : features_.signals) {
      add(MarkerKind::kSignal, cell_metres(s.cell), "signal " + landing(s.cell, s.position));
    }
    for (const objects::TextBoard& b : features_.text_boards) {
      add(MarkerKind::kTextBoard, cell_metres(b.cell),
          "text board \"" + utf8(b.text) + "\" " + landing(b.cell, b.position));
    }
    for (const objects::SpeedBoard& b : features_.speed_boards) {
      add(MarkerKind::kSpeedBoard, cell_metres(b.cell),
          "speed board " + board_speeds(b) + " km/h, stripes " + std::to_string(b.strisces) + "/" +
              std::to_string(b.strisced) + ", " + landing(b.cell, b.position));
    }
    for (const objects::Station& s : features_.stations) {
      add(MarkerKind::kStation, s.position,
          station_label(s) + ": station at " + metres(s.position) + ", from " + metres(s.start) +
              " to " + metres(s.end));
    }
    return markers;
  }

  // Labels go where they cover no other label and stay in the frame,
  // preferably clear of the track and the markers: kilometre numbers first,
  // each at its post or not at all, then station names above the track,
  // then the boards; a name or a board that finds no room near its marker
  // goes beyond all the others, joined to it by a leader. The frame then
  // grows to hold them all.
  void lay_out_plan(Strip& strip) const {
    constexpr double kCovering = 80;
    constexpr double kKmCovering = 10;
    const PlanView& plan = *strip.plan;
    strip.markers = markers_of(strip);
    LabelPlacer placer(kLeft + 2, kLeft + kPlotWidth - 2);
    std::vector<Point> track = plan.track(strip.first, strip.last, 5);
    Box content = box_around(track.front(), 0, 0);
    for (const Point& p : track) {
      const Box box = box_around(p, 10, 10);
      placer.add_obstacle(box);
      content = united(content, box);
    }
    for (const Marker& m : strip.markers) {
      const Box box = box_around(plan.at(m.metre), kMarkerSize, kMarkerSize);
      placer.add_obstacle(box);
      content = united(content, box);
    }
    const auto place = [&](LabelKind kind, std::string text, int32_t metre, bool above,
                           bool must_show) {
      const Point anchor = plan.at(metre);
      const Box size = label_size(kind, text);
      const bool km = kind == LabelKind::kKm;
      // A kilometre number stays at its post; a name or a board would
      // rather stand 80 px further out than cover the track or a marker.
      std::optional<Box> box =
          km ? placer.place(places_beside_post(anchor, plan.normal_at(metre), size), kKmCovering)
             : placer.place(places_around(anchor, size, above), kCovering);
      if (!box && must_show) {
        const Candidate beyond{
            placer.beyond_all(anchor.x - size.width / 2, size.width, size.height, above), 0};
        box = placer.place(std::span(&beyond, 1));
      }
      if (!box) return;
      strip.plan_labels.push_back(
          {kind, std::move(text), *box, km ? std::nullopt : std::optional(anchor)});
      content = united(content, *box);
    };
    for (int32_t km : numbered_km(strip)) {
      if (plan.covers(km * kMetresPerKm))
        place(LabelKind::kKm, std::to_string(km), km * kMetresPerKm, false, false);
    }
    for (const objects::Station& s : features_.stations) {
      if (in_strip(strip, s.position))
        place(LabelKind::kStation, station_label(s), s.position, true, true);
    }
    std::vector<std::pair<int32_t, std::pair<LabelKind, std::string>>> boards;
    for (const objects::SpeedBoard& b : features_.speed_boards)
      boards.push_back({b.cell, {LabelKind::kSpeedBoard, board_speeds(b)}});
    for (const objects::TextBoard& b : features_.text_boards)
      boards.push_back({b.cell, {LabelKind::kTextBoard, board_text(b)}});
    std::stable_sort(boards.begin(), boards.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [cell, label] : boards) {
      if (in_strip(strip, cell_metres(cell)))
        place(label.first, std::move(label.second), cell_metres(cell), true, true);
    }
    strip.plan_height = std::max(kMinPlanHeight, content.height + 2 * kPlanPadding);
    const double shift = strip.plan_top() + (strip.plan_height - content.height) / 2 - content.top;
    strip.plan->place(shift);
    for (Label& label : strip.plan_labels) {
      label.box = moved(label.box, shift);
      if (label.anchor) label.anchor->y += shift;
    }
  }

  int32_t km_label_every() const { return scale_ * kMetresPerKm >= 30 ? 1 : 5; }

  // The kilometres within the strip that get their number.
  std::vector<int32_t> numbered_km(const Strip& strip) const {
    std::vector<int32_t> numbered;
    for (int32_t km = (strip.first + kMetresPerKm - 1) / kMetresPerKm;
         km * kMetresPerKm <= strip.last; ++km) {
      if (km % km_label_every() == 0) numbered.push_back(km);
    }
    return numbered;
  }

  // ---- layout under the panels ----

  // Kilometre numbers at their ticks, and station names in as many rows as
  // it takes for none to cover another; the strip grows by the rows.
  void lay_out_axis(Strip& strip) const {
    LabelPlacer placer(kAxisLeft, kAxisRight);
    const auto set = [&](LabelKind kind, std::string text, const Box& box) {
      const Candidate place{box, 0};
      if (placer.place(std::span(&place, 1)))
        strip.axis_labels.push_back({kind, std::move(text), box, {}});
    };
    constexpr double kNumbersTop = 12;
    for (int32_t km : numbered_km(strip)) {
      const std::string text = std::to_string(km);
      const Box size = label_size(LabelKind::kKm, text);
      set(LabelKind::kKm, text,
          {axis_x(strip.first, km * kMetresPerKm) - size.width / 2, kNumbersTop, size.width,
           size.height});
    }
    const Box unit = label_size(LabelKind::kKm, "km");
    set(LabelKind::kKm, "km", {kLeft - 12 - unit.width, kNumbersTop, unit.width, unit.height});
    double bottom = 0;
    for (const objects::Station& s : features_.stations) {
      if (s.position < strip.first || s.position >= strip.last) continue;
      const std::string name = station_label(s);
      const Box size = label_size(LabelKind::kStation, name);
      const double left = std::clamp(axis_x(strip.first, s.position) - size.width / 2, kAxisLeft,
                                     std::max(kAxisLeft, kAxisRight - size.width));
      for (int row = 0;; ++row) {
        const Box box{left, kAxisNumbers + row * kStationRow, size.width, size.height};
        const Candidate place{box, 0};
        if (!placer.place(std::span(&place, 1))) continue;
        strip.axis_labels.push_back(
            {LabelKind::kStation, name, box, Point{axis_x(strip.first, s.position), 0}});
        bottom = std::max(bottom, box.bottom());
        break;
      }
    }
    strip.station_rows_height = std::max(0.0, bottom - kAxisNumbers + 4);
    const double y = strip.axis_y();
    for (Label& label : strip.axis_labels) {
      label.box = moved(label.box, y);
      if (label.anchor) label.anchor->y += y;
    }
  }

  double axis_x(int32_t first, double metres) const { return kLeft + (metres - first) * scale_; }

  // ---- drawing ----

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
      x += 32 + text_width(label, 10, false);
    };
    item("station", [&](Point p) { symbol(MarkerKind::kStation, p); });
    item("station extent", [&](Point p) {
      svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "station-extent");
    });
    item("signal", [&](Point p) { symbol(MarkerKind::kSignal, p); });
    item("speed board: its speeds in km/h", [&](Point p) { symbol(MarkerKind::kSpeedBoard, p); });
    item("text board: its text", [&](Point p) { symbol(MarkerKind::kTextBoard, p); });
    item("slowdown", [&](Point p) { svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "slowdown-band"); });
    item("slowdown warning", [&](Point p) { symbol(MarkerKind::kWarning, p); });
    item("code change", [&](Point p) { symbol(MarkerKind::kCodeChange, p); });
    item("point without a code", [&](Point p) { symbol(MarkerKind::kCodeless, p); });
    item("tunnel", [&](Point p) { svg_.line({p.x - 8, p.y}, {p.x + 8, p.y}, "tunnel"); });
    item("km post", [&](Point p) { svg_.line({p.x, p.y - 6}, {p.x, p.y + 6}, "km-post"); });
  }

  void board_marker(Point p, std::string_view css_class) {
    svg_.rect({p.x - 4, p.y - 4}, 8, 8, css_class);
  }
  void warning_symbol(Point p) {
    svg_.polygon({{p.x, p.y - 6}, {p.x + 6, p.y + 4}, {p.x - 6, p.y + 4}}, "warning");
  }
  void diamond(Point p, std::string_view css_class) {
    svg_.polygon({{p.x, p.y - 5}, {p.x + 5, p.y}, {p.x, p.y + 5}, {p.x - 5, p.y}}, css_class);
  }

  void symbol(MarkerKind kind, Point p) {
    switch (kind) {
      case MarkerKind::kStation:
        svg_.circle(p, 5, "station-dot");
        break;
      case MarkerKind::kSignal:
        svg_.circle(p, 4, "signal");
        break;
      case MarkerKind::kSpeedBoard:
        board_marker(p, "speed-board");
        break;
      case MarkerKind::kTextBoard:
        board_marker(p, "text-board");
        break;
      case MarkerKind::kWarning:
        warning_symbol(p);
        break;
      case MarkerKind::kCodeChange:
        diamond(p, "code-change");
        break;
      case MarkerKind::kCodeless:
        diamond(p, "codeless");
        break;
    }
  }

  void draw_marker(const PlanView& plan, const Marker& m) {
    svg_.begin_titled(m.tooltip);
    symbol(m.kind, plan.at(m.metre));
    svg_.end_titled();
  }

  // A label in its box, recorded with the frame it keeps to.
  void draw_label(const Label& label, const Box& frame) {
    const LabelLook look = look_of(label.kind);
    const Box& b = label.box;
    if (!look.sign_class.empty()) svg_.rect({b.left, b.top}, b.width, b.height, look.sign_class);
    svg_.text({b.left + b.width / 2, b.top + b.height / 2 + look.font_size * 0.36}, label.text,
              look.text_class, "middle");
    placed_.push_back({label.text, label.box, frame});
  }

  void draw_strip(const Strip& strip) {
    const int32_t first = strip.first;
    const int32_t last = strip.last;
    std::string title = "km " + std::to_string(first / kMetresPerKm) + " to " + km_text(last);
    if (strips_.size() > 1) {
      const size_t i = static_cast<size_t>(&strip - strips_.data());
      title =
          "strip " + std::to_string(i + 1) + " of " + std::to_string(strips_.size()) + ": " + title;
    }
    svg_.text({kLeft, strip.top + 18}, title, "strip-title");
    draw_plan(strip);
    double top = strip.panels_top();
    const Panel gradient = gradient_panel(top);
    const Panel speed = speed_panel(top + kGradientHeight + kPanelGap);
    const Panel adhesion = adhesion_panel(speed.top + kSpeedHeight + kPanelGap);
    for (const Panel& p : {gradient, speed, adhesion}) draw_frame(first, last, p);
    draw_station_bands(first, last, gradient.top, adhesion.top + adhesion.height);
    draw_gradient(first, last, gradient);
    draw_speed(first, last, speed);
    draw_adhesion(first, last, adhesion);
    draw_axis(strip, gradient.top);
    draw_route_end(first, last, adhesion);
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

  void draw_plan(const Strip& strip) {
    const Box frame = plan_frame(strip);
    svg_.rect({frame.left, frame.top}, frame.width, frame.height, "frame");
    svg_.text({kLeft, frame.top - 6}, "plan view, turned so that the strip runs left to right",
              "panel-title");
    const Point middle{kLeft + kPlotWidth / 2, frame.top + frame.height / 2};
    if (!strip.plan) {
      svg_.text(middle, "no plan view: no line profile was built", "small", "middle");
      return;
    }
    const PlanView& plan = *strip.plan;
    if (!plan.drawable()) {
      svg_.text(middle, "no plan view: the profile has no points here", "small", "middle");
      return;
    }
    const int32_t first = strip.first;
    const int32_t last = strip.last;
    for (const objects::Tunnel& t : features_.tunnels) {
      titled_band(plan.track(cell_metres(t.first_cell), cell_metres(t.last_cell + 1)), "tunnel",
                  "tunnel from " + metres(t.start) + " to " + metres(t.end));
    }
    for (const objects::Slowdown& s : features_.slowdowns) {
      titled_band(plan.track(slowdown_from(s), slowdown_to(s)), "slowdown-band",
                  std::to_string(s.speed) + " km/h slowdown from " + metres(slowdown_from(s)) +
                      " to " + metres(slowdown_to(s)));
    }
    for (const objects::Station& s : features_.stations) draw_plan_extent(plan, first, last, s);
    svg_.polyline(plan.track(first, last), "track");
    draw_km_posts(plan, first, last);
    for (const Label& label : strip.plan_labels) {
      if (label.anchor) draw_leader(label);
    }
    for (const Marker& m : strip.markers) draw_marker(plan, m);
    for (const Label& label : strip.plan_labels) draw_label(label, frame);
  }

  void draw_leader(const Label& label) {
    const Box& b = label.box;
    const Point near{std::clamp(label.anchor->x, b.left, b.right()),
                     std::clamp(label.anchor->y, b.top, b.bottom())};
    if (std::hypot(near.x - label.anchor->x, near.y - label.anchor->y) > 6) {
      svg_.line(*label.anchor, near, "leader");
    }
  }

  void titled_band(const std::vector<Point>& points, std::string_view css_class,
                   const std::string& tooltip) {
    if (points.size() < 2) return;
    svg_.begin_titled(tooltip);
    svg_.polyline(points, css_class);
    svg_.end_titled();
  }

  // A station's extent: a band along the track between two bars across it.
  void draw_plan_extent(const PlanView& plan, int32_t first, int32_t last,
                        const objects::Station& s) {
    if (s.end < first || s.start >= last) return;
    titled_band(plan.track(s.start, s.end), "station-extent",
                utf8(s.name) + ": from " + metres(s.start) + " to " + metres(s.end));
    for (int32_t m : {s.start, s.end}) {
      if (m < first || m > last || !plan.covers(m)) continue;
      const Point p = plan.at(m);
      const Point n = plan.normal_at(m);
      svg_.line(p + n * 7, p + n * -7, "station-end");
    }
  }

  void draw_km_posts(const PlanView& plan, int32_t first, int32_t last) {
    for (int32_t km = (first + kMetresPerKm - 1) / kMetresPerKm; km * kMetresPerKm <= last; ++km) {
      const int32_t m = km * kMetresPerKm;
      if (!plan.covers(m)) continue;
      const Point p = plan.at(m);
      const Point n = plan.normal_at(m);
      svg_.line(p + n * 5, p + n * -5, "km-post");
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

  // Each station's extent shaded through the panels, at least a pixel wide.
  void draw_station_bands(int32_t first, int32_t last, double top, double bottom) {
    for (const objects::Station& s : features_.stations) {
      if (s.end < first || s.start >= last) continue;
      const double from = axis_x(first, std::max(s.start, first));
      const double to = axis_x(first, std::min(s.end + 1, last));
      svg_.rect({from, top}, std::max(1.0, to - from), bottom - top, "station-band");
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
    for (const Cell& c : cells_drawn()) fastest = std::max(fastest, line_speed_kmh(c.speed_limit));
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
    panel_title(p, "gradient \u2030 (uphill above the line)");
    std::vector<Point> line =
        steps(first, last, p, [](const Cell& c) { return double(gradient_per_mille(c.gradient)); });
    if (line.empty()) return;
    std::vector<Point> area = line;
    area.push_back({line.back().x, p.y(0)});
    area.insert(area.begin(), {line.front().x, p.y(0)});
    svg_.polygon(area, "gradient-fill");
    svg_.polyline(line, "gradient-line");
  }

  double line_speed_at(int32_t metre) const {
    const std::span<const Cell> cells = cells_drawn();
    if (cells.empty()) return 0;
    const size_t index =
        std::min<size_t>(static_cast<size_t>(metre / kCellMetres), cells.size() - 1);
    return line_speed_kmh(cells[index].speed_limit);
  }

  void draw_speed(int32_t first, int32_t last, const Panel& p) {
    const double step = p.high > 160 ? 40 : 20;
    for (double v = 0; v <= p.high; v += step)
      y_label(p, v, std::to_string(static_cast<int>(v)), true);
    svg_.polyline(
        steps(first, last, p, [](const Cell& c) { return double(line_speed_kmh(c.speed_limit)); }),
        "speed-line");
    for (const objects::Slowdown& s : features_.slowdowns) {
      const int32_t from = std::max(first, slowdown_from(s));
      const int32_t to = std::min(last, slowdown_to(s));
      if (from < to) {
        // A step down from the line speed and back up, so that it does not
        // read as the train stopping.
        const double y = p.y(std::clamp<double>(s.speed, p.low, p.high));
        svg_.polyline({{axis_x(first, from), p.y(line_speed_at(from))},
                       {axis_x(first, from), y},
                       {axis_x(first, to), y},
                       {axis_x(first, to), p.y(line_speed_at(to - kCellMetres))}},
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

  // Ticks, kilometre numbers and station names under the panels, and a
  // dashed line from each name up through the panels.
  void draw_axis(const Strip& strip, double panels_top) {
    const double y = strip.axis_y();
    for (int32_t km = (strip.first + kMetresPerKm - 1) / kMetresPerKm;
         km * kMetresPerKm <= strip.last; ++km) {
      const double x = axis_x(strip.first, km * kMetresPerKm);
      svg_.line({x, y}, {x, y + (km % km_label_every() == 0 ? 7 : 4)}, "km-post");
    }
    const Box frame = axis_frame(strip);
    for (const Label& label : strip.axis_labels) {
      if (label.anchor) {
        svg_.line({label.anchor->x, panels_top}, {label.anchor->x, label.box.top}, "station-mark");
      }
      draw_label(label, frame);
    }
  }

  // "end of route" beside the route's end, on the side where it fits.
  void draw_route_end(int32_t first, int32_t last, const Panel& p) {
    if (features_.route_length <= first || features_.route_length >= last) return;
    const std::string text = "end of route";
    const Box size = label_size(LabelKind::kNote, text);
    const double x = axis_x(first, features_.route_length);
    const double left = x + 4 + size.width <= kLeft + kPlotWidth ? x + 4 : x - 4 - size.width;
    draw_label({LabelKind::kNote, text, {left, p.top + 3, size.width, size.height}, {}},
               {kLeft, p.top, kPlotWidth, p.height});
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
  std::vector<PlacedLabel> placed_;
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

RoutePicture draw_route(const Scenario& model, const std::vector<std::string>& errors) {
  return RoutePlot(model, errors).draw();
}

std::string plot_route(const Scenario& model, const std::vector<std::string>& errors) {
  return draw_route(model, errors).svg;
}

}  // namespace sc
