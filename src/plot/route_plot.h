#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "plot/labels.h"

namespace sc {

// How a route is cut into strips: every strip but the last covers
// `strip_metres`, a whole number of kilometres of at most kLongestStripKm, and
// all strips share one scale.
struct StripLayout {
  int32_t extent = 0;        // metres drawn: the route, or further where objects stand
  int32_t strip_metres = 0;  // metres per strip
  int count = 0;
};
inline constexpr int32_t kLongestStripKm = 30;
StripLayout strip_layout(const Scenario& model);

// A text set on the picture where it covers no other: its box and the frame
// it stays within.
struct PlacedLabel {
  std::string text;  // UTF-8
  Box box;
  Box frame;
};

struct RoutePicture {
  std::string svg;
  std::vector<PlacedLabel> labels;
};

// A self-contained SVG picture of a compiled route. For each strip: the plan
// view from the profile with tunnels, stations, signals, boards, slowdowns,
// code changes and kilometre posts; below it, on one shared distance axis,
// the gradient, the line speed limit with the slowdowns, and the adhesion,
// with the stations marked. `errors` (UTF-8, one line each) are listed under
// the last strip.
RoutePicture draw_route(const Scenario& model, const std::vector<std::string>& errors);
std::string plot_route(const Scenario& model, const std::vector<std::string>& errors);

}  // namespace sc
